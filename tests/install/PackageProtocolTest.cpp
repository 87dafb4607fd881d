// The package's output protocol as CInstaller::Parse reads it, one chunk of
// decoded text at a time, with no process involved.
#include "ReportRecorder.h"
#include "install/CInstaller.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using InstallTest::Report;

struct ParseRow {
    const char* name;
    std::wstring chunk;
    std::vector<Report> reports;
    int32_t result;
};

std::vector<Report> Parse(const std::wstring& chunk, CInstaller::OutputState& state, int32_t& result)
{
    std::vector<Report> reports;
    result = CInstaller::Parse(chunk, state, [&](int32_t code, double progress, const wchar_t* text) {
        reports.push_back(Report{code, progress, text});
    });
    return reports;
}

const std::wstring kLongText(800, L'm');

const ParseRow kRows[] = {
    {"progress", L"Progress=0.5\n", {{2002, 0.5, L""}}, 0},
    {"progress skips blanks and ignores what follows", L"Progress=  0.25xyz", {{2002, 0.25, L""}}, 0},
    {"progress with exponent", L"Progress=5e-1\r\n", {{2002, 0.5, L""}}, 0},
    {"progress not a number", L"Progress=abc", {{2002, 0.0, L""}}, 0},
    {"progress nan is not a number", L"Progress=nan", {{2002, 0.0, L""}}, 0},
    {"progress beyond a double", L"Progress=1e999", {{2002, 0.0, L""}}, 0},
    {"progress empty", L"Progress=", {{2002, 0.0, L""}}, 0},
    {"every progress line reports", L"Progress=0.1\nProgress=0.2", {{2002, 0.1, L""}, {2002, 0.2, L""}}, 0},
    {"blank before the key", L" Progress=0.5", {}, 0},
    {"key in lower case", L"progress=0.5", {}, 0},
    {"install path keeps blanks and the CR", L"InstPath= C:\\Program Files\\Lumora \r\n",
     {{3000, 0.0, L" C:\\Program Files\\Lumora \r"}}, 0},
    {"empty install path", L"InstPath=", {{3000, 0.0, L""}}, 0},
    {"state success", L"State=Success", {{2003, 0.0, L""}}, 1},
    {"state success trimmed of blanks and CR", L"State=\t Success \r\n", {{2003, 0.0, L""}}, 1},
    {"state value in lower case", L"State=success", {}, 0},
    {"state key in lower case", L"state=Success", {}, 0},
    {"state fail", L"State=Fail\r\n", {{2004, 0.0, L"安装包安装失败"}}, 1000},
    {"state with another word", L"State=Done", {}, 0},
    {"state success with an ideographic space is another word", L"State=Success\u3000", {}, 0},
    {"installed version reports nothing", L"InstallVersion=1.2.3", {}, 0},
    {"exe path", L"ExePath=C:\\L\\lumora.exe\r\n", {{3001, 0.0, L"C:\\L\\lumora.exe\r"}}, 0},
    {"start exe", L"StartExe=C:\\L\\lumora.exe", {{3001, 0.0, L"C:\\L\\lumora.exe"}}, 0},
    {"uninstaller path is key 7, not key 8", L"UninstExePath=C:\\L\\uninst.exe",
     {{3002, 0.0, L"C:\\L\\uninst.exe"}}, 0},
    {"uninstaller", L"UninstExe=C:\\L\\u.exe", {{3002, 0.0, L"C:\\L\\u.exe"}}, 0},
    {"uninstaller entry point", L"UninstEp=C:\\L\\uninst.ep", {{3003, 0.0, L"C:\\L\\uninst.ep"}}, 0},
    {"error", L"Error=disk full\r\n", {{2004, 1000.0, L"disk full\r"}}, 1000},
    {"empty error", L"Error=", {{2004, 1000.0, L""}}, 1000},
    {"top show detention", L"TopShowDetention=1500", {{3007, 1500.0, L""}}, 0},
    {"top show detention -1 read unsigned", L"TopShowDetention=-1", {{3007, 4294967295.0, L""}}, 0},
    {"top show detention not a number", L"TopShowDetention=soon", {{3007, 0.0, L""}}, 0},
    {"top show detention beyond 32 bits", L"TopShowDetention=99999999999", {{3007, 0.0, L""}}, 0},
    {"finish close detention", L"FinsihCloseDetention= 300ms", {{3008, 300.0, L""}}, 0},
    {"finish close detention -2", L"FinsihCloseDetention=-2", {{3008, 4294967294.0, L""}}, 0},
    {"start url", L"StartUrl=https://norvo.example/welcome?a=1", {{3004, 0.0, L"https://norvo.example/welcome?a=1"}},
     0},
    {"no startup", L"StartupStyle=NonStartup", {{3005, 0.0, L""}}, 0},
    {"auto startup trimmed", L"StartupStyle= AutoStartup\r\n", {{3005, 1.0, L""}}, 0},
    {"user startup", L"StartupStyle=UserStartup", {{3005, 2.0, L""}}, 0},
    {"startup style in lower case", L"StartupStyle=autostartup", {{3005, 0.0, L""}}, 0},
    {"startup style another word", L"StartupStyle=Later", {{3005, 0.0, L""}}, 0},
    {"encode reports nothing", L"Encode=UTF8", {}, 0},
    {"message", L"Message=安装完成", {{3009, 0.0, L"安装完成"}}, 0},
    {"text cut to 771 characters", L"Message=" + kLongText, {{3009, 0.0, kLongText.substr(0, 771)}}, 0},
    {"unknown key", L"Foo=bar", {}, 0},
    {"empty lines", L"\n\r\n\n", {}, 0},
    {"progress then success in one chunk", L"Progress=0.5\nState=Success\n", {{2002, 0.5, L""}, {2003, 0.0, L""}},
     1},
    {"a later error overrides success", L"State=Success\nError=boom\n",
     {{2003, 0.0, L""}, {2004, 1000.0, L"boom"}}, 1000},
    {"a later success overrides an error", L"Error=boom\nState=Success",
     {{2004, 1000.0, L"boom"}, {2003, 0.0, L""}}, 1},
    {"a non-final line after a final one keeps its result", L"State=Fail\nState=Maybe\nProgress=1",
     {{2004, 0.0, L"安装包安装失败"}, {2002, 1.0, L""}}, 1000},
    {"piece of a split line without its key", L"ess=0.5\n", {}, 0},
};

