#include "Utils/HardDiskManager.h"
#include "support/LogCapture.h"
#include "support/TestTempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

using TestSupport::LogCapture;

TEST(HasRoomForInstall, OneGibibyteIsTheBoundary)
{
    struct Row {
        unsigned long long bytes;
        bool room;
    } const rows[] = {
        {0, false},
        {1, false},
        {1073741823ULL, false},
        {1073741824ULL, true},
        {1073741825ULL, true},
        {1610612736ULL, true},
        {1ULL << 40, true},
        {~0ULL, true},
    };
    for (const Row& row : rows) EXPECT_EQ(Utils::HasRoomForInstall(row.bytes), row.room) << row.bytes;
}

TEST(DriveOfPath, DriveLetterAndColonOnly)
{
    struct Row {
        const wchar_t* path;
        const wchar_t* drive;
    } const rows[] = {
        {L"D:\\Apps\\Lumora", L"D:"},
        {L"c:/Program Files/Lumora", L"c:"},
        {L"C:", L"C:"},
        {L"\\\\server\\share\\Lumora", L""},
        {L"relative\\Lumora", L""},
        {L"", L""},
    };
    for (const Row& row : rows) EXPECT_EQ(Utils::DriveOfPath(row.path), row.drive) << row.path;
}

TEST(HardDiskManager, FreshObjectHoldsZeros)
{
    Utils::HardDiskManager disk;
    EXPECT_EQ(disk.available, 0u);
    EXPECT_EQ(disk.total, 0u);
    EXPECT_EQ(disk.free, 0u);
}

TEST(HardDiskManager, ReadsTheSystemDrive)
{
    Utils::HardDiskManager disk;
    LogCapture log;
    ASSERT_TRUE(disk.CheckFreeSpace(L"C:"));
    EXPECT_GT(disk.total, 0u);
    EXPECT_LE(disk.available, disk.total);
    EXPECT_LE(disk.available, disk.free);
    EXPECT_TRUE(log.Lines().empty());
}

TEST(HardDiskManager, AFolderOnTheDriveGivesTheSameVolume)
{
    TestSupport::TestTempDir temp;
    Utils::HardDiskManager disk;
    ASSERT_TRUE(disk.CheckFreeSpace(Utils::DriveOfPath(temp.Path())));
    Utils::HardDiskManager folder;
    ASSERT_TRUE(folder.CheckFreeSpace(temp.Path()));
    EXPECT_EQ(folder.total, disk.total);
}

wchar_t MissingDriveLetter()
{
    const DWORD present = ::GetLogicalDrives();
    for (wchar_t letter = L'Y'; letter >= L'D'; --letter) {
        if (!(present & (1u << (letter - L'A')))) return letter;
    }
    return 0;
}

TEST(HardDiskManager, MissingDriveLogsTheErrorAndKeepsTheCounts)
{
    const wchar_t letter = MissingDriveLetter();
    ASSERT_NE(letter, 0) << "every drive letter is in use";
    const std::wstring drive = std::wstring(1, letter) + L":";

    ULARGE_INTEGER a, t, f;
    ASSERT_FALSE(::GetDiskFreeSpaceExW(drive.c_str(), &a, &t, &f));
    const long platformCode = static_cast<long>(::GetLastError());

    Utils::HardDiskManager disk;
    ASSERT_TRUE(disk.CheckFreeSpace(L"C:"));
    const Utils::HardDiskManager before = disk;
    LogCapture log;
    EXPECT_FALSE(disk.CheckFreeSpace(drive));
    EXPECT_EQ(disk.available, before.available);
    EXPECT_EQ(disk.total, before.total);
    EXPECT_EQ(disk.free, before.free);

    const std::wstring expected = L": HardDiskManager::CheckFreeSpace FAIL code=" + std::to_wstring(platformCode) + L"\r\n";
    ASSERT_EQ(log.Lines().size(), 1u);
    const std::wstring line = log.Lines()[0];
    EXPECT_NE(line.find(L"(Utils::HardDiskManager::CheckFreeSpace)"), std::wstring::npos) << line.c_str();
    ASSERT_GE(line.size(), expected.size());
    EXPECT_EQ(line.substr(line.size() - expected.size()), expected);

    // The install action then sees no room at all on a fresh object.
    Utils::HardDiskManager fresh;
    EXPECT_FALSE(fresh.CheckFreeSpace(drive));
    EXPECT_FALSE(Utils::HasRoomForInstall(fresh.available));
}

TEST(HardDiskManager, ShareWithoutDriveAsksWithAnEmptyText)
{
    const std::wstring drive = Utils::DriveOfPath(L"\\\\server\\share\\Lumora");
    ASSERT_TRUE(drive.empty());
    // What the platform answers for an empty text, asked here directly.
    ULARGE_INTEGER a = {}, t = {}, f = {};
    const bool platformAnswers = ::GetDiskFreeSpaceExW(L"", &a, &t, &f) != FALSE;
    const long platformCode = platformAnswers ? 0 : static_cast<long>(::GetLastError());

    Utils::HardDiskManager disk;
    LogCapture log;
    ASSERT_EQ(disk.CheckFreeSpace(drive), platformAnswers);
    if (platformAnswers) {
        EXPECT_EQ(disk.total, t.QuadPart);
        EXPECT_TRUE(log.Lines().empty());
        return;
    }
    EXPECT_EQ(disk.available, 0u);
    EXPECT_EQ(log.Matching(L"HardDiskManager::CheckFreeSpace FAIL code=" + std::to_wstring(platformCode) + L"\r\n")
                  .size(),
              1u);
    EXPECT_FALSE(Utils::HasRoomForInstall(disk.available));
}

}  // namespace
