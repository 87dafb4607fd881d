#include "DownloadServers.h"
#include "ReportRecorder.h"

#include "download/CMTCurlDownloader.h"
#include "download/CurlCommon.h"
#include "download/LocalFile.h"
#include "support/LogCapture.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"
#include "Utils/UniqueResource.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <mutex>

using namespace DownloadTest;

namespace {

const long long kMiB = 1048576;

ReportRecorder::Factory MultiPart(const std::wstring& address, const std::wstring& destination)
{
    return Make<CMTCurlDownloader>(address, destination);
}

TEST(MultiPartRanges, SplitByLength)
{
    struct Case {
        long long length;
        std::vector<std::pair<long long, long long>> ranges;
    };
    const Case cases[] = {
        {200, {{0, 199}}},
        {15 * kMiB, {{0, 15 * kMiB - 1}}},
        {20 * kMiB - 1, {{0, 20 * kMiB - 2}}},
        {20 * kMiB, {{0, 10 * kMiB - 1}, {10 * kMiB, 20 * kMiB - 1}}},
        {25 * kMiB, {{0, 13107199}, {13107200, 26214399}}},
        {25 * kMiB + 1, {{0, 13107199}, {13107200, 26214400}}},
        {300 * kMiB, {{0, 150 * kMiB - 1}, {150 * kMiB, 300 * kMiB - 1}}},
        // Past 2 GiB the offsets need 64 bits.
        {3072 * kMiB, {{0, 1536 * kMiB - 1}, {1536 * kMiB, 3072 * kMiB - 1}}},
    };
    for (const auto& c : cases) {
        std::vector<std::pair<long long, long long>> got;
        for (const auto& r : CMTCurlDownloader::SplitIntoRanges(c.length)) got.push_back({r.first, r.last});
        EXPECT_EQ(c.ranges, got) << c.length;
    }
    EXPECT_EQ("13107200-26214399", CMTCurlDownloader::RangeText(13107200, 26214399));
    EXPECT_EQ("1610612736-3221225471", CMTCurlDownloader::RangeText(1610612736LL, 3221225471LL));
}

TEST(MultiPartRanges, ContentRangeMustNameTheAskedRange)
{
    struct Case {
        const char* value;
        bool matches;
    };
    const Case cases[] = {
        {" bytes 100-199/1000\r\n", true},
        {"bytes 100-199/*", true},
        {"Bytes  100-199/1000", true},
        {"bytes 101-200/1000", false},
        {"bytes 100-198/1000", false},
        {"bytes 100-199/999", false},
        {"bytes 100-199", false},
        {"bytes */1000", false},
        {"items 100-199/1000", false},
        {"bytes100-199/1000", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.matches, CMTCurlDownloader::ContentRangeMatches(c.value, 100, 199, 1000)) << c.value;
}

// The request rules reach every request of a run: the resolution and both
// ranges keep certificate and host checks on, and carry the connect timeout,
// the redirect limit and rule and a stall rule (5 s for a range, which its
// budget resumes; the usual window for the resolution).
class OptionLog {
public:
    OptionLog() { Utils::SetCurlOptionObserver(&OptionLog::Receive); }
    ~OptionLog() { Utils::SetCurlOptionObserver(nullptr); }
    static std::vector<std::string> ValuesOf(CURLoption option)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::string> values;
        for (const auto& entry : entries_)
            if (entry.first == option) values.push_back(entry.second);
        std::sort(values.begin(), values.end());
        return values;
    }

private:
    static void Receive(CURLoption option, const std::string& value)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        entries_.push_back({option, value});
    }
    static std::mutex mutex_;
    static std::vector<std::pair<CURLoption, std::string>> entries_;
};
std::mutex OptionLog::mutex_;
std::vector<std::pair<CURLoption, std::string>> OptionLog::entries_;

