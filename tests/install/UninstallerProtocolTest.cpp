// The uninstaller's four-key subset of the protocol, as UnInstaller::Parse
// reads it, and where it differs from the package's.
#include "ReportRecorder.h"
#include "install/UnInstaller.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using InstallTest::Report;

std::vector<Report> Parse(const std::wstring& chunk, int32_t& codePage, int32_t& result)
{
    std::vector<Report> reports;
    result = UnInstaller::Parse(chunk, codePage, [&](int32_t code, double progress, const wchar_t* text) {
        reports.push_back(Report{code, progress, text});
    });
    return reports;
}

struct ParseRow {
    const char* name;
    std::wstring chunk;
    std::vector<Report> reports;
    int32_t result;
};

const ParseRow kRows[] = {
    {"progress", L"Progress=0.3\r\n", {{5002, 0.3, L""}}, 0},
    {"progress not a number", L"Progress=half", {{5002, 0.0, L""}}, 0},
    {"error carries progress 0", L"Error=files locked\r\n", {{5005, 0.0, L"files locked\r"}}, 1000},
    {"state success", L"State= Success\r\n", {{5003, 0.0, L""}}, 1},
    {"state fail", L"State=Fail", {{5005, 0.0, L"安装包卸载失败"}}, 1000},
    {"state with another word", L"State=Done", {}, 0},
    {"state in lower case", L"State=success", {}, 0},
    {"package keys are ignored", L"InstPath=C:\\x\nMessage=hi\nExePath=C:\\x\\l.exe\nStartUrl=u\nTopShowDetention=5",
     {}, 0},
    {"blank before the key", L" Error=x", {}, 0},
    {"a later failure overrides success", L"State=Success\nState=Fail\n",
     {{5003, 0.0, L""}, {5005, 0.0, L"安装包卸载失败"}}, 1000},
    {"error text cut to 771", L"Error=" + std::wstring(900, L'e'), {{5005, 0.0, std::wstring(771, L'e')}}, 1000},
};

TEST(UninstallerProtocol, EachKeyGivesItsReportAndResult)
{
    for (const ParseRow& row : kRows) {
        SCOPED_TRACE(row.name);
        int32_t codePage = 0;
        int32_t result = -1;
        EXPECT_EQ(Parse(row.chunk, codePage, result), row.reports);
        EXPECT_EQ(result, row.result);
        EXPECT_EQ(codePage, 0);
    }
}

TEST(UninstallerProtocol, EncodeKnowsOnlyUtf8)
{
    struct Row {
        const wchar_t* line;
        int32_t after;
    };
    const Row rows[] = {{L"Encode=UTF8", 65001}, {L"Encode= UTF8\r", 65001}, {L"Encode=936", 0},
                        {L"Encode=ACP", 0},      {L"Encode=utf8", 0},        {L"Encode=65001", 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.line)));
        int32_t codePage = 936;
        int32_t result = -1;
        EXPECT_TRUE(Parse(row.line, codePage, result).empty());
        EXPECT_EQ(codePage, row.after);
        EXPECT_EQ(result, 0);
    }
}

TEST(UninstallerProtocol, CommandLineQuotesTheCopyAndCarriesTheOldFolderLastUnquoted)
{
    EXPECT_EQ(UnInstaller::BuildCommandLine(L"C:\\Documents and Settings\\Temp\\Lumora_un_asa.exe", false, true,
                                            L"C:\\Program Files\\Lumora"),
              L"\"C:\\Documents and Settings\\Temp\\Lumora_un_asa.exe\" /S -adminact=false -authorizationact=true "
              L"-console=show _?=C:\\Program Files\\Lumora");
    EXPECT_EQ(UnInstaller::BuildCommandLine(L"u.exe", true, false, L""),
              L"\"u.exe\" /S -adminact=true -authorizationact=false -console=show _?=");
}

}  // namespace
