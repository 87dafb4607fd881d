#include "app/DiagnosticLog.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <regex>

namespace {

using DiagnosticLog::Format;
using DiagnosticLog::Stamp;

const Stamp kStamp = {123, 4567, 2026, 3, 9, 7, 5, 1, 42};

TEST(LogFormat, PrefixIsPaddedAndTheTagPrintedLiterally)
{
    EXPECT_EQ(Format(kStamp, L"CurlClient::Start", 88, true, L"start download"),
              L"<P00123><T04567><2026-03-09 07:05:01.042>(CurlClient::Start)<0088>: start download\r\n");
    Stamp wide = kStamp;
    wide.processId = 123456;
    wide.threadId = 7;
    EXPECT_EQ(Format(wide, L"A::%s%d", 12345, false, L"x"),
              L"<P123456><T00007><2026-03-09 07:05:01.042>(A::%s%d)<12345>: x");
}

TEST(LogFormat, MessageIsPartOfTheFormat)
{
    const std::wstring prefix = L"<P00123><T04567><2026-03-09 07:05:01.042>(T)<0001>: ";
    struct Row {
        bool line;
        const wchar_t* format;
        std::wstring expected;
    } rows[] = {
        {false, L"progress:%f%%", prefix + L"progress:2.500000%"},
        {true, L"DL_TYPE=%d\r\n", prefix + L"DL_TYPE=3\r\n\r\n"},
        {false, L"DL_TYPE=%d\r\n", prefix + L"DL_TYPE=3\r\n"},
    };
    EXPECT_EQ(Format(kStamp, L"T", 1, rows[0].line, rows[0].format, 2.5), rows[0].expected);
    EXPECT_EQ(Format(kStamp, L"T", 1, rows[1].line, rows[1].format, 3), rows[1].expected);
    EXPECT_EQ(Format(kStamp, L"T", 1, rows[2].line, rows[2].format, 3), rows[2].expected);
}

TEST(LogFormat, WideStringsAndSixtyFourBitNumbers)
{
    // %s is a wide string here, whatever MinGW's C99 printf would make of it.
    EXPECT_EQ(Format(kStamp, L"T", 1, false, L"partPath::%s|%lld|%ld", L"C:\\中\\a_0", 5368709120LL, 7L),
              L"<P00123><T04567><2026-03-09 07:05:01.042>(T)<0001>: partPath::C:\\中\\a_0|5368709120|7");
}

TEST(LogFormat, LongMessageIsWrittenWhole)
{
    std::wstring big(6000, L'x');
    big += L"END";
    std::wstring text = Format(kStamp, L"T", 1, true, L"%s", big.c_str());
    ASSERT_GE(text.size(), big.size());
    EXPECT_EQ(text.substr(text.size() - 5), L"END\r\n");
    EXPECT_NE(text.find(big), std::wstring::npos);
}

TEST(LogTag, QualifiedNameFromTheCompilersSignature)
{
    struct Row {
        const char* pretty;
        const wchar_t* tag;
    } rows[] = {
        {"void CMTCurlDownloader::downloadExe(int)", L"CMTCurlDownloader::downloadExe"},
        {"static unsigned int Utils::Thread::CallBack(void*)", L"Utils::Thread::CallBack"},
        {"bool Utils::HardDiskManager::CheckFreeSpace(const std::wstring&) const",
         L"Utils::HardDiskManager::CheckFreeSpace"},
        {"std::vector<std::basic_string<wchar_t> > Foo::Bar(int (*)(int))", L"Foo::Bar"},
        {"int main()", L"main"},
        {"void Box<T>::Put(T) [with T = int]", L"Box<T>::Put"},
        {"CDownloadInstaller::Start()::<lambda(int, double, const wchar_t*)>",
         L"CDownloadInstaller::Start()::<lambda(int, double, const wchar_t*)>"},
    };
    for (const auto& row : rows) EXPECT_EQ(DiagnosticLog::QualifiedFunctionName(row.pretty), row.tag) << row.pretty;
}

}  // namespace

// Outside the anonymous namespace so its tag reads as a plain qualified name.
class CallSite {
public:
    static int Write() { LogLine(L"from %s %d", L"call site", 7); return __LINE__; }
    static void FromLambda()
    {
        auto body = [](int n) { LogRaw(L"lambda %d\r\n", n); };
        body(3);
    }
};

namespace {

TEST(LogWrite, CallSiteSuppliesTagLineAndLiveStamp)
{
    TestSupport::LogCapture capture;
    int line = CallSite::Write();
    auto lines = capture.Lines();
    ASSERT_EQ(lines.size(), 1u);
    wchar_t expectedTail[96];
    swprintf(expectedTail, 96, L"(CallSite::Write)<%04d>: from call site 7\r\n", line);
    EXPECT_NE(lines[0].find(expectedTail), std::wstring::npos) << lines[0];

    wchar_t ids[40];
    swprintf(ids, 40, L"<P%05lu><T%05lu><", ::GetCurrentProcessId(), ::GetCurrentThreadId());
    EXPECT_EQ(lines[0].rfind(ids, 0), 0u) << lines[0];
    std::wregex stamp(LR"(^<P\d{5,}><T\d{5,}><\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}>\([\s\S]*)");
    EXPECT_TRUE(std::regex_match(lines[0], stamp)) << lines[0];
}

TEST(LogWrite, LambdaTagNamesTheEnclosingFunction)
{
    TestSupport::LogCapture capture;
    CallSite::FromLambda();
    auto lines = capture.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find(L"(CallSite::FromLambda()::<lambda(int)>)"), std::wstring::npos) << lines[0];
    EXPECT_EQ(lines[0].substr(lines[0].size() - 10), L"lambda 3\r\n");
}

}  // namespace
