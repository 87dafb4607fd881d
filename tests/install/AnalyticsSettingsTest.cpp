#include "RecordsTestEnvironment.h"
#include "install/AnalyticsSettings.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <regex>
#include <string>

namespace {

using RecordsTest::ScopedEnvironmentVariable;
using RecordsTest::ShellFolder;
using TestSupport::FileExists;
using TestSupport::TestTempDir;

std::wstring IniValue(const std::wstring& ini, const wchar_t* section, const wchar_t* key)
{
    wchar_t value[1024] = {};
    ::GetPrivateProfileStringW(section, key, L"<absent>", value, 1024, ini.c_str());
    return value;
}

size_t Occurrences(const std::string& text, const std::string& what)
{
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

std::wstring NowText()
{
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    return FormatUpdateTime(now);
}

TEST(FormatUpdateTime, YearAsItComesOtherFieldsTwoDigits)
{
    struct Row {
        WORD year, month, day, hour, minute, second;
        const wchar_t* expected;
    } const rows[] = {
        {2024, 3, 5, 7, 8, 9, L"2024-03-05 07:08:09"},
        {2026, 12, 31, 23, 59, 59, L"2026-12-31 23:59:59"},
        {999, 1, 1, 0, 0, 0, L"999-01-01 00:00:00"},
    };
    for (const Row& row : rows) {
        SYSTEMTIME time = {};
        time.wYear = row.year;
        time.wMonth = row.month;
        time.wDay = row.day;
        time.wHour = row.hour;
        time.wMinute = row.minute;
        time.wSecond = row.second;
        time.wMilliseconds = 987;
        EXPECT_EQ(FormatUpdateTime(time), row.expected);
    }
}

TEST(AppStoreName, FileNameWithExtensionWithoutFolder)
{
    struct Row {
        const wchar_t* path;
        const wchar_t* name;
    } const rows[] = {
        {L"D:\\Downloads\\Setup_x.exe", L"Setup_x.exe"},
        {L"C:/Users/a b/安装程序.exe", L"安装程序.exe"},
        {L"D:Setup.exe", L"Setup.exe"},
        {L"Setup", L"Setup"},
        {L"", L""},
    };
    for (const Row& row : rows) EXPECT_EQ(AppStoreName(row.path), row.name) << row.path;
}

TEST(AnalyticsDataDir, AppDataOrTheSharedDocuments)
{
    TestTempDir temp;
    {
        ScopedEnvironmentVariable appData(L"APPDATA", temp.Path().c_str());
        EXPECT_EQ(AnalyticsDataDir(), temp / L"NorVoData\\Lumora");
    }
    const std::wstring shared = ShellFolder(CSIDL_COMMON_DOCUMENTS);
    ASSERT_FALSE(shared.empty());
    {
        ScopedEnvironmentVariable unset(L"APPDATA", nullptr);
        EXPECT_EQ(AnalyticsDataDir(), shared + L"\\NorVoData\\Lumora");
    }
    {
        const std::wstring tooLong = L"C:\\" + std::wstring(270, L'a');
        ScopedEnvironmentVariable longValue(L"APPDATA", tooLong.c_str());
        EXPECT_EQ(AnalyticsDataDir(), shared + L"\\NorVoData\\Lumora");
    }
}

class AnalyticsFiles : public ::testing::Test {
protected:
    TestTempDir temp;
    std::wstring installDir = temp / L"Lumora 安装";
    std::wstring setIni = installDir + L"\\set.ini";
    std::wstring dataDir = temp / L"Roaming\\NorVoData\\Lumora";
    std::wstring analyticsIni = dataDir + L"\\ZEDarororAvuvadide.ini";
    std::wstring roaming = temp / L"Roaming";
    ScopedEnvironmentVariable appData{L"APPDATA", roaming.c_str()};

    void SetUp() override
    {
        ASSERT_TRUE(::CreateDirectoryW(installDir.c_str(), nullptr));
        ASSERT_TRUE(::CreateDirectoryW(roaming.c_str(), nullptr));
    }
    std::wstring Install(const wchar_t* key) const { return IniValue(setIni, L"Install", key); }
};

TEST_F(AnalyticsFiles, WritesBothFiles)
{
    const std::wstring before = NowText();
    WriteAnalyticsSettings(installDir);
    const std::wstring after = NowText();

    EXPECT_EQ(Install(L"APPStore"), L"install_analytics_tests.exe");
    EXPECT_EQ(Install(L"AppName"), L"Lumora");
    EXPECT_TRUE(std::regex_match(Install(L"DeviceID"), std::wregex(L"[0-9A-F]{12}[0-9a-f]{4}[0-9A-F]{16}")))
        << Install(L"DeviceID");
    EXPECT_EQ(Install(L"ZEDarororAvuvadideIni"), analyticsIni);

    const std::wstring updated = IniValue(analyticsIni, L"Init", L"UpdateTime");
    EXPECT_TRUE(std::regex_match(updated, std::wregex(L"\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d"))) << updated;
    // The fixed-width text orders like the time it shows.
    EXPECT_LE(before, updated);
    EXPECT_LE(updated, after);

    // Created by the profile functions: plain ANSI text, no byte-order mark.
    const std::string raw = TestSupport::ReadBytes(setIni);
    ASSERT_FALSE(raw.empty());
    EXPECT_EQ(raw.find('\0'), std::string::npos);
    EXPECT_EQ(raw.rfind("[Install]", 0), 0u);
}

TEST_F(AnalyticsFiles, SecondRunLeavesOneNewDeviceId)
{
    WriteAnalyticsSettings(installDir);
    const std::wstring first = Install(L"DeviceID");
    WriteAnalyticsSettings(installDir);
    const std::wstring second = Install(L"DeviceID");
    EXPECT_NE(first, second);
    EXPECT_EQ(second.size(), 32u);
    const std::string raw = TestSupport::ReadBytes(setIni);
    EXPECT_EQ(Occurrences(raw, "DeviceID="), 1u) << raw;
    EXPECT_EQ(Occurrences(raw, "APPStore="), 1u) << raw;
    EXPECT_EQ(Occurrences(raw, "UpdateTime="), 0u);
    EXPECT_EQ(Occurrences(TestSupport::ReadBytes(analyticsIni), "UpdateTime="), 1u);
}

TEST_F(AnalyticsFiles, OtherSectionsAndKeysStay)
{
    ASSERT_TRUE(::WritePrivateProfileStringW(L"Uninstall", L"IsOverride", L"false", setIni.c_str()));
    ASSERT_TRUE(::WritePrivateProfileStringW(L"Install", L"Channel", L"web", setIni.c_str()));
    ASSERT_TRUE(::CreateDirectoryW((temp / L"Roaming\\NorVoData").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(dataDir.c_str(), nullptr));
    ASSERT_TRUE(::WritePrivateProfileStringW(L"Init", L"Version", L"3", analyticsIni.c_str()));

    WriteAnalyticsSettings(installDir);
    EXPECT_EQ(IniValue(setIni, L"Uninstall", L"IsOverride"), L"false");
    EXPECT_EQ(Install(L"Channel"), L"web");
    EXPECT_EQ(IniValue(analyticsIni, L"Init", L"Version"), L"3");
    EXPECT_NE(IniValue(analyticsIni, L"Init", L"UpdateTime"), L"<absent>");
}

TEST_F(AnalyticsFiles, DataFolderThatCannotBeCreated)
{
    // A file where the data folder's parent should be.
    const std::wstring blocked = temp / L"blocked";
    ASSERT_TRUE(TestSupport::WriteBytes(blocked, "x"));
    ScopedEnvironmentVariable appDataIsAFile(L"APPDATA", blocked.c_str());

    WriteAnalyticsSettings(installDir);
    EXPECT_EQ(Install(L"APPStore"), L"install_analytics_tests.exe");
    EXPECT_EQ(Install(L"AppName"), L"Lumora");
    EXPECT_EQ(Install(L"DeviceID").size(), 32u);
    EXPECT_EQ(Install(L"ZEDarororAvuvadideIni"), L"<absent>");
    EXPECT_FALSE(FileExists(blocked + L"\\NorVoData"));
}

TEST_F(AnalyticsFiles, MissingInstallFolderStillWritesTheAnalyticsIni)
{
    const std::wstring missing = temp / L"not yet";
    WriteAnalyticsSettings(missing);
    EXPECT_FALSE(FileExists(missing));
    EXPECT_FALSE(FileExists(missing + L"\\set.ini"));
    EXPECT_NE(IniValue(analyticsIni, L"Init", L"UpdateTime"), L"<absent>");
}

TEST_F(AnalyticsFiles, AppDataUnsetUsesTheSharedDocuments)
{
    ScopedEnvironmentVariable unset(L"APPDATA", nullptr);
    const std::wstring shared = ShellFolder(CSIDL_COMMON_DOCUMENTS);
    ASSERT_FALSE(shared.empty());
    const std::wstring expected = shared + L"\\NorVoData\\Lumora\\ZEDarororAvuvadide.ini";

    WriteAnalyticsSettings(installDir);
    EXPECT_EQ(Install(L"ZEDarororAvuvadideIni"), expected);
    EXPECT_NE(IniValue(expected, L"Init", L"UpdateTime"), L"<absent>");
}

TEST_F(AnalyticsFiles, ReportWithLineEndStillReachesTheFolder)
{
    WriteAnalyticsSettings(installDir + L"\r");
    EXPECT_EQ(Install(L"AppName"), L"Lumora");
}

TEST_F(AnalyticsFiles, RelativeFolderIsTheOneUnderTheCurrentFolder)
{
    wchar_t previous[MAX_PATH] = {};
    ASSERT_NE(::GetCurrentDirectoryW(MAX_PATH, previous), 0u);
    ASSERT_TRUE(::SetCurrentDirectoryW(temp.Path().c_str()));
    WriteAnalyticsSettings(L"Lumora 安装");
    ::SetCurrentDirectoryW(previous);
    EXPECT_EQ(Install(L"AppName"), L"Lumora");
}

TEST_F(AnalyticsFiles, EmptyFolderWritesNothingIntoTheWindowsFolder)
{
    wchar_t windows[MAX_PATH] = {};
    ASSERT_NE(::GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    const std::wstring stray = std::wstring(windows) + L"\\set.ini";
    ASSERT_FALSE(FileExists(stray));
    WriteAnalyticsSettings(L"");
    EXPECT_FALSE(FileExists(stray));
    ::DeleteFileW(stray.c_str());
}

}  // namespace