TEST(MultiPartSettings, RequestRulesReachEveryRequest)
{
    TestSupport::TestTempDir dir;
    OptionLog options;
    ReportRecorder recorder;
    recorder.Run(MultiPart(NginxUrl(L"software/pkg-26214400"), dir / L"p.exe"));
    recorder.Release();
    ASSERT_EQ((std::vector<int>{1001, 1003}), recorder.Codes());
    using Values = std::vector<std::string>;
    EXPECT_EQ((Values{"1", "1", "1"}), OptionLog::ValuesOf(CURLOPT_SSL_VERIFYPEER));
    EXPECT_EQ((Values{"2", "2", "2"}), OptionLog::ValuesOf(CURLOPT_SSL_VERIFYHOST));
    EXPECT_EQ((Values{"60", "60", "60"}), OptionLog::ValuesOf(CURLOPT_CONNECTTIMEOUT));
    EXPECT_EQ((Values{"30", "30", "30"}), OptionLog::ValuesOf(CURLOPT_MAXREDIRS));
    EXPECT_EQ((Values{"http,https", "http,https", "http,https"}), OptionLog::ValuesOf(CURLOPT_REDIR_PROTOCOLS_STR));
    EXPECT_EQ((Values{"1", "1", "1"}), OptionLog::ValuesOf(CURLOPT_LOW_SPEED_LIMIT));
    EXPECT_EQ((Values{"30", "5", "5"}), OptionLog::ValuesOf(CURLOPT_LOW_SPEED_TIME));
}

class WriteCallbackTest : public testing::Test {
protected:
    void SetUp() override
    {
        node.partPath = dir / L"part";
        node.file = Utils::OpenLocalFile(node.partPath, L"ab+");
        ASSERT_TRUE(node.file);
        node.rangeAccepted = true;
    }
    size_t Feed(const std::string& block)
    {
        std::string copy = block;
        return CMTCurlDownloader::WriteCallback(&copy[0], 1, copy.size(), &node);
    }
    std::string FileText()
    {
        node.file.Reset();
        return TestSupport::ReadBytes(dir / L"part");
    }
    TestSupport::TestTempDir dir;
    CMTCurlDownloader::DownloadPartNode node;
};

TEST_F(WriteCallbackTest, BlockEndingOneBeforeTheEndThenOneByte)
{
    node.start = 100;
    node.end = 109;
    EXPECT_EQ(9u, Feed("abcdefghi"));
    EXPECT_EQ(109, node.start);
    EXPECT_EQ(1u, Feed("j"));
    EXPECT_EQ(110, node.start);
    EXPECT_EQ(0u, Feed("k")) << "the range is complete";
    EXPECT_EQ(10u, node.received.load());
    EXPECT_EQ("abcdefghij", FileText());
}

TEST_F(WriteCallbackTest, BlockOverrunningTheRangeIsCut)
{
    node.start = 0;
    node.end = 4;
    EXPECT_EQ(5u, Feed("0123456789")) << "fewer bytes than offered ends the transfer";
    EXPECT_EQ(5, node.start);
    EXPECT_EQ(5u, node.received.load());
    EXPECT_EQ("01234", FileText());
}

TEST_F(WriteCallbackTest, NoFileAcceptsNothing)
{
    node.file.Reset();
    node.start = 0;
    node.end = 4;
    EXPECT_EQ(0u, Feed("0123"));
}

TEST_F(WriteCallbackTest, AnswerThatIsNotTheRangeAcceptsNothing)
{
    node.rangeAccepted = false;
    node.start = 0;
    node.end = 4;
    EXPECT_EQ(0u, Feed("0123"));
    EXPECT_EQ("", FileText());
}

std::vector<std::string> Ranges(const std::string& token)
{
    std::vector<std::string> ranges;
    for (const auto& r : RequestsOf(RequestLog(token), "GET")) ranges.push_back(r.range);
    return ranges;
}

struct SplitCase {
    long long size;
    std::vector<std::string> ranges;
    size_t mergeLines;
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const SplitCase& c, std::ostream* out) { *out << c.size << " bytes"; }

class MultiPartSplit : public testing::TestWithParam<SplitCase> {};

