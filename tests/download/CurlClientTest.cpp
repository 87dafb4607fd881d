#include "DownloadServers.h"

#include "download/AddressText.h"
#include "download/CurlClient.h"
#include "support/LogCapture.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(2u * (CurlClient::kMaxRedirects + 1) + 1u, RequestLog(token).size());
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
