#include "DownloadServers.h"
#include "ReportRecorder.h"

#include "download/CWinDownloader.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"

#include <gtest/gtest.h>
#include <wincrypt.h>

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

// Three attempts, then 1004 carrying the last HRESULT.
TEST(CWinDownloader, UnreachableServerGivesTheHresult)
{
    TestSupport::TestTempDir dir;
    ReportRecorder recorder;
    recorder.Run(System(ClosedPortUrl(), dir / L"p.exe"));
    recorder.Release();
    EXPECT_EQ((std::vector<int>{1001, 1004}), recorder.Codes());
    EXPECT_EQ(static_cast<double>(static_cast<int32_t>(0x800C0008)), recorder.Reports().back().progress);
}

// The platform calls these answers a success (Wine does for a 404 and a cut
// body); none of them is a package. Each is a failed attempt: three, then 1004,
// and nothing is left at the destination.
TEST(CWinDownloader, AnswersThatAreNoPackageFailTheAttempt)
{
    struct Case {
        const wchar_t* options;
        HRESULT last;
    };
    const Case cases[] = {
        {L"getfail=3:404", INET_E_RESOURCE_NOT_FOUND},
        {L"getfail=3:500", INET_E_DOWNLOAD_FAILURE},
        {L"drop=3", INET_E_DOWNLOAD_FAILURE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.options);
        TestSupport::TestTempDir dir;
        std::string token;
        ReportRecorder recorder;
        recorder.Run(System(FaultUrl(c.options, L"x/p.exe", &token), dir / L"p.exe"));
        recorder.Release();
        ExpectWellFormedRuns(recorder.Reports());
        EXPECT_EQ((std::vector<int>{1001, 1004}), recorder.Codes());
        EXPECT_EQ(static_cast<double>(static_cast<int32_t>(c.last)), recorder.Reports().back().progress);
        EXPECT_EQ(3u, RequestsOf(RequestLog(token), "GET").size());
        EXPECT_FALSE(TestSupport::FileExists(dir / L"p.exe"));
    }
}

// One bad answer, then a good one: the next attempt keeps the good file.
TEST(CWinDownloader, AttemptAfterACutBodySucceeds)
{
    TestSupport::TestTempDir dir;
    ReportRecorder recorder;
    recorder.Run(System(FaultUrl(L"drop=1", L"x/p.exe", nullptr), dir / L"p.exe"));
    recorder.Release();
    EXPECT_EQ((std::vector<int>{1001, 1003}), recorder.Codes());
    EXPECT_TRUE(HoldsPackage(dir / L"p.exe", 2097152));
}

// The digest in the address the answer came from (after the redirect) is
// checked as the other downloaders check it: a mismatch is noticed, repeated
// once, then fails.
TEST(CWinDownloader, DigestInTheRedirectIsChecked)
{
    const std::wstring kMismatch = L"win文件md5校验失败";
    TestSupport::TestTempDir dir;
    ReportRecorder good;
    good.Run(System(FaultUrl(L"digest=good", L"p.exe", nullptr), dir / L"good.exe"));
    good.Release();
    EXPECT_EQ((std::vector<int>{1001, 1003}), good.Codes());
    EXPECT_TRUE(HoldsPackage(dir / L"good.exe", 2097152));

    for (const wchar_t* digest : {L"digest=wrong", L"digest=upper"}) {
        SCOPED_TRACE(testing::Message() << digest);
        std::string token;
        ReportRecorder bad;
        bad.Run(System(FaultUrl(digest, L"p.exe", &token), dir / L"bad.exe"));
        bad.Release();
        auto reports = bad.Reports();
        ExpectWellFormedRuns(reports);
        EXPECT_EQ((std::vector<int>{1001, 1006, 1005, 1001, 1006, 1004}), bad.Codes());
        for (const auto& r : reports)
            if (r.code == DL_CODE_MD5_NOTICE) {
                EXPECT_EQ(kMismatch, r.text);
            }
        EXPECT_EQ(L"URLDownloadToFile", reports.back().text);
        EXPECT_EQ(4u, RequestsOf(RequestLog(token), "GET").size()) << "one download per run, each redirected once";
        EXPECT_FALSE(TestSupport::FileExists(dir / L"bad.exe"));
    }
}

// Trusts the TLS test server's certificate in the prefix (the platform's
// download checks certificates; libcurl's does not under Wine).
bool TrustTestCertificate()
{
    std::string der = TestSupport::ReadBytes(TlsCertificatePath());
    if (der.empty()) return false;
    HCERTSTORE store = ::CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
    if (!store) return false;
    BOOL added = ::CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING,
                                                    reinterpret_cast<const BYTE*>(der.data()),
                                                    static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING,
                                                    nullptr);
    ::CertCloseStore(store, 0);
    return added != FALSE;
}