TEST_P(MultiPartSplit, RangesRequestedAndFileAssembled)
{
    const SplitCase& c = GetParam();
    TestSupport::TestTempDir dir;
    TestSupport::LogCapture log;
    std::string token;
    std::wstring destination = dir / L"p.exe";
    ReportRecorder recorder;
    recorder.Run(MultiPart(FaultUrl(L"digest=good,size=" + std::to_wstring(c.size), L"p.exe", &token), destination));
    recorder.Release();
    ExpectWellFormedRuns(recorder.Reports());
    EXPECT_EQ((std::vector<int>{1001, 1003}), recorder.Codes());
    auto ranges = Ranges(token);
    std::sort(ranges.begin(), ranges.end());
    EXPECT_EQ(c.ranges, ranges);
    auto mergeLines = log.Matching(L"partPath::");
    EXPECT_EQ(c.mergeLines, mergeLines.size());
    for (const auto& line : mergeLines)
        EXPECT_NE(std::wstring::npos, line.find(L"(CMTCurlDownloader::waitForFinishThreadFun)<")) << line;
    EXPECT_EQ(1u, log.Matching(L"finish recv").size());
    EXPECT_EQ(1u, log.Matching(L"(CMTCurlDownloader::Start_Down)<").size()) << "start download";
    EXPECT_EQ(PackageMd5(c.size), FileMd5(destination));
    EXPECT_FALSE(TestSupport::FileExists(destination + L"_0"));
    EXPECT_FALSE(TestSupport::FileExists(destination + L"_1"));
}

INSTANTIATE_TEST_SUITE_P(FaultServer, MultiPartSplit,
                         testing::Values(SplitCase{15728640, {"bytes=0-15728639"}, 0},
                                         SplitCase{26214400, {"bytes=0-13107199", "bytes=13107200-26214399"}, 1},
                                         SplitCase{26214401, {"bytes=0-13107199", "bytes=13107200-26214400"}, 1}));

TEST(CMTCurlDownloader, RealServerTwoRangesManyTimes)
{
    // Repeated to shake out races on the counters the two part threads share.
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i);
        TestSupport::TestTempDir dir;
        ReportRecorder recorder;
        recorder.Run(MultiPart(NginxUrl(L"software/pkg-26214400"), dir / L"p.exe"));
        recorder.Release();
        ExpectWellFormedRuns(recorder.Reports());
        EXPECT_EQ((std::vector<int>{1001, 1003}), recorder.Codes());
        EXPECT_EQ(PackageMd5(26214400), FileMd5(dir / L"p.exe"));
    }
}

// Part file 0 keeps dropping until its budget is spent (result 18, costing one
// point a time); the repeated run asks only for what part 0 lacks and counts
// the bytes it already has.
TEST(CMTCurlDownloader, RepeatedRunContinuesPartZero)
{
    TestSupport::TestTempDir dir;
    TestSupport::LogCapture log;
    std::string token;
    std::wstring destination = dir / L"p.exe";
    long long size = 26214400;
    ReportRecorder recorder;
    recorder.Run(MultiPart(FaultUrl(L"digest=good,size=26214400,lowdrop=13,rate=4000000", L"p.exe", &token),
                           destination));
    recorder.Release();
    auto reports = recorder.Reports();
    ExpectWellFormedRuns(reports);
    EXPECT_EQ((std::vector<int>{1001, 1005, 1001, 1003}), recorder.Codes());
    auto gets = RequestsOf(RequestLog(token), "GET");
    // 13 transfers of part 0, one of part 1, then part 0's remainder only.
    ASSERT_EQ(15u, gets.size());
    const std::string& last = gets.back().range;
    ASSERT_EQ(0u, last.find("bytes=")) << last;
    long long resumedAt = std::stoll(last.substr(6));
    EXPECT_GT(resumedAt, 0);
    EXPECT_EQ("bytes=" + std::to_string(resumedAt) + "-13107199", last);
    size_t restart = 0;
    for (size_t i = 0; i < reports.size(); ++i)
        if (reports[i].code == DL_CODE_RETRY) restart = i;
    EXPECT_EQ(18.0, reports[restart].progress);
    for (size_t i = restart + 1; i < reports.size(); ++i) {
        if (reports[i].code != DL_CODE_PROGRESS) continue;
        EXPECT_GE(reports[i].progress, static_cast<double>(resumedAt + 13107200) / size) << "first percent";
        break;
    }
    EXPECT_EQ(PackageMd5(size), FileMd5(destination));
    EXPECT_EQ(12u, log.Matching(L"CurlDownLoader Code=18").size());
}

struct FailureCase {
    const char* name;
    const wchar_t* options;
    const wchar_t* tail;
    std::vector<int> codes;
    std::vector<double> endings;  // progress of 1004/1005 in order
    std::vector<std::wstring> notices;
    size_t transfers;
};

const std::wstring kMtNoDigest = L"mtcurl获取url-md5失败";
const std::wstring kMtMismatch = L"mtcurl文件md5校验失败";

