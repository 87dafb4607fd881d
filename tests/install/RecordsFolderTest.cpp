#include "RecordsTestEnvironment.h"
#include "Utils/HostProbes.h"
#include "install/InstallRecordsFolder.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>

namespace {

using RecordsTest::ScopedEnvironmentVariable;
using RecordsTest::ShellFolder;
using TestSupport::TestTempDir;

TEST(IsSameFolder, RelativePathDotMeansTheSameFolder)
{
    struct Row {
        const wchar_t* first;
        const wchar_t* second;
        bool same;
    } const rows[] = {
        {L"C:\\Program Files (x86)\\Lumora", L"C:\\Program Files (x86)\\Lumora", true},
        {L"C:\\Program Files (x86)\\Lumora", L"c:\\program files (x86)\\LUMORA", true},
        {L"C:\\Program Files (x86)\\Lumora", L"C:\\Program Files (x86)\\Lumora\\", true},
        {L"C:\\Program Files (x86)\\Lumora\\\\", L"C:\\Program Files (x86)\\Lumora", true},
        {L"C:/Program Files (x86)/Lumora/", L"C:\\Program Files (x86)\\Lumora", true},
        {L"C:\\", L"C:\\", true},
        {L"C:\\Program Files (x86)\\Lumora", L"C:\\Program Files (x86)\\Lumora2", false},
        {L"C:\\Program Files (x86)\\Lumora", L"C:\\Program Files (x86)", false},
        {L"C:\\Program Files (x86)\\Lumora", L"C:\\Program Files (x86)\\Lumora\\Lumora", false},
        {L"C:\\Apps\\Lumora", L"D:\\Apps\\Lumora", false},
        {L"D:\\Apps", L"", false},
        {L"", L"", false},
    };
    for (const Row& row : rows) EXPECT_EQ(IsSameFolder(row.first, row.second), row.same) << row.first << " | " << row.second;

    const std::wstring tooLong = L"C:\\" + std::wstring(300, L'a');
    EXPECT_FALSE(IsSameFolder(tooLong, tooLong));
}

TEST(ChosenInstallDir, EditBoxTextBecomesTheInstallFolder)
{
    const std::wstring defaultDir = L"C:\\Program Files (x86)\\Lumora";
    struct Row {
        const wchar_t* text;
        std::wstring expected;
    } const rows[] = {
        {L"D:/Apps", L"D:\\Apps\\Lumora"},
        {L"D:\\Apps", L"D:\\Apps\\Lumora"},
        {L"D:\\Apps\\", L"D:\\Apps\\Lumora"},
        {L"D:/Apps/新 建", L"D:\\Apps\\新 建\\Lumora"},
        {L"C:\\Program Files (x86)\\Lumora", defaultDir},
        {L"c:\\program files (x86)\\lumora\\", defaultDir},
        {L"C:/Program Files (x86)/Lumora", defaultDir},
        {L"C:\\Program Files (x86)", L"C:\\Program Files (x86)\\Lumora"},
        {L"E:\\Lumora", L"E:\\Lumora\\Lumora"},
    };
    for (const Row& row : rows) EXPECT_EQ(ChosenInstallDirFor(row.text, defaultDir), row.expected) << row.text;
}

class DefaultFolder : public ::testing::Test {
protected:
    TestTempDir temp;
    std::wstring programFiles = ShellFolder(CSIDL_PROGRAM_FILESX86);
};

TEST_F(DefaultFolder, AppDataOnlyWhenBothHostFactsHold)
{
    ASSERT_FALSE(programFiles.empty());
    ScopedEnvironmentVariable appData(L"APPDATA", temp.Path().c_str());
    struct Row {
        bool consoleUserIsAdmin;
        bool processIsAdmin;
        std::wstring expected;
    } const rows[] = {
        {true, true, temp / L"norvo\\Lumora"},
        {true, false, programFiles + L"\\Lumora"},
        {false, true, programFiles + L"\\Lumora"},
        {false, false, programFiles + L"\\Lumora"},
    };
    for (const Row& row : rows) {
        HostAdminFacts facts;
        facts.consoleUserIsAdmin = row.consoleUserIsAdmin;
        facts.processIsAdmin = row.processIsAdmin;
        EXPECT_EQ(DefaultInstallDirFor(RegisteredInstall(), facts), row.expected)
            << row.consoleUserIsAdmin << row.processIsAdmin;
    }
}

TEST_F(DefaultFolder, UnreadableAppDataFallsBackToProgramFiles)
{
    HostAdminFacts admin;
    admin.consoleUserIsAdmin = admin.processIsAdmin = true;
    {
        ScopedEnvironmentVariable unset(L"APPDATA", nullptr);
        EXPECT_EQ(DefaultInstallDirFor(RegisteredInstall(), admin), programFiles + L"\\Lumora");
    }
    {
        const std::wstring tooLong = L"C:\\" + std::wstring(270, L'a');
        ScopedEnvironmentVariable longValue(L"APPDATA", tooLong.c_str());
        EXPECT_EQ(DefaultInstallDirFor(RegisteredInstall(), admin), programFiles + L"\\Lumora");
    }
}

TEST_F(DefaultFolder, RegisteredFolderCountsOnlyWithItsUninstaller)
{
    RegisteredInstall registered;
    registered.installPath = temp / L"Installed\\Lumora";
    registered.uninstallerPath = registered.installPath + L"\\uninst.ep";
    HostAdminFacts none;
    ASSERT_TRUE(::SHCreateDirectoryExW(nullptr, registered.installPath.c_str(), nullptr) == ERROR_SUCCESS);

    EXPECT_EQ(DefaultInstallDirFor(registered, none), programFiles + L"\\Lumora")
        << "the folder alone, without its uninstaller, is ignored";

    ASSERT_TRUE(TestSupport::WriteBytes(registered.uninstallerPath, "MZ"));
    EXPECT_EQ(DefaultInstallDirFor(registered, none), registered.installPath);

    RegisteredInstall uninstallerOnly;
    uninstallerOnly.uninstallerPath = registered.uninstallerPath;
    EXPECT_EQ(DefaultInstallDirFor(uninstallerOnly, none), programFiles + L"\\Lumora");
}

TEST_F(DefaultFolder, ProbesTheHostAndKeepsTheFacts)
{
    std::wstring consoleUser;
    Utils::GetConsoleUserName(consoleUser);
    const bool consoleAdmin = Utils::IsUserAdmin(consoleUser);
    const bool processAdmin = Utils::IsProcessAdmin();

    HostAdminFacts facts;
    facts.consoleUserIsAdmin = !consoleAdmin;
    facts.processIsAdmin = !processAdmin;
    const std::wstring folder = DefaultInstallDir(RegisteredInstall(), facts);
    EXPECT_EQ(facts.consoleUserIsAdmin, consoleAdmin);
    EXPECT_EQ(facts.processIsAdmin, processAdmin);
    EXPECT_EQ(folder, DefaultInstallDirFor(RegisteredInstall(), facts));

    HostAdminFacts again;
    EXPECT_TRUE(IsDefaultInstallDir(folder, RegisteredInstall(), again));
    EXPECT_TRUE(IsDefaultInstallDir(folder + L"\\", RegisteredInstall(), again));
    EXPECT_FALSE(IsDefaultInstallDir(L"D:\\Apps\\Lumora", RegisteredInstall(), again));
    EXPECT_EQ(ChosenInstallDir(folder, RegisteredInstall(), again), folder);
    EXPECT_EQ(ChosenInstallDir(L"D:/Apps", RegisteredInstall(), again), L"D:\\Apps\\Lumora");
}

class Override : public ::testing::Test {
protected:
    TestTempDir temp;
    std::wstring registered = temp / L"Lumora";

