#include "DownloadServers.h"
#include "ReportRecorder.h"

#include "download/AddressText.h"
#include "download/CMTCurlDownloader.h"
#include "support/LogCapture.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"
#include "Utils/UniqueResource.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

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

// Certificate and host checks stay on for the resolution and for every range.
TEST(MultiPartSettings, VerificationAndLimits)
{
    for (const auto* s : {&CMTCurlDownloader::kResolutionSettings, &CMTCurlDownloader::kRangeSettings}) {
        EXPECT_EQ(1, s->verifyPeer);
        EXPECT_EQ(2, s->verifyHost);
        EXPECT_EQ(30, s->maxRedirects);
        EXPECT_EQ(60, s->connectTimeoutSeconds);
    }
    EXPECT_EQ(1, CMTCurlDownloader::kRangeSettings.lowSpeedLimit);
    EXPECT_EQ(5, CMTCurlDownloader::kRangeSettings.lowSpeedTimeSeconds);
}

class WriteCallbackTest : public testing::Test {
protected:
    void SetUp() override
    {
        node.partPath = Utils::ToAnsiPath(dir / L"part");
        FILE* raw = nullptr;
        ASSERT_EQ(0, fopen_s(&raw, node.partPath.c_str(), "ab+"));
        node.file.Reset(raw);
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
};

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