const FailureCase kFailures[] = {
    {"parts exhaust their budgets", L"size=26214400,getfail=100:500", L"x/p.exe", {1001, 1005, 1001, 1004}, {22.0, 22.0},
     {}, 28},
    {"length of 200", L"size=200", L"x/p.exe", {1001, 1004}, {0.0}, {}, 0},
    {"redirect loop", L"loop=1", L"x/p.exe", {1001, 1004}, {0.0}, {}, 0},
    {"digest mismatch", L"size=2097152,digest=wrong", L"p.exe", {1001, 1006, 1005, 1001, 1006, 1004}, {0.0, 0.0},
     {kMtMismatch, kMtMismatch}, 2},
    {"missing digest", L"size=2097152", L"x/p.exe", {1001, 1006, 1003}, {}, {kMtNoDigest}, 1},
    // A range whose server stops sending is given up after 5 s under 1 byte/s and resumed.
    {"stalled range resumes", L"size=26214400,digest=good,stall=1", L"p.exe", {1001, 1003}, {}, {}, 3},
    // A range answered with the whole file, or with another range, is never
    // written into its part file: each attempt fails (33) until the budget is spent.
    {"ranges answered with the whole file", L"size=26214400,norange=1", L"x/p.exe", {1001, 1005, 1001, 1004},
     {33.0, 33.0}, {}, 28},
    {"ranges answered one byte late", L"size=26214400,badrange=1", L"x/p.exe", {1001, 1005, 1001, 1004},
     {33.0, 33.0}, {}, 28},
    // A range whose request redirects to itself ends at the redirect limit (31 requests per attempt).
    {"range redirect loop", L"getloop=1", L"x/p.exe", {1001, 1005, 1001, 1004}, {47.0, 47.0}, {}, 2 * 7 * 31},
    // The server's file is shorter than its probe said: no range names the probed length.
    {"file shorter than probed", L"size=26214400,extra=-1000", L"x/p.exe", {1001, 1005, 1001, 1004},
     {33.0, 33.0}, {}, 28},
};

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

class MultiPartFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(MultiPartFailure, Reports)
{
    const FailureCase& c = GetParam();
    TestSupport::TestTempDir dir;
    std::string token;
    ReportRecorder recorder;
    recorder.Run(MultiPart(FaultUrl(c.options, c.tail, &token), dir / L"p.exe"));
    recorder.Release();
    auto reports = recorder.Reports();
    ExpectWellFormedRuns(reports);
    EXPECT_EQ(c.codes, recorder.Codes());
    std::vector<double> endings;
    std::vector<std::wstring> notices;
    for (const auto& r : reports) {
        if (r.code == DL_CODE_FAIL || r.code == DL_CODE_RETRY) endings.push_back(r.progress);
        if (r.code == DL_CODE_MD5_NOTICE) notices.push_back(r.text);
    }
    EXPECT_EQ(c.endings, endings);
    EXPECT_EQ(c.notices, notices);
    EXPECT_EQ(L"LibCurl", reports.back().text);
    EXPECT_EQ(c.transfers, RequestsOf(RequestLog(token), "GET").size());
    if (reports.back().code == DL_CODE_FAIL) {
        EXPECT_FALSE(TestSupport::FileExists(dir / L"p.exe"));
        EXPECT_FALSE(TestSupport::FileExists(dir / L"p.exe_0"));
    }
}

INSTANTIATE_TEST_SUITE_P(FaultServer, MultiPartFailure, testing::ValuesIn(kFailures),
                         [](const testing::TestParamInfo<FailureCase>& info) { return CaseName(info.param.name); });

TEST(CMTCurlDownloader, WithoutHttpLibraryEveryRunFails)
{
    TestSupport::TestTempDir dir;
    std::string token;
    const std::wstring address = FaultUrl(L"", L"x/p.exe", &token);
    const std::wstring destination = dir / L"p.exe";
    ReportRecorder recorder;
    recorder.Run([&](const StatusCallback& callback) {
        return std::make_unique<CMTCurlDownloader>(callback, address.c_str(), destination.c_str(), false);
    });
    recorder.RunAgain();
    recorder.Release();
    EXPECT_EQ((std::vector<int>{1001, 1004, 1001, 1004}), recorder.Codes());
    EXPECT_TRUE(RequestLog(token).empty());
}

