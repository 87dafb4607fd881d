#include "DownloadServers.h"
#include "ReportRecorder.h"

#include "download/CCurlDownloader.h"
#include "support/LogCapture.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"

#include <gtest/gtest.h>

using namespace DownloadTest;

namespace {

ReportRecorder::Factory SingleStream(const std::wstring& address, const std::wstring& destination)
{
    return Make<CCurlDownloader>(address, destination);
}

struct Scenario {
    const char* name;
    const wchar_t* options;  // fault server options; the address ends in "/x/p.exe" unless digest= redirects
    std::vector<int> codes;  // reports without the 1002s
    double lastProgress;     // of the final report
    std::vector<std::wstring> notices;  // 1006 texts in order
    size_t transfers;        // GET requests the server saw
    size_t retryLines;       // "CurlDownLoader Code=" lines
    bool fileMatches;        // the destination holds the package afterwards
    long long size = 2097152;
};

const std::wstring kNoDigest = L"curl获取url-md5失败";
const std::wstring kMismatch = L"curl文件md5校验失败";

const Scenario kScenarios[] = {
    {"good digest", L"digest=good", {1001, 1003}, 0.0, {}, 1, 0, true},
    {"no digest in the address", L"", {1001, 1006, 1003}, 0.0, {kNoDigest}, 1, 0, true},
    {"31-character digest is none", L"digest=short", {1001, 1006, 1003}, 0.0, {kNoDigest}, 1, 0, true},
    {"three failures then success", L"digest=good,getfail=3:500", {1001, 1003}, 0.0, {}, 4, 3, true},
    {"six failures exhaust the budget", L"getfail=6:404", {1001, 1004}, 22.0, {}, 6, 5, false},
    {"twelve dropped connections", L"drop=12", {1001, 1004}, 18.0, {}, 12, 11, false},
    {"drops resume and finish", L"digest=good,drop=4", {1001, 1003}, 0.0, {}, 5, 4, true},
    {"wrong digest twice", L"digest=wrong", {1001, 1006, 1005, 1001, 1006, 1004}, 0.0, {kMismatch, kMismatch}, 2, 0,
     false},
    {"upper-case digest never matches", L"digest=upper", {1001, 1006, 1005, 1001, 1006, 1004}, 0.0,
     {kMismatch, kMismatch}, 2, 0, false},
    {"below 1 MiB", L"size=1048575", {1001, 1004}, -998.0, {}, 0, 5, false, 1048575},
    {"exactly 1 MiB", L"size=1048576,digest=good", {1001, 1003}, 0.0, {}, 1, 0, true, 1048576},
    {"probe refused, transfer fine", L"headstatus=404", {1001, 1004}, -998.0, {}, 0, 5, false},
    {"redirect loop", L"loop=1", {1001, 1004}, -998.0, {}, 0, 5, false},
    // Slow enough for progress reports: none of them passes 1.
    {"body longer than probed", L"extra=1048576,rate=2000000", {1001, 1004}, -994.0, {}, 6, 5, false},
    {"body shorter than probed", L"extra=-4096", {1001, 1004}, -994.0, {}, 6, 5, false},
    {"bytes past the Content-Length", L"digest=good,overlong=4096", {1001, 1003}, 0.0, {}, 1, 0, true},
    {"resume answered with the whole file", L"digest=good,drop=1,norange=1", {1001, 1003}, 0.0, {}, 3, 2, true},
    {"resume answered with another range", L"digest=good,drop=1,badrange=1", {1001, 1003}, 0.0, {}, 3, 2, true},
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const Scenario& c, std::ostream* out) { *out << c.name; }

class SingleStreamScenario : public testing::TestWithParam<Scenario> {};

TEST_P(SingleStreamScenario, ReportsAttemptsAndFile)
{
    const Scenario& s = GetParam();
    TestSupport::TestTempDir dir;
    TestSupport::LogCapture log;
    std::string token;
    std::wstring options = s.options;
    bool redirects = options.find(L"digest=") != std::wstring::npos;
    std::wstring address = FaultUrl(options, redirects ? L"p.exe" : L"x/p.exe", &token);
    std::wstring destination = dir / L"p.exe";
    ReportRecorder recorder;
    recorder.Run(SingleStream(address, destination));
    recorder.Release();

    auto reports = recorder.Reports();
    ExpectWellFormedRuns(reports);
    EXPECT_EQ(s.codes, recorder.Codes());
    EXPECT_EQ(s.lastProgress, reports.back().progress);
    EXPECT_EQ(L"LibCurl", reports.back().text);
    std::vector<std::wstring> notices;
    for (const auto& r : reports)
        if (r.code == DL_CODE_MD5_NOTICE) notices.push_back(r.text);
    EXPECT_EQ(s.notices, notices);
    EXPECT_EQ(s.transfers, RequestsOf(RequestLog(token), "GET").size());
    auto retryLines = log.Matching(L"CurlDownLoader Code=");
    EXPECT_EQ(s.retryLines, retryLines.size());
    for (const auto& line : retryLines)
        EXPECT_NE(std::wstring::npos, line.find(L"(CCurlDownloader::dlThreadFun)<")) << line;
    if (s.fileMatches) {
        EXPECT_EQ(PackageMd5(s.size), FileMd5(destination));
    } else if (s.notices.empty()) {
        EXPECT_FALSE(TestSupport::FileExists(destination)) << "no file for a failed transfer";
    }
}

INSTANTIATE_TEST_SUITE_P(FaultServer, SingleStreamScenario, testing::ValuesIn(kScenarios),
                         [](const testing::TestParamInfo<Scenario>& info) { return CaseName(info.param.name); });

TEST(CCurlDownloader, RealServerWithDigestInRedirect)
{
    TestSupport::TestTempDir dir;
    ReportRecorder recorder;
    recorder.Run(SingleStream(NginxUrl(L"software/pkg-3145728"), dir / L"p.exe"));
    recorder.Release();
    ExpectWellFormedRuns(recorder.Reports());
    EXPECT_EQ((std::vector<int>{1001, 1003}), recorder.Codes());
    EXPECT_EQ(PackageMd5(3145728), FileMd5(dir / L"p.exe"));
    EXPECT_FALSE(TestSupport::FileExists(dir / L"p.exe.part"));
}

TEST(CCurlDownloader, ConstructionDeletesStalePartialFile)
{
    TestSupport::TestTempDir dir;
    ASSERT_TRUE(TestSupport::WriteBytes(dir / L"p.exe.part", "stale"));
    CCurlDownloader downloader([](int, double, const wchar_t*) {}, L"http://127.0.0.1:1/x", (dir / L"p.exe").c_str());
    EXPECT_FALSE(TestSupport::FileExists(dir / L"p.exe.part"));
}

// A failed run leaves its partial file; the next start continues it.
TEST(CCurlDownloader, LaterStartContinuesThePartialFile)
{
    TestSupport::TestTempDir dir;
    std::string token;
    std::wstring destination = dir / L"p.exe";
    ReportRecorder recorder;
    recorder.Run(SingleStream(FaultUrl(L"drop=12", L"x/p.exe", &token), destination));
    size_t kept = TestSupport::ReadBytes(destination + L".part").size();
    ASSERT_GT(kept, 0u);
    recorder.RunAgain();
    recorder.Release();
    EXPECT_EQ((std::vector<int>{1001, 1004, 1001, 1006, 1003}), recorder.Codes());
    auto gets = RequestsOf(RequestLog(token), "GET");
    ASSERT_EQ(13u, gets.size());
    EXPECT_EQ("bytes=" + std::to_string(kept) + "-", gets[12].range);
    EXPECT_EQ(PackageMd5(2097152), FileMd5(destination));
}

// A server that stops sending: the transfer is given up after 30 s under
// 1 byte/s (result 28) and the next attempt resumes where it stopped.
TEST(CCurlDownloader, StalledTransferIsAbortedAndResumed)
{
    TestSupport::TestTempDir dir;
    TestSupport::LogCapture log;
    std::string token;
    ReportRecorder recorder;
    recorder.Run(SingleStream(FaultUrl(L"digest=good,stall=1", L"p.exe", &token), dir / L"p.exe"));
    recorder.Release();
    EXPECT_EQ((std::vector<int>{1001, 1003}), recorder.Codes());
    EXPECT_EQ(1u, log.Matching(L"CurlDownLoader Code=28").size());
    auto gets = RequestsOf(RequestLog(token), "GET");
    ASSERT_EQ(2u, gets.size());
    EXPECT_EQ("bytes=400000-", gets[1].range);
    EXPECT_EQ(PackageMd5(2097152), FileMd5(dir / L"p.exe"));
}

TEST(CCurlDownloader, UnreachableServerFailsAfterSixAttempts)
{
    TestSupport::TestTempDir dir;
    TestSupport::LogCapture log;
    ReportRecorder recorder;
    recorder.Run(SingleStream(ClosedPortUrl(), dir / L"p.exe"));
    recorder.Release();
    EXPECT_EQ((std::vector<int>{1001, 1004}), recorder.Codes());
    EXPECT_EQ(-998.0, recorder.Reports().back().progress);
    EXPECT_EQ(6u, log.Matching(L"start download").size());
}

TEST(CCurlDownloader, EmptyDestinationFailsAtOnce)
{
    ReportRecorder recorder;
    recorder.Run(SingleStream(NginxUrl(L"software/pkg-3145728"), L""));
    recorder.Release();
    auto reports = recorder.Reports();
    ASSERT_EQ(2u, reports.size());
    EXPECT_EQ(DL_CODE_FAIL, reports[1].code);
    EXPECT_EQ(1.0, reports[1].progress);
    EXPECT_EQ(L"", reports[1].text);
}

// After the one 1005 of its life, a later mismatch of the same object ends with 1004 at once.
TEST(CCurlDownloader, OnlyOneRetryPerObject)
{
    TestSupport::TestTempDir dir;
    ReportRecorder recorder;
    recorder.Run(SingleStream(FaultUrl(L"digest=wrong", L"p.exe", nullptr), dir / L"p.exe"));
    recorder.RunAgain();
    recorder.Release();
    EXPECT_EQ((std::vector<int>{1001, 1006, 1005, 1001, 1006, 1004, 1001, 1006, 1004}), recorder.Codes());
}

}  // namespace
