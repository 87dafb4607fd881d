#include "DownloadServers.h"

#include "ReportRecorder.h"

#include "download/CurlClient.h"
#include "download/CurlCommon.h"
#include "support/LogCapture.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

using namespace DownloadTest;

namespace {

// A client with a recording progress receiver, as the single-stream downloader uses it.
class ClientRun {
public:
    ClientRun(const std::wstring& address, const std::wstring& destination) : client_(address, destination, this)
    {
        client_.SetProgressFunction(&ClientRun::OnProgress);
    }
    CurlClient& Client() { return client_; }
    std::vector<double> percents;

private:
    static void OnProgress(void* self, double, double, double percent)
    {
        static_cast<ClientRun*>(self)->percents.push_back(percent);
    }
    CurlClient client_;
};

TEST(CurlClient, PartPathAppendsSuffix)
{
    CurlClient client(L"http://h/a", L"C:\\dir\\pkg.exe", nullptr);
    EXPECT_EQ(L"C:\\dir\\pkg.exe.part", client.PartPath(true));
    EXPECT_EQ(L"C:\\dir\\pkg.exe", client.PartPath(false));
}

// The shortest package accepted is 1 MiB; one byte less is refused before any transfer.
TEST(CurlClient, OneMebibyteBoundary)
{
    TestSupport::TestTempDir dir;
    {
        CurlClient client(NginxUrl(L"software/pkg-1048575"), dir / L"short.exe", nullptr);
        EXPECT_EQ(CurlClient::kNoLength, client.Start());
        EXPECT_EQ(CurlClient::kNoLength, client.Start()) << "a later attempt probes again and refuses again";
        EXPECT_FALSE(TestSupport::FileExists(dir / L"short.exe.part")) << "nothing is opened";
    }
    CurlClient client(NginxUrl(L"software/pkg-1048576"), dir / L"exact.exe", nullptr);
    EXPECT_EQ(0, client.Start());
    EXPECT_EQ(PackageMd5(1048576), FileMd5(dir / L"exact.exe"));
    EXPECT_FALSE(TestSupport::FileExists(dir / L"exact.exe.part")) << "renamed into place";
    EXPECT_EQ(1048576.0, client.Length());
}

TEST(CurlClient, ProbeFindsEffectiveAddressWithDigest)
{
    TestSupport::TestTempDir dir;
    CurlClient client(NginxUrl(L"software/pkg-3145728"), dir / L"p.exe", nullptr);
    EXPECT_EQ(0, client.Start());
    std::string expected = "/" + PackageMd5(3145728) + "/pkg-3145728.bin";
    EXPECT_NE(std::string::npos, client.EffectiveUrl().find(expected)) << client.EffectiveUrl();
}

// A first probe answered 500 and then a good one; and a server whose HEAD
// answers only 400 with a length: the second probe accepts up to 400.
TEST(CurlClient, SecondProbeRescuesTheLength)
{
    for (const wchar_t* options : {L"headfail=1:500", L"headstatus=400"}) {
        SCOPED_TRACE(testing::Message() << options);
        TestSupport::TestTempDir dir;
        std::string token;
        CurlClient client(FaultUrl(options, L"x/p.exe", &token), dir / L"p.exe", nullptr);
        EXPECT_EQ(0, client.Start());
        EXPECT_EQ(PackageMd5(2097152), FileMd5(dir / L"p.exe"));
        EXPECT_EQ(3u, RequestsOf(RequestLog(token), "HEAD").size()) << "the follow probe, then both second probes";
    }
}

TEST(CurlClient, ResumesFromAnExistingPartialFile)
{
    TestSupport::TestTempDir dir;
    std::string token;
    // Slow enough for progress to be reported during the transfer.
    ClientRun run(FaultUrl(L"rate=1000000", L"x/p.exe", &token), dir / L"p.exe");
    ASSERT_TRUE(TestSupport::WriteBytes(dir / L"p.exe.part", PackageBytes(2097152).substr(0, 300000)));
    EXPECT_EQ(0, run.Client().Start());
    EXPECT_EQ(PackageMd5(2097152), FileMd5(dir / L"p.exe"));
    auto gets = RequestsOf(RequestLog(token), "GET");
    ASSERT_EQ(1u, gets.size());
    EXPECT_EQ("bytes=300000-", gets[0].range);
    ASSERT_FALSE(run.percents.empty());
    EXPECT_GE(run.percents.front(), 300000.0 / 2097152.0 * 100.0) << "the bytes already there count";
}

TEST(CurlClient, HttpErrorOnTransferKeepsPartialFile)
{
    TestSupport::TestTempDir dir;
    std::string token;
    CurlClient client(FaultUrl(L"getfail=1:404", L"x/p.exe", &token), dir / L"p.exe", nullptr);
    ASSERT_TRUE(TestSupport::WriteBytes(dir / L"p.exe.part", PackageBytes(2097152).substr(0, 1000)));
    EXPECT_EQ(CURLE_HTTP_RETURNED_ERROR, client.Start());
    EXPECT_EQ(1000u, TestSupport::ReadBytes(dir / L"p.exe.part").size());
    EXPECT_FALSE(TestSupport::FileExists(dir / L"p.exe"));
}

// Every outcome is logged, and the line pair frames each attempt.
TEST(CurlClient, LogsEachAttempt)
{
    TestSupport::TestTempDir dir;
    TestSupport::LogCapture log;
    CurlClient client(ClosedPortUrl(), dir / L"p.exe", nullptr);
    EXPECT_EQ(CurlClient::kNoLength, client.Start());
    EXPECT_EQ(1u, log.Matching(L"start download").size());
    EXPECT_EQ(1u, log.Matching(L"error:-998:").size());
    EXPECT_EQ(1u, log.Matching(L"end download").size());
}

// A redirect loop ends after the redirect limit instead of running forever.
TEST(CurlClient, RedirectLoopEnds)
{
    TestSupport::TestTempDir dir;
    std::string token;
    CurlClient client(FaultUrl(L"loop=1", L"x/p.exe", &token), dir / L"p.exe", nullptr);
    EXPECT_EQ(CurlClient::kNoLength, client.Start());
    // Two following probes of 31 requests each, and the plain probe.
    EXPECT_EQ(2u * (Utils::kMaxRedirects + 1) + 1u, RequestLog(token).size());
}

TEST(CurlClient, FileAddressIsProbedAndCopied)
{
    TestSupport::TestTempDir dir;
    std::wstring source = dir / L"source.bin";
    ASSERT_TRUE(TestSupport::WriteBytes(source, PackageBytes(1048576)));
    std::wstring address = L"file:///" + source;
    CurlClient client(address, dir / L"copy.exe", nullptr);
    int result = client.Start();
    EXPECT_EQ(0, result);
    EXPECT_EQ(PackageMd5(1048576), FileMd5(dir / L"copy.exe"));
}

}  // namespace

