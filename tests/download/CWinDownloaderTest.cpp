#include "DownloadServers.h"
#include "ReportRecorder.h"

#include "download/CWinDownloader.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"

#include <gtest/gtest.h>

using namespace DownloadTest;

namespace {

ReportRecorder::Factory System(const std::wstring& address, const std::wstring& destination)
{
    return Make<CWinDownloader>(address, destination);
}

TEST(CWinDownloader, DownloadsFromTheRealServer)
{
    TestSupport::TestTempDir dir;
    ReportRecorder recorder;
    recorder.Run(System(NginxUrl(L"software/pkg-3145728"), dir / L"p.exe"));
    recorder.Release();
    auto reports = recorder.Reports();
    ExpectWellFormedRuns(reports);
    EXPECT_EQ((std::vector<int>{1001, 1003}), recorder.Codes());
    EXPECT_EQ(0.0, reports.back().progress);
    EXPECT_EQ(L"URLDownloadToFile", reports.back().text);
    EXPECT_EQ(PackageMd5(3145728), FileMd5(dir / L"p.exe"));
}

// Three attempts, then 1004 carrying the last HRESULT. (Wine's URL download
// answers S_OK even for a 404, a dropped body or a hang-up, so only an
// unreachable server makes it fail here.)
TEST(CWinDownloader, UnreachableServerGivesTheHresult)
{
    TestSupport::TestTempDir dir;
    ReportRecorder recorder;
    recorder.Run(System(ClosedPortUrl(), dir / L"p.exe"));
    recorder.Release();
    EXPECT_EQ((std::vector<int>{1001, 1004}), recorder.Codes());
    EXPECT_EQ(static_cast<double>(static_cast<int32_t>(0x800C0008)), recorder.Reports().back().progress);
}

// The address is form-encoded: a space becomes "+", other bytes outside
// printable ASCII become upper-case escapes of their UTF-8 bytes.
TEST(CWinDownloader, RequestsTheFormEncodedAddress)
{
    TestSupport::TestTempDir dir;
    std::string token;
    ReportRecorder recorder;
    recorder.Run(System(FaultUrl(L"", L"my dir/\u4E2D.exe", &token), dir / L"p.exe"));
    recorder.Release();
    EXPECT_EQ(DL_CODE_SUCCESS, recorder.Codes().back());
    auto gets = RequestsOf(RequestLog(token), "GET");
    ASSERT_FALSE(gets.empty());
    EXPECT_EQ("/f/" + token + "/-/my+dir/%E4%B8%AD.exe", gets[0].path);
}

TEST(CWinDownloader, FileAddressIsPassedUnchanged)
{
    TestSupport::TestTempDir dir;
    std::wstring source = dir / L"source file.bin";
    ASSERT_TRUE(TestSupport::WriteBytes(source, PackageBytes(1048576)));
    ReportRecorder recorder;
    recorder.Run(System(L"file:///" + source, dir / L"copy.exe"));
    recorder.Release();
    EXPECT_EQ(DL_CODE_SUCCESS, recorder.Codes().back());
    EXPECT_EQ(PackageMd5(1048576), FileMd5(dir / L"copy.exe"));
}

// The owner starts the same object again for a later install attempt; each
// start is a new run with its own reports.
TEST(CWinDownloader, EveryStartRunsAgain)
{
    TestSupport::TestTempDir dir;
    std::string token;
    ReportRecorder recorder;
    recorder.Run(System(FaultUrl(L"", L"x/p.exe", &token), dir / L"p.exe"));
    recorder.RunAgain();
    recorder.Release();
    ExpectWellFormedRuns(recorder.Reports());
    EXPECT_EQ((std::vector<int>{1001, 1003, 1001, 1003}), recorder.Codes());
    EXPECT_EQ(2u, RequestsOf(RequestLog(token), "GET").size());
}

// The worker is made suspended with the object; an object released without
// ever being started must not wait forever for it.
TEST(CWinDownloader, ReleasedWithoutStartReportsNothing)
{
    int reports = 0;
    {
        CWinDownloader downloader([&](int, double, const wchar_t*) { ++reports; }, L"http://127.0.0.1:1/x",
                                  L"C:\\nowhere.exe");
    }
    EXPECT_EQ(0, reports);
}

TEST(CWinDownloader, EmptyDestinationFailsAtOnce)
{
    ReportRecorder recorder;
    recorder.Run(System(NginxUrl(L"software/pkg-3145728"), L""));
    recorder.Release();
    auto reports = recorder.Reports();
    ASSERT_EQ(2u, reports.size());
    EXPECT_EQ(DL_CODE_FAIL, reports[1].code);
    EXPECT_EQ(1.0, reports[1].progress);
}

// Progress notifications become fractions; a maximum of 0 gives no report.
TEST(CWinDownloaderBindCallback, ProgressNotifications)
{
    std::vector<double> seen;
    CWinDownloader::CBindCallback callback;
    callback.SetStatusCallback([&](int code, double progress, const wchar_t*) {
        EXPECT_EQ(DL_CODE_PROGRESS, code);
        seen.push_back(progress);
    });
    EXPECT_EQ(S_OK, callback.OnProgress(5, 0, 0, nullptr));
    EXPECT_EQ(S_OK, callback.OnProgress(1, 4, 0, nullptr));
    EXPECT_EQ(S_OK, callback.OnProgress(0xFFFFFFFFu, 0xFFFFFFFFu, 0, nullptr));
    EXPECT_EQ((std::vector<double>{0.25, 1.0}), seen);
    BINDINFO info = {};
    DWORD flags = 0;
    EXPECT_EQ(E_NOTIMPL, callback.GetBindInfo(&flags, &info));
    EXPECT_EQ(65001u, info.dwCodePage);
    EXPECT_EQ(E_NOTIMPL, callback.QueryInterface(IID_IUnknown, nullptr));
    callback.Cancel();
    EXPECT_EQ(E_ABORT, callback.OnProgress(1, 4, 0, nullptr));
}

}  // namespace