// A part file complete from an earlier run but held open by another program,
// so it cannot be opened for the merge: the run fails instead of renaming a
// partial file into place (also when the address carries no digest to notice).
TEST(CMTCurlDownloader, PartThatCannotBeMergedFailsTheRun)
{
    struct Case {
        const wchar_t* address;
        int heldPart;
        long long heldFrom, heldLength;
    };
    const Case cases[] = {
        {L"plain/pkg-2097152.bin", 0, 0, 2097152},
        {L"plain/pkg-26214400.bin", 1, 13107200, 13107200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.heldPart);
        TestSupport::TestTempDir dir;
        std::wstring destination = dir / L"p.exe";
        std::wstring held = destination + L"_" + std::to_wstring(c.heldPart);
        Utils::UniqueFile holder;
        ReportRecorder recorder;
        recorder.Run([&](const StatusCallback& callback) {
            auto downloader =
                std::make_unique<CMTCurlDownloader>(callback, NginxUrl(c.address).c_str(), destination.c_str());
            std::string bytes = PackageBytes(c.heldFrom + c.heldLength).substr(c.heldFrom, c.heldLength);
            EXPECT_TRUE(TestSupport::WriteBytes(held, bytes));
            holder.Reset(::CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            EXPECT_TRUE(holder);
            return downloader;
        });
        recorder.Release();
        holder.Reset();
        EXPECT_EQ((std::vector<int>{1001, 1005, 1001, 1004}), recorder.Codes());
        EXPECT_EQ(-2.0, recorder.Reports().back().progress);
        EXPECT_FALSE(TestSupport::FileExists(destination));
    }
}

// The assembled file cannot replace the destination (another program holds
// it): the run fails instead of reporting a file that is not there.
TEST(CMTCurlDownloader, FileThatCannotBeMovedIntoPlaceFailsTheRun)
{
    TestSupport::TestTempDir dir;
    const std::wstring destination = dir / L"p.exe";
    Utils::UniqueFile holder;
    ReportRecorder recorder;
    recorder.Run([&](const StatusCallback& callback) {
        auto downloader =
            std::make_unique<CMTCurlDownloader>(callback, NginxUrl(L"software/pkg-2097152").c_str(), destination.c_str());
        EXPECT_TRUE(TestSupport::WriteBytes(destination, "older"));
        holder.Reset(::CreateFileW(destination.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
        EXPECT_TRUE(holder);
        return downloader;
    });
    recorder.Release();
    holder.Reset();
    EXPECT_EQ((std::vector<int>{1001, 1005, 1001, 1004}), recorder.Codes());
    EXPECT_EQ(-2.0, recorder.Reports().back().progress);
    EXPECT_EQ("older", TestSupport::ReadBytes(destination));
}

// A run that starts on https never follows a redirect to plain http.
TEST(CMTCurlDownloader, HttpsNeverRedirectsToHttp)
{
    TestSupport::TestTempDir dir;
    ReportRecorder secure;
    secure.Run(MultiPart(NginxTlsUrl(L"software/pkg-26214400"), dir / L"secure.exe"));
    secure.Release();
    EXPECT_EQ((std::vector<int>{1001, 1003}), secure.Codes());
    EXPECT_TRUE(HoldsPackage(dir / L"secure.exe", 26214400));

    ReportRecorder downgraded;
    downgraded.Run(MultiPart(NginxTlsUrl(L"to-http/software/pkg-26214400"), dir / L"plain.exe"));
    downgraded.Release();
    EXPECT_EQ((std::vector<int>{1001, 1004}), downgraded.Codes());
    EXPECT_FALSE(TestSupport::FileExists(dir / L"plain.exe"));
}

TEST(CMTCurlDownloader, ConstructionDeletesDestinationAndPartFiles)
{
    TestSupport::TestTempDir dir;
    std::wstring destination = dir / L"p.exe";
    for (const auto& name : {destination, destination + L"_0", destination + L"_1"})
        ASSERT_TRUE(TestSupport::WriteBytes(name, "stale"));
    CMTCurlDownloader downloader([](int, double, const wchar_t*) {}, L"http://127.0.0.1:1/x", destination.c_str());
    for (const auto& name : {destination, destination + L"_0", destination + L"_1"})
        EXPECT_FALSE(TestSupport::FileExists(name));
}

}  // namespace