TEST(PackageProtocol, EachKeyGivesItsReportAndResult)
{
    for (const ParseRow& row : kRows) {
        SCOPED_TRACE(row.name);
        CInstaller::OutputState state;
        int32_t result = -1;
        EXPECT_EQ(Parse(row.chunk, state, result), row.reports);
        EXPECT_EQ(result, row.result);
    }
}

TEST(PackageProtocol, EncodeSelectsTheCodePageForLaterChunks)
{
    struct Row {
        const wchar_t* line;
        int32_t before;
        int32_t after;
    };
    const Row rows[] = {
        {L"Encode=UTF8", 0, 65001},        {L"Encode= UTF8\r\n", 0, 65001}, {L"Encode=ACP", 65001, 0},
        {L"Encode=936", 0, 936},           {L"Encode=936abc", 0, 936},      {L"Encode=+1252", 0, 1252},
        {L"Encode=utf8", 65001, 0},        {L"Encode=GBK", 65001, 0},       {L"Encode=99999999999", 65001, 0},
        {L"Encode=", 936, 0},
        // Numbers naming no code page that can be decoded keep the one in force.
        {L"Encode=-5", 65001, 65001},      {L"Encode=12345", 936, 936},     {L"Encode=1200", 65001, 65001},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.line)));
        CInstaller::OutputState state;
        state.codePage = row.before;
        int32_t result = -1;
        EXPECT_TRUE(Parse(row.line, state, result).empty());
        EXPECT_EQ(state.codePage, row.after);
        EXPECT_EQ(result, 0);
    }
}

TEST(PackageProtocol, InstallVersionTakesTheNumbersThatScan)
{
    struct Row {
        const wchar_t* line;
        int32_t expected[3];
    };
    // Every row starts from 9.9.9.
    const Row rows[] = {
        {L"InstallVersion=1.2.3", {1, 2, 3}},     {L"InstallVersion= 1. 2. 3\r", {1, 2, 3}},
        {L"InstallVersion=4.5", {4, 5, 9}},       {L"InstallVersion=7.x.8", {7, 9, 9}},
        {L"InstallVersion=1 .2.3", {1, 9, 9}},    {L"InstallVersion=v1.2.3", {9, 9, 9}},
        {L"InstallVersion=-1.0.12beta", {-1, 0, 12}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.line)));
        CInstaller::OutputState state;
        for (int32_t& part : state.installedVersion) part = 9;
        int32_t result = 0;
        Parse(row.line, state, result);
        EXPECT_EQ(std::vector<int32_t>(state.installedVersion, state.installedVersion + 3),
                  std::vector<int32_t>(row.expected, row.expected + 3));
    }
}

TEST(PackageProtocol, ExePathIsLoggedUnderTheParser)
{
    TestSupport::LogCapture log;
    CInstaller::OutputState state;
    int32_t result = 0;
    Parse(L"ExePath=C:\\Lumora\\lumora.exe\nStartExe=C:\\other.exe\n", state, result);
    std::vector<std::wstring> lines = log.Matching(L"ExePath: ");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(L"(CInstaller::Parse)"), std::wstring::npos) << testing::PrintToString(lines[0]);
    const std::wstring ending = L">: ExePath: C:\\Lumora\\lumora.exe";  // LogRaw adds no line end
    ASSERT_GE(lines[0].size(), ending.size());
    EXPECT_EQ(lines[0].substr(lines[0].size() - ending.size()), ending);
}

TEST(PackageProtocol, DriverParseUsesItsOwnStateAndCallback)
{
    InstallTest::ReportRecorder recorder;
    CInstaller installer(recorder.Callback(), L"\"p.exe\"", L"", true, true, true);
    EXPECT_EQ(installer.Parse(L"Encode=UTF8\nInstallVersion=2.0.1\nProgress=0.75\n"), 0);
    EXPECT_EQ(installer.State().codePage, 65001);
    EXPECT_EQ(installer.State().installedVersion[0], 2);
    EXPECT_EQ(installer.State().installedVersion[2], 1);
    EXPECT_EQ(recorder.Reports(), (std::vector<Report>{{2002, 0.75, L""}}));
    EXPECT_EQ(installer.Parse(L"State=Fail"), 1000);
}

}  // namespace