namespace {

// A peer that accepts the probe and never answers: the probe gives up after
// the stall window (result 28) and the next probe carries on.
TEST(CurlClient, ProbeThatHearsNothingStallsOut)
{
    struct Run {
        TestSupport::TestTempDir dir;
        std::string token;
        std::unique_ptr<CurlClient> client;
        int result = -1;
    };
    auto run = std::make_shared<Run>();
    run->client = std::make_unique<CurlClient>(FaultUrl(L"mute=1", L"x/p.exe", &run->token), run->dir / L"p.exe",
                                               nullptr);
    TestSupport::LogCapture log;
    ASSERT_TRUE(FinishesWithin(std::chrono::seconds(90), [run] { run->result = run->client->Start(); }))
        << "the probe waits for an answer that never comes";
    EXPECT_EQ(0, run->result);
    EXPECT_FALSE(log.Matching(L"error:28:").empty()) << "the silent probe ended on the stall rule";
    EXPECT_EQ(3u, RequestsOf(RequestLog(run->token), "HEAD").size());
    EXPECT_TRUE(HoldsPackage(run->dir / L"p.exe", 2097152));
}

// Stop ends a probe that is waiting for an answer.
TEST(CurlClient, StopEndsAWaitingProbe)
{
    struct Run {
        TestSupport::TestTempDir dir;
        std::unique_ptr<CurlClient> client;
        std::atomic<int> result{-1};
    };
    auto run = std::make_shared<Run>();
    std::string token;
    run->client = std::make_unique<CurlClient>(FaultUrl(L"mute=100", L"x/p.exe", &token), run->dir / L"p.exe",
                                               nullptr);
    std::thread([run] { run->result = run->client->Start(); }).detach();
    ASSERT_TRUE(WaitForRequests(token, "HEAD", 1));
    run->client->Stop();
    EXPECT_TRUE(FinishesWithin(std::chrono::seconds(10), [run] {
        while (run->result == -1) ::Sleep(50);
    })) << "the probe did not notice the stop";
    EXPECT_NE(0, run->result);
    EXPECT_EQ(1u, RequestsOf(RequestLog(token), "HEAD").size()) << "no further probe after the stop";
}

// A resume answered with the whole file (200) or with another range: nothing
// of that answer joins the partial file, which is started again from byte 0.
TEST(CurlClient, ResumeNotHonouredStartsAgainFromZero)
{
    for (const wchar_t* options : {L"norange=1", L"badrange=1"}) {
        SCOPED_TRACE(testing::Message() << options);
        TestSupport::TestTempDir dir;
        std::string token;
        CurlClient client(FaultUrl(options, L"x/p.exe", &token), dir / L"p.exe", nullptr);
        ASSERT_TRUE(TestSupport::WriteBytes(dir / L"p.exe.part", PackageBytes(2097152).substr(0, 300000)));
        EXPECT_EQ(CURLE_RANGE_ERROR, client.Start());
        EXPECT_FALSE(TestSupport::FileExists(dir / L"p.exe"));
        EXPECT_FALSE(TestSupport::FileExists(dir / L"p.exe.part")) << "the partial file cannot be resumed";
        EXPECT_EQ(0, client.Start());
        EXPECT_TRUE(HoldsPackage(dir / L"p.exe", 2097152));
        auto gets = RequestsOf(RequestLog(token), "GET");
        ASSERT_EQ(2u, gets.size());
        EXPECT_EQ("bytes=300000-", gets[0].range);
        EXPECT_EQ("", gets[1].range);
    }
}

// The finished file must be exactly as long as the probes said; bytes past a
// body's own Content-Length are not part of it.
TEST(CurlClient, FinishedFileMustHaveTheProbedLength)
{
    struct Case {
        const wchar_t* options;
        int result;
    };
    const Case cases[] = {
        {L"extra=1048576", CurlClient::kWrongLength},
        {L"extra=-1000", CurlClient::kWrongLength},
        {L"overlong=5000", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.options);
        TestSupport::TestTempDir dir;
        std::string token;
        CurlClient client(FaultUrl(c.options, L"x/p.exe", &token), dir / L"p.exe", nullptr);
        EXPECT_EQ(c.result, client.Start());
        EXPECT_FALSE(TestSupport::FileExists(dir / L"p.exe.part"));
        if (c.result == 0) {
            EXPECT_TRUE(HoldsPackage(dir / L"p.exe", 2097152));
            continue;
        }
        EXPECT_FALSE(TestSupport::FileExists(dir / L"p.exe"));
        size_t heads = RequestsOf(RequestLog(token), "HEAD").size();
        client.Start();
        EXPECT_GT(RequestsOf(RequestLog(token), "HEAD").size(), heads) << "the next attempt probes again";
    }
}

// The finished file cannot replace the destination (another program holds
// it): the attempt fails, and a later one only has to move the complete file.
TEST(CurlClient, FileThatCannotBeMovedIntoPlaceIsAFailedAttempt)
{
    TestSupport::TestTempDir dir;
    std::string token;
    const std::wstring destination = dir / L"p.exe";
    ASSERT_TRUE(TestSupport::WriteBytes(destination, "older"));
    CurlClient client(FaultUrl(L"", L"x/p.exe", &token), destination, nullptr);
    {
        Utils::UniqueFile holder(::CreateFileW(destination.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder);
        EXPECT_EQ(CurlClient::kFinishFailed, client.Start());
    }
    EXPECT_EQ("older", TestSupport::ReadBytes(destination));
    EXPECT_TRUE(HoldsPackage(destination + L".part", 2097152));
    EXPECT_EQ(0, client.Start());
    EXPECT_TRUE(HoldsPackage(destination, 2097152));
    EXPECT_EQ(1u, RequestsOf(RequestLog(token), "GET").size()) << "nothing fetched twice";
}

// A transfer that starts on https never follows a redirect to plain http.
TEST(CurlClient, HttpsNeverRedirectsToHttp)
{
    TestSupport::TestTempDir dir;
    CurlClient secure(NginxTlsUrl(L"software/pkg-2097152"), dir / L"secure.exe", nullptr);
    EXPECT_EQ(0, secure.Start());
    EXPECT_EQ(0u, secure.EffectiveUrl().find("https://")) << secure.EffectiveUrl();
    EXPECT_TRUE(HoldsPackage(dir / L"secure.exe", 2097152));

    CurlClient downgraded(NginxTlsUrl(L"to-http/software/pkg-2097152"), dir / L"plain.exe", nullptr);
    EXPECT_NE(0, downgraded.Start());
    EXPECT_FALSE(TestSupport::FileExists(dir / L"plain.exe"));
    EXPECT_FALSE(TestSupport::FileExists(dir / L"plain.exe.part"));
}

TEST(CurlClient, DestinationOutsideTheAnsiCodePage)
{
    TestSupport::TestTempDir dir;
    const std::wstring folder = dir / NonAnsiFolderName();
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    CurlClient client(NginxUrl(L"software/pkg-2097152"), folder + L"\\p.exe", nullptr);
    EXPECT_EQ(0, client.Start());
    EXPECT_TRUE(HoldsPackage(folder + L"\\p.exe", 2097152));
}

}  // namespace
