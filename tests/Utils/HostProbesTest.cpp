#include "Utils/HostProbes.h"
#include "Utils/SingleInstanceMutex.h"
#include "support/ProcessRunner.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cwctype>
#include <set>

namespace {

struct VersionRow {
    unsigned major, minor, build;
    bool serverR2;
    const wchar_t* label;
};

TEST(OsVersionLabel, FollowsTheVersionTable)
{
    const VersionRow rows[] = {
        {0, 0, 0, false, L"XP-"},       {4, 90, 0, false, L"XP-"},  {5, 0, 2195, false, L"2K"},
        {5, 1, 2600, false, L"XP"},     {5, 2, 3790, false, L"Server 2003"},
        {5, 2, 3790, true, L"Server 2003 R2"},                      {5, 3, 0, false, L"XP+"},
        {6, 0, 6002, false, L"Vista"},  {6, 1, 7601, false, L"7"},  {6, 2, 9200, false, L"8"},
        {6, 3, 9600, false, L"8.1"},    {6, 4, 9800, false, L"8.1+"},
        {10, 0, 19045, false, L"10"},   {10, 0, 22631, false, L"10"},  // Windows 11 reports 10.0 as well
        {10, 1, 0, false, L"10+"},      {7, 2, 1234, false, L"7.2.1234"}, {11, 0, 5, false, L"11.0.5"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Utils::OsVersionLabel(row.major, row.minor, row.build, row.serverR2), row.label)
            << row.major << "." << row.minor << "." << row.build;
}

TEST(OsVersionLabel, HostAnswersWithWindowsAndALabelOfTheTable)
{
    std::wstring product = L"x", label = L"x";
    Utils::GetOsVersionName(product, label);
    EXPECT_EQ(product, L"Windows");
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ::GetVersionExW(&info);  // Wine does not lie to unmanifested programs here
#pragma GCC diagnostic pop
    EXPECT_EQ(label, Utils::OsVersionLabel(info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber & 0xFFFF,
                                           ::GetSystemMetrics(SM_SERVERR2) != 0));
}

TEST(GuidString, ThirdFieldLowerCaseOthersUpperCase)
{
    GUID g = {0x0ABCDEF1, 0xBEEF, 0xABCD, {0xDE, 0xAD, 0xBE, 0xEF, 0x0A, 0x1B, 0x2C, 0x3D}};
    std::wstring text = Utils::FormatGuidString(g);
    EXPECT_EQ(text, L"0ABCDEF1BEEFabcdDEADBEEF0A1B2C3D");
    EXPECT_EQ(text.substr(12, 4), L"abcd");  // positions 13 to 16
}

TEST(GuidString, NewGuidsAreDistinct32HexDigits)
{
    std::set<std::wstring> seen;
    for (int i = 0; i < 20; ++i) {
        std::wstring text = Utils::NewGuidString();
        ASSERT_EQ(text.size(), 32u) << text;
        for (wchar_t c : text) EXPECT_TRUE(std::iswxdigit(c)) << text;
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 20u);
}

TEST(HostFacts, Wow64MatchesTheNativeArchitecture)
{
    SYSTEM_INFO native = {};
    ::GetNativeSystemInfo(&native);
    bool sixtyFourBitHost = native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
    EXPECT_EQ(Utils::IsWow64(), sixtyFourBitHost);
}

TEST(HostFacts, AdministratorProbes)
{
    // Wine runs every program as a member of the Administrators group.
    EXPECT_TRUE(Utils::IsProcessAdmin());
    EXPECT_FALSE(Utils::IsUserAdmin(L"no-such-account-4711"));
    EXPECT_FALSE(Utils::IsUserAdmin(L""));
}

TEST(HostFacts, ConsoleUserIsTheUserRunningTheTests)
{
    // The tests run in the console session, so its user is the one the
    // process runs as.
    wchar_t own[256] = {};
    DWORD size = 256;
    ASSERT_TRUE(::GetUserNameW(own, &size));
    std::wstring user = L"unchanged";
    ASSERT_TRUE(Utils::GetConsoleUserName(user));
    EXPECT_EQ(user, own);
}

TEST(SingleInstanceMutex, SecondProcessIsRefusedWhileTheFirstHoldsIt)
{
    const std::wstring name = L"lumora-test-" + Utils::NewGuidString();
    const std::wstring probe = L"\"" + TestSupport::BinDir() + L"\\mutex_probe.exe\" " + name;
    {
        Utils::SingleInstanceMutex mutex(name);
        EXPECT_EQ(mutex.FullName(), L"D1A547DB89C0BC61_" + name);
        HANDLE first = mutex.Acquire();
        ASSERT_NE(first, nullptr);
        EXPECT_EQ(mutex.Acquire(), first);  // a second call keeps what it has

        auto held = TestSupport::RunProcess(probe);
        ASSERT_TRUE(held.started);
        EXPECT_EQ(held.exitCode, 1u);

        Utils::SingleInstanceMutex sameProcess(name);
        EXPECT_EQ(sameProcess.Acquire(), nullptr);
    }
    auto released = TestSupport::RunProcess(probe);
    EXPECT_EQ(released.exitCode, 0u);
}

}  // namespace