// A download that starts on https never takes its file from plain http.
TEST(CWinDownloader, HttpsNeverRedirectsToHttp)
{
    ASSERT_TRUE(TrustTestCertificate());
    TestSupport::TestTempDir dir;
    ReportRecorder secure;
    secure.Run(System(NginxTlsUrl(L"software/pkg-2097152"), dir / L"secure.exe"));
    secure.Release();
    EXPECT_EQ((std::vector<int>{1001, 1003}), secure.Codes());
    EXPECT_TRUE(HoldsPackage(dir / L"secure.exe", 2097152));

    ReportRecorder downgraded;
    downgraded.Run(System(NginxTlsUrl(L"to-http/software/pkg-2097152"), dir / L"plain.exe"));
    downgraded.Release();
    EXPECT_EQ((std::vector<int>{1001, 1004}), downgraded.Codes());
    EXPECT_EQ(static_cast<double>(static_cast<int32_t>(INET_E_REDIRECT_FAILED)), downgraded.Reports().back().progress);
    EXPECT_FALSE(TestSupport::FileExists(dir / L"plain.exe"));
}

TEST(CWinDownloader, AttemptVerdicts)
{
    using Facts = CWinDownloader::AttemptFacts;
    auto facts = [](long status, int64_t length, const wchar_t* url, bool toHttp) {
        Facts f;
        f.status = status;
        f.contentLength = length;
        f.effectiveUrl = url;
        f.redirectedToHttp = toHttp;
        return f;
    };
    struct Case {
        const char* name;
        HRESULT result;
        const wchar_t* address;
        Facts facts;
        int64_t fileSize;
        HRESULT verdict;
    };
    const Case cases[] = {
        {"a good answer", S_OK, L"http://h/p", facts(200, 10, L"", false), 10, S_OK},
        {"the platform's own failure stands", INET_E_CONNECTION_TIMEOUT, L"http://h/p", facts(0, -1, L"", false), -1,
         INET_E_CONNECTION_TIMEOUT},
        {"404", S_OK, L"http://h/p", facts(404, 3, L"", false), 3, INET_E_RESOURCE_NOT_FOUND},
        {"410", S_OK, L"http://h/p", facts(410, 3, L"", false), 3, INET_E_RESOURCE_NOT_FOUND},
        {"503", S_OK, L"http://h/p", facts(503, 3, L"", false), 3, INET_E_DOWNLOAD_FAILURE},
        {"a cut body", S_OK, L"http://h/p", facts(200, 10, L"", false), 7, INET_E_DOWNLOAD_FAILURE},
        {"a longer body", S_OK, L"http://h/p", facts(200, 10, L"", false), 11, INET_E_DOWNLOAD_FAILURE},
        {"no length given", S_OK, L"http://h/p", facts(200, -1, L"", false), 11, S_OK},
        {"no file at all", S_OK, L"http://h/p", facts(200, -1, L"", false), -1, INET_E_DOWNLOAD_FAILURE},
        {"a local file", S_OK, L"file:///C:/p", facts(0, -1, L"", false), 5, S_OK},
        {"https to https", S_OK, L"https://h/p", facts(200, 10, L"https://g/p", false), 10, S_OK},
        {"https to http, told", S_OK, L"HTTPS://h/p", facts(200, 10, L"", true), 10, INET_E_REDIRECT_FAILED},
        {"https to http, found", S_OK, L"https://h/p", facts(200, 10, L"Http://g/p", false), 10,
         INET_E_REDIRECT_FAILED},
        {"http to https", S_OK, L"http://h/p", facts(200, 10, L"https://g/p", false), 10, S_OK},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.verdict, CWinDownloader::Verdict(c.result, c.address, c.facts, c.fileSize)) << c.name;
}

TEST(CWinDownloaderBindCallback, ContentLengthOfTheAnswer)
{
    using Callback = CWinDownloader::CBindCallback;
    EXPECT_EQ(2097152, Callback::ContentLengthOf(L"HTTP/1.1 200 OK\r\nContent-Length: 2097152\r\n\r\n"));
    EXPECT_EQ(5, Callback::ContentLengthOf(L"HTTP/1.1 200 OK\r\ncontent-length:5\r\n"));
    EXPECT_EQ(-1, Callback::ContentLengthOf(L"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n"));
    EXPECT_EQ(-1, Callback::ContentLengthOf(L"HTTP/1.1 200 OK\r\nContent-Length: 12x\r\n"));
    EXPECT_EQ(-1, Callback::ContentLengthOf(L"Content-Length: 100\r\nContent-Encoding: gzip\r\n"));
    EXPECT_EQ(100, Callback::ContentLengthOf(L"Content-Length: 100\r\nContent-Encoding: identity\r\n"));
    EXPECT_EQ(-1, Callback::ContentLengthOf(L"X-Content-Length: 100\r\n"));
    EXPECT_EQ(-1, Callback::ContentLengthOf(L"Content-Length: \r\n"));
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
    void* negotiate = nullptr;
    EXPECT_EQ(S_OK, callback.QueryInterface(IID_IHttpNegotiate, &negotiate)) << "the answer's status comes through it";
    EXPECT_EQ(static_cast<IHttpNegotiate*>(&callback), negotiate);
    callback.Cancel();
    EXPECT_EQ(E_ABORT, callback.OnProgress(1, 4, 0, nullptr));
}

}  // namespace