    void SetUp() override { ASSERT_TRUE(::CreateDirectoryW(registered.c_str(), nullptr)); }
    void WriteOverride(const wchar_t* value)
    {
        ASSERT_TRUE(::WritePrivateProfileStringW(L"Uninstall", L"IsOverride", value,
                                                 (registered + L"\\set.ini").c_str()));
    }
};

TEST_F(Override, OnlyAnExactFalseKeepsTheOlderCopy)
{
    struct Row {
        const wchar_t* value;  // null: no set.ini at all
        bool disabled;
    } const rows[] = {
        {nullptr, false}, {L"false", true}, {L"False", false}, {L"FALSE", false},
        {L"true", false}, {L"0", false},    {L"", false},
    };
    for (const Row& row : rows) {
        ::DeleteFileW((registered + L"\\set.ini").c_str());
        if (row.value) WriteOverride(row.value);
        EXPECT_EQ(IsOverrideDisabled(registered, registered), row.disabled) << (row.value ? row.value : L"<none>");
    }
}

TEST_F(Override, OtherSectionOrKeyReadsAsTrue)
{
    const std::wstring setIni = registered + L"\\set.ini";
    ASSERT_TRUE(::WritePrivateProfileStringW(L"Install", L"IsOverride", L"false", setIni.c_str()));
    ASSERT_TRUE(::WritePrivateProfileStringW(L"Uninstall", L"Override", L"false", setIni.c_str()));
    EXPECT_FALSE(IsOverrideDisabled(registered, registered));
}

TEST_F(Override, SetIniIsReadOnlyForTheRegisteredFolder)
{
    WriteOverride(L"false");
    EXPECT_TRUE(IsOverrideDisabled(registered + L"\\", registered));
    EXPECT_TRUE(IsOverrideDisabled(registered, registered + L"\\"));

    const std::wstring other = temp / L"Other\\Lumora";
    ASSERT_TRUE(::SHCreateDirectoryExW(nullptr, other.c_str(), nullptr) == ERROR_SUCCESS);
    ASSERT_TRUE(::WritePrivateProfileStringW(L"Uninstall", L"IsOverride", L"false", (other + L"\\set.ini").c_str()));
    EXPECT_FALSE(IsOverrideDisabled(other, registered)) << "another folder than the registered one";
    EXPECT_FALSE(IsOverrideDisabled(registered, L"")) << "nothing registered";
}

}  // namespace
