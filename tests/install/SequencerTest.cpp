// The whole sequence with real stages: packages served by the local nginx and
// the fault server, the stand-in package and uninstaller run as child
// processes. Sections: helpers; whole attempts; failures and clean-up; a
// second attempt; destruction while a stage runs; "-insnew"; stages that
// cannot start; the probe tool.

#include "FakeExecutable.h"
#include "ReportRecorder.h"
#include "Utils/FileSystem.h"
#include "Utils/TextConvert.h"
#include "Utils/UniqueResource.h"
#include "download/DownloadServers.h"
#include "install/CDownloadInstaller.h"
#include "support/LogCapture.h"
#include "support/ProcessRunner.h"
#include "support/ServiceCheck.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"
#include "support/ThreadChecks.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

using InstallTest::FakeExecutable;
using InstallTest::Report;
using InstallTest::ReportRecorder;
using TestSupport::BinDir;
using TestSupport::FileExists;
using TestSupport::FinishesWithin;
using TestSupport::TestTempDir;

const int kFinalCodes[] = {2003, 2004, 1004, 5004, 5005};

// Where the package of an install folder is downloaded to, spelled out here
// rather than asked of the sequencer.
std::wstring PackageIn(const std::wstring& dir) { return dir + L"\\__Package_Lumora.exe"; }

// The package and every file its download may leave beside it.
std::vector<std::wstring> PackageFilesIn(const std::wstring& dir)
{
    const std::wstring package = PackageIn(dir);
    return {package, package + L".part", package + L"_0", package + L"_1"};
}

std::vector<std::wstring> ExistingOf(const std::vector<std::wstring>& paths)
{
    std::vector<std::wstring> found;
    for (const auto& path : paths)
        if (FileExists(path)) found.push_back(path);
    return found;
}

// The sequencer removes files after it has forwarded the final report, so a
// test that sees the report waits a little for the removal.
std::vector<std::wstring> LeftAfterAWhile(const std::vector<std::wstring>& paths)
{
    for (int i = 0; i < 100 && !ExistingOf(paths).empty(); ++i) ::Sleep(100);
    return ExistingOf(paths);
}

// The old uninstaller's copy in the private temporary folder.
std::wstring UninstallerCopy()
{
    wchar_t temp[MAX_PATH + 1] = {};
    ::GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring folder = std::wstring(temp) + L"~NorVoTemp.92482B06FB471E17";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\Lumora_un_asa.exe";
}

// Codes in order with repeated progress reports folded into one. Download
// progress is left out: it is reported at most once a second, so a quick
// local transfer may have none.
std::vector<int32_t> CodeSequence(const std::vector<Report>& reports)
{
    std::vector<int32_t> codes;
    for (const auto& r : reports) {
        if (r.code == 1002) continue;
        if (codes.empty() || codes.back() != r.code || (r.code != 2002 && r.code != 5002)) codes.push_back(r.code);
    }
    return codes;
}

size_t CountOf(const std::vector<Report>& reports, int32_t code)
{
    return static_cast<size_t>(
        std::count_if(reports.begin(), reports.end(), [code](const Report& r) { return r.code == code; }));
}

// The stand-in product, running as "lumora.exe" until it is told to stop.
class RunningProduct {
public:
    explicit RunningProduct(const std::wstring& folder) : placed_(L"fake_product", folder + L"\\lumora.exe")
    {
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        std::wstring cmd = L"\"" + placed_.Path() + L"\" -lifetime=60000";
        if (!::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                              &pi))
            return;
        process_.Reset(pi.hProcess);
        ::CloseHandle(pi.hThread);
        id_ = pi.dwProcessId;
        for (int i = 0; i < 100 && CDownloadInstaller::FindProcessId(L"lumora.exe") == 0; ++i) ::Sleep(50);
    }
    ~RunningProduct() { Stop(); }

    DWORD Id() const { return id_; }
    bool Ended() const { return !process_ || ::WaitForSingleObject(process_.Get(), 0) == WAIT_OBJECT_0; }
    void Stop()
    {
        TestSupport::WriteBytes(placed_.Path() + L".stop", "");
        if (process_) ::WaitForSingleObject(process_.Get(), 30000);
    }

private:
    FakeExecutable placed_;
    Utils::UniqueHandle process_;
    DWORD id_ = 0;
};

class SequencerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::curl_global_init(CURL_GLOBAL_ALL); }

    void SetUp() override
    {
        LUMORA_REQUIRE_SERVICE(!DownloadTest::ServedRoot().empty(), "the download servers");
        installDir_ = temp_ / L"Program Files (x86)\\Norvo Soft\\Lumora";
        ASSERT_TRUE(Utils::CreateDirectories(installDir_));
    }

    // fake_package.exe padded past the downloaders' 1 MiB minimum, served by
    // nginx under its digest (or the given segment); returns its address.
    std::wstring ServePackage(const std::string& digestSegment = std::string())
    {
        std::string bytes = TestSupport::ReadBytes(BinDir() + L"\\fake_package.exe");
        bytes.resize(std::max<size_t>(bytes.size(), 0x180000), '\0');
        const std::wstring staging = temp_ / L"staged.exe";
        EXPECT_TRUE(TestSupport::WriteBytes(staging, bytes));
        std::string md5 = DownloadTest::FileMd5(staging);
        std::string segment = digestSegment.empty() ? md5 : digestSegment;
        const std::wstring name = L"seq-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(++served_) + L".exe";
        const std::wstring folder = DownloadTest::ServedRoot() + L"\\" + Utils::ToWide(segment, 0);
        Utils::CreateDirectories(folder);
        EXPECT_TRUE(::CopyFileW(staging.c_str(), (folder + L"\\" + name).c_str(), FALSE));
        return DownloadTest::NginxUrl(Utils::ToWide(segment, 0) + L"/" + name);
    }

    // The package's script lives beside the path it is downloaded to.
    void PackageScript(const std::string& lines, const std::wstring& dir = std::wstring())
    {
        TestSupport::WriteBytes(PackageIn(dir.empty() ? installDir_ : dir) + L".script", lines);
    }
    static std::string InstallScript(const std::wstring& dir, const std::string& final = "out State=Success\\r\\n\n",
                                     const std::string& beforeFinal = std::string())
    {
        return "out Progress=0.25\\r\\n\nout InstPath=" + Utils::ToNarrow(dir, CP_UTF8) + "\\r\\n\ninstall " +
               Utils::ToNarrow(BinDir(), CP_UTF8) + "\n" + beforeFinal + "out Progress=1.0\\r\\n\n" + final;
    }
    std::string InstallScript(const std::string& final = "out State=Success\\r\\n\n") const
    {
        return InstallScript(installDir_, final);
    }

    InstallAttempt Attempt(const std::wstring& url, const std::wstring& oldUninstaller = std::wstring()) const
    {
        InstallAttempt attempt;
        attempt.downloadUrl = url;
        attempt.oldUninstallerPath = oldUninstaller;
        attempt.installDir = installDir_;
        attempt.desktopShortcut = true;
        attempt.quickLaunchShortcut = false;
        attempt.consoleUserIsAdmin = false;
        attempt.processIsAdmin = true;
        attempt.language = L"zh_CN";
        return attempt;
    }

    // Runs one attempt to its final report and destroys the sequencer. Once
    // the attempt has ended, success or failure, none of its package files
    // may be left, before the sequencer goes away as well as after.
    std::vector<Report> RunAttempt(const std::wstring& url, const std::wstring& oldUninstaller = std::wstring())
    {
        ReportRecorder recorder;
        {
            CDownloadInstaller sequencer(recorder.Callback(), settings_);
            sequencer.Init(Attempt(url, oldUninstaller));
            sequencer.Start();
            WaitForFinal(recorder);
            EXPECT_EQ(LeftAfterAWhile(PackageFilesIn(installDir_)), std::vector<std::wstring>())
                << "left behind by a finished attempt";
        }
        EXPECT_EQ(ExistingOf(PackageFilesIn(installDir_)), std::vector<std::wstring>());
        return recorder.Reports();
    }

    static bool WaitForFinal(const ReportRecorder& recorder, size_t from = 0)
    {
        if (recorder.WaitFor({2003, 2004, 1004, 5004, 5005}, from, 120000)) return true;
        ADD_FAILURE() << "no final report within two minutes";
        return false;
    }

    // An old version: its uninstaller with a script for the copy that will run.
    std::wstring InstallOldVersion(const std::string& uninstallScript)
    {
        const std::wstring oldDir = temp_ / L"Old Lumora";
        Utils::CreateDirectories(oldDir);
        old_ = std::make_unique<FakeExecutable>(L"fake_uninstaller", oldDir + L"\\uninst.exe");
        TestSupport::WriteBytes(oldDir + L"\\lumora.exe", "old product");
        const std::wstring copy = UninstallerCopy();
        ::DeleteFileW(copy.c_str());
        ::DeleteFileW((copy + L".cmdline").c_str());
        TestSupport::WriteBytes(copy + L".script", uninstallScript);
        return old_->Path();
    }

    // "-insnew" on and an older version registered, so the attempt waits for
    // the product first. On the heap: a test that finds it hanging leaves it.
    CDownloadInstaller* NewSequencerBehindTheProduct(const StatusCallback& owner)
    {
        settings_.insNew = true;
        const std::wstring oldUninstaller = InstallOldVersion("uninstall\nout State=Success\\r\\n\n");
        auto* sequencer = new CDownloadInstaller(owner, settings_);
        sequencer->Init(Attempt(ServePackage(), oldUninstaller));
        return sequencer;
    }

    // The stand-in product, running from a folder of its own.
    std::unique_ptr<RunningProduct> StartProduct()
    {
        Utils::CreateDirectories(temp_ / L"running");
        return std::make_unique<RunningProduct>(temp_ / L"running");
    }

    // False, with a failure, when Start does not return at once.
    static bool StartsAtOnce(CDownloadInstaller* sequencer)
    {
        if (FinishesWithin(5000, [sequencer] { sequencer->Start(); })) return true;
        ADD_FAILURE() << "Start waited for the product on the caller's thread";
        return false;
    }

    SequencerSettings settings_;
    TestTempDir temp_;
    std::wstring installDir_;
    std::unique_ptr<FakeExecutable> old_;
    int served_ = 0;
};

// --- whole attempts ---------------------------------------------------------

TEST_F(SequencerTest, CleanInstallDownloadsRunsThePackageQuotedAndRemovesIt)
{
    settings_.instCmd = L"-channel=owner";
    for (int type : {1, 2, 3}) {
        SCOPED_TRACE(type);
        settings_.downloadType = type;
        PackageScript(InstallScript());
        TestSupport::LogCapture log;
        auto reports = RunAttempt(ServePackage());
        EXPECT_EQ(CodeSequence(reports), (std::vector<int32_t>{1001, 1003, 2001, 2002, 3000, 2002, 2003}));
        EXPECT_TRUE(FileExists(installDir_ + L"\\lumora.exe"));

        const std::string package = Utils::ToNarrow(PackageIn(installDir_), CP_UTF8);
        std::string cmdline = TestSupport::ReadBytes(PackageIn(installDir_) + L".cmdline");
        EXPECT_EQ(cmdline.rfind("\"" + package + "\" ", 0), 0u) << "the package path is quoted: " << cmdline;
        EXPECT_NE(cmdline.find(" -channel=owner"), std::string::npos) << "the owner's extra arguments: " << cmdline;
        EXPECT_NE(cmdline.find(" -inslang=\"zh_CN\""), std::string::npos) << cmdline;

        std::vector<std::wstring> stages;
        for (const auto& line : log.Matching(L"(CDownloadInstaller::Start"))
            stages.push_back(line.substr(line.find(L">: ") + 3));
        ASSERT_FALSE(stages.empty());
        EXPECT_EQ(stages.front(), L"DL_TYPE=" + std::to_wstring(type) + L"\r\n");
        EXPECT_EQ(stages.back(), L"INSTALL_SUCCESS\r\n");
        EXPECT_NE(std::find(stages.begin(), stages.end(), L"DOWNLOAD_SUCCESS\r\n"), stages.end());
    }
}

TEST_F(SequencerTest, OlderVersionIsRemovedThroughACopyBeforeTheDownload)
{
    PackageScript(InstallScript());
    const std::wstring oldUninstaller = InstallOldVersion("out Progress=0.5\\r\\n\nuninstall\nout State=Success\\r\\n\n");
    auto reports = RunAttempt(ServePackage(), oldUninstaller);
    auto codes = CodeSequence(reports);
    ASSERT_GE(codes.size(), 3u);
    EXPECT_EQ(reports.front().code, 5002);
    EXPECT_EQ(reports.front().progress, 0.0);
    auto success = std::find(codes.begin(), codes.end(), 5003);
    ASSERT_NE(success, codes.end());
    EXPECT_EQ(*(success + 1), 1001) << "the download starts only after the uninstall succeeded";
    EXPECT_EQ(codes.back(), 2003);

    const std::wstring copy = UninstallerCopy();
    EXPECT_TRUE(FileExists(copy)) << "the old uninstaller ran from the private temporary folder";
    std::string cmdline = TestSupport::ReadBytes(copy + L".cmdline");
    EXPECT_NE(cmdline.find("_?=" + Utils::ToNarrow(temp_ / L"Old Lumora", CP_UTF8)), std::string::npos) << cmdline;
    EXPECT_FALSE(FileExists(temp_ / L"Old Lumora\\lumora.exe")) << "the uninstaller removed the old files";
}

TEST_F(SequencerTest, FailedUninstallStopsTheSequence)
{
    struct Row {
        const char* name;
        bool startable;
        const char* script;
        int32_t code;
    } rows[] = {
        {"uninstaller reports failure", true, "out State=Fail\\r\\n\n", 5005},
        {"uninstaller cannot start", false, "", 5004},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::wstring oldUninstaller = InstallOldVersion(row.script);
        if (!row.startable) TestSupport::WriteBytes(oldUninstaller, "not a program");
        auto reports = RunAttempt(ServePackage(), oldUninstaller);
        auto codes = CodeSequence(reports);
        ASSERT_FALSE(codes.empty());
        EXPECT_EQ(codes.back(), row.code);
        EXPECT_EQ(std::count(codes.begin(), codes.end(), 1001), 0) << "no download after a failed uninstall";
    }
}

TEST_F(SequencerTest, MissingOldUninstallerGoesStraightToTheDownload)
{
    PackageScript(InstallScript());
    auto reports = RunAttempt(ServePackage(), temp_ / L"nowhere\\uninst.exe");
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.front().code, 1001);
    EXPECT_EQ(reports.back().code, 2003);
}

// --- failures and clean-up --------------------------------------------------

TEST_F(SequencerTest, FailuresRemoveThePackageAndTheOneBeforeIt)
{
    // A failed install: the package is gone afterwards.
    PackageScript(InstallScript("out State=Fail\\r\\n\n"));
    auto failed = RunAttempt(ServePackage());
    auto codes = CodeSequence(failed);
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.back(), 2004);
    EXPECT_EQ(failed.back().text, L"安装包安装失败");
    const std::wstring firstPackage = PackageIn(installDir_);
    EXPECT_FALSE(FileExists(firstPackage));

    // Something put the first attempt's file back (say it was locked when the
    // removal ran); the next attempt's removal deletes it as well.
    TestSupport::WriteBytes(firstPackage, "left over");
    installDir_ = temp_ / L"second try";
    Utils::CreateDirectories(installDir_);
    auto refused = RunAttempt(DownloadTest::ClosedPortUrl());
    EXPECT_EQ(CodeSequence(refused), (std::vector<int32_t>{1001, 1004}));
    EXPECT_NE(refused.back().progress, 0.0) << "the progress of 1004 carries the failure's code";
    EXPECT_FALSE(FileExists(firstPackage)) << "the earlier attempt's package is deleted at the next removal";
}

TEST_F(SequencerTest, FailedDownloadLeavesNeitherPartialNorPartFiles)
{
    // Every transfer breaks off after a third of what is left, so each
    // downloader keeps what arrived and resumes until its budget is spent.
    for (int type : {1, 3}) {
        SCOPED_TRACE(type);
        settings_.downloadType = type;
        std::string token;
        auto reports = RunAttempt(DownloadTest::FaultUrl(L"drop=1000", L"pkg.exe", &token));
        EXPECT_EQ(CodeSequence(reports).back(), 1004);

        // A resumed range shows that a partial file held data on the way.
        auto gets = DownloadTest::RequestsOf(DownloadTest::RequestLog(token), "GET");
        ASSERT_GE(gets.size(), 2u);
        EXPECT_TRUE(std::any_of(gets.begin(), gets.end(),
                                [](const DownloadTest::Request& r) {
                                    return r.range.rfind("bytes=", 0) == 0 && r.range.rfind("bytes=0-", 0) != 0;
                                }))
            << "no transfer resumed from a partial file";
    }
}

TEST_F(SequencerTest, DigestMismatchRepeatsTheDownloadOnceWithTheSameAddress)
{
    for (int type : {1, 3}) {
        SCOPED_TRACE(type);
        settings_.downloadType = type;
        std::string token;
        const std::wstring url = DownloadTest::FaultUrl(L"digest=wrong", L"pkg.exe", &token);
        auto reports = RunAttempt(url);
        EXPECT_EQ(CodeSequence(reports), (std::vector<int32_t>{1001, 1006, 1005, 1001, 1006, 1004}))
            << ::testing::PrintToString(reports);

        // Both runs fetched the whole file from where the address asked for
        // leads: the address redirected to its digest folder.
        const std::string asked = Utils::ToNarrow(url.substr(url.find(L"/f/")), CP_UTF8);
        const std::string served = asked.substr(0, asked.rfind('/')) + "/0123456789abcdef0123456789abcdef/pkg.exe";
        auto log = DownloadTest::RequestLog(token);
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.front().path, asked);
        auto gets = DownloadTest::RequestsOf(log, "GET");
        ASSERT_EQ(gets.size(), 2u) << "one whole transfer per run";
        for (const auto& get : gets) EXPECT_EQ(get.path, served);
    }
}

TEST_F(SequencerTest, AnOwnerThatThrowsDoesNotEndTheStage)
{
    PackageScript(InstallScript());
    ReportRecorder recorder;
    StatusCallback record = recorder.Callback();
    {
        CDownloadInstaller sequencer(
            [record](int32_t code, double progress, const wchar_t* text) {
                record(code, progress, text);
                throw std::runtime_error("the window is gone");
            },
            settings_);
        sequencer.Init(Attempt(ServePackage()));
        sequencer.Start();
        WaitForFinal(recorder);
    }
    EXPECT_EQ(CodeSequence(recorder.Reports()).back(), 2003);
    EXPECT_FALSE(FileExists(PackageIn(installDir_)));
}

// --- a second attempt -------------------------------------------------------

TEST_F(SequencerTest, EachAttemptDownloadsIntoItsOwnFolder)
{
    const std::wstring firstDir = installDir_;
    const std::wstring secondDir = temp_ / L"Other Place\\Lumora";
    PackageScript(InstallScript(firstDir), firstDir);
    Utils::CreateDirectories(secondDir);
    PackageScript(InstallScript(secondDir), secondDir);

    ReportRecorder recorder;
    CDownloadInstaller sequencer(recorder.Callback(), settings_);
    // The main window's way of handing over an attempt, one value at a time.
    sequencer.Init(ServePackage(), L"", L"", firstDir, true, false, false, true, L"zh_CN");
    sequencer.Start();
    ASSERT_TRUE(WaitForFinal(recorder));
    ASSERT_EQ(CodeSequence(recorder.Reports()).back(), 2003);

    // The user picks another folder; the first one is gone by now.
    ASSERT_TRUE(TestSupport::RemoveTree(firstDir));
    const size_t firstCount = recorder.Reports().size();
    installDir_ = secondDir;
    sequencer.Init(Attempt(ServePackage()));
    sequencer.Start();
    ASSERT_TRUE(WaitForFinal(recorder, firstCount));
    const std::vector<Report> all = recorder.Reports();
    const std::vector<Report> second(all.begin() + static_cast<long>(firstCount), all.end());
    EXPECT_EQ(CodeSequence(second), (std::vector<int32_t>{1001, 1003, 2001, 2002, 3000, 2002, 2003}))
        << ::testing::PrintToString(second);
    EXPECT_TRUE(FileExists(PackageIn(secondDir) + L".cmdline")) << "the second package ran from the second folder";
    EXPECT_TRUE(FileExists(secondDir + L"\\lumora.exe"));
    EXPECT_EQ(LeftAfterAWhile(PackageFilesIn(secondDir)), std::vector<std::wstring>());
    EXPECT_FALSE(FileExists(firstDir)) << "nothing went back into the first folder";
}

// --- destruction while a stage runs -----------------------------------------

TEST_F(SequencerTest, DestroyedMidDownloadEndsPromptlyAndLeavesNothing)
{
    for (int type : {1, 2, 3}) {
        SCOPED_TRACE(type);
        settings_.downloadType = type;
        std::string token;
        // A trickle: the whole file would take minutes.
        const std::wstring url = DownloadTest::FaultUrl(L"rate=20000", L"pkg.exe", &token);
        ReportRecorder recorder;
        auto* sequencer = new CDownloadInstaller(recorder.Callback(), settings_);
        sequencer->Init(Attempt(url));
        sequencer->Start();
        ASSERT_TRUE(recorder.WaitFor({1001}));
        ASSERT_TRUE(FinishesWithin(30000, [&] {
            while (DownloadTest::RequestsOf(DownloadTest::RequestLog(token), "GET").empty()) ::Sleep(100);
        }));
        ::Sleep(1500);  // well inside the transfer
        ASSERT_TRUE(FinishesWithin(30000, [sequencer] { delete sequencer; })) << "destruction hangs";
        EXPECT_EQ(CountOf(recorder.Reports(), 1001), 1u) << "no new run once destruction began";
        EXPECT_EQ(CountOf(recorder.Reports(), 2001), 0u);
        EXPECT_EQ(ExistingOf(PackageFilesIn(installDir_)), std::vector<std::wstring>());
    }
}

TEST_F(SequencerTest, DestroyedRightAtARetryEndsPromptlyAndLeavesNothing)
{
    for (int type : {1, 3}) {
        SCOPED_TRACE(type);
        settings_.downloadType = type;
        ReportRecorder recorder;
        StatusCallback record = recorder.Callback();
        Utils::UniqueHandle atRetry(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        // The owner is slow on the 1005 report just as it goes away, so the
        // destruction begins while the report is still being handled.
        StatusCallback owner = [&](int32_t code, double progress, const wchar_t* text) {
            record(code, progress, text);
            if (code != DL_CODE_RETRY) return;
            ::SetEvent(atRetry.Get());
            ::Sleep(500);
        };
        auto* sequencer = new CDownloadInstaller(owner, settings_);
        sequencer->Init(Attempt(DownloadTest::FaultUrl(L"digest=wrong", L"pkg.exe", nullptr)));
        sequencer->Start();
        ASSERT_EQ(::WaitForSingleObject(atRetry.Get(), 60000), static_cast<DWORD>(WAIT_OBJECT_0));
        ASSERT_TRUE(FinishesWithin(30000, [sequencer] { delete sequencer; })) << "destruction hangs";
        EXPECT_EQ(CountOf(recorder.Reports(), 2001), 0u);
        EXPECT_EQ(ExistingOf(PackageFilesIn(installDir_)), std::vector<std::wstring>());
    }
}

TEST_F(SequencerTest, DestroyedMidUninstallStartsNoDownload)
{
    PackageScript(InstallScript());
    const std::wstring oldUninstaller =
        InstallOldVersion("out Progress=0.5\\r\\n\nsleep 2000\nuninstall\nout State=Success\\r\\n\n");
    ReportRecorder recorder;
    auto* sequencer = new CDownloadInstaller(recorder.Callback(), settings_);
    sequencer->Init(Attempt(ServePackage(), oldUninstaller));
    sequencer->Start();
    ASSERT_TRUE(recorder.WaitFor({5002}));
    ASSERT_TRUE(FinishesWithin(30000, [sequencer] { delete sequencer; })) << "destruction hangs";
    const auto reports = recorder.Reports();
    EXPECT_EQ(CountOf(reports, 5003), 0u) << "a report made while the sequencer went away reached the owner";
    EXPECT_EQ(CountOf(reports, 1001), 0u);
    ::Sleep(500);
    EXPECT_EQ(ExistingOf(PackageFilesIn(installDir_)), std::vector<std::wstring>());
}

TEST_F(SequencerTest, DestroyedMidInstallLeavesNoPackage)
{
    PackageScript(InstallScript(installDir_, "out State=Success\\r\\n\n", "sleep 2000\n"));
    ReportRecorder recorder;
    auto* sequencer = new CDownloadInstaller(recorder.Callback(), settings_);
    sequencer->Init(Attempt(ServePackage()));
    sequencer->Start();
    ASSERT_TRUE(recorder.WaitFor({3000}));
    ASSERT_TRUE(FinishesWithin(30000, [sequencer] { delete sequencer; })) << "destruction hangs";
    EXPECT_EQ(CountOf(recorder.Reports(), 2003), 0u) << "a report made while the sequencer went away reached the owner";
    EXPECT_EQ(ExistingOf(PackageFilesIn(installDir_)), std::vector<std::wstring>());
}

// --- "-insnew" ----------------------------------------------------------------

TEST_F(SequencerTest, InsNewWaitsForTheProductOnAWorkerNotOnTheCaller)
{
    PackageScript(InstallScript());
    auto product = StartProduct();
    ASSERT_EQ(CDownloadInstaller::FindProcessId(L"lumora.exe"), product->Id());
    EXPECT_EQ(CDownloadInstaller::FindProcessId(L"LUMORA.EXE"), 0u) << "names compare exactly";

    ReportRecorder recorder;
    StatusCallback record = recorder.Callback();
    std::atomic<int> uninstallWhileRunning{0};
    CDownloadInstaller* sequencer = NewSequencerBehindTheProduct([&](int32_t code, double progress, const wchar_t* text) {
        if (code == 5002 && !product->Ended()) ++uninstallWhileRunning;
        record(code, progress, text);
    });
    const bool returned = StartsAtOnce(sequencer);
    EXPECT_FALSE(product->Ended());
    ::Sleep(1000);
    EXPECT_TRUE(recorder.Reports().empty()) << "the uninstall began while the product was running";

    product->Stop();  // the user closes the product
    WaitForFinal(recorder);
    EXPECT_EQ(CodeSequence(recorder.Reports()).back(), 2003);
    EXPECT_EQ(uninstallWhileRunning, 0);
    if (returned) delete sequencer;
}

TEST_F(SequencerTest, DestroyingTheSequencerEndsTheWaitForTheProduct)
{
    auto product = StartProduct();
    ReportRecorder recorder;
    CDownloadInstaller* sequencer = NewSequencerBehindTheProduct(recorder.Callback());
    if (!StartsAtOnce(sequencer)) return;  // the product ends it, and the test leaves it
    EXPECT_TRUE(FinishesWithin(5000, [sequencer] { delete sequencer; })) << "the wait outlived its sequencer";
    EXPECT_FALSE(product->Ended());
    EXPECT_TRUE(recorder.Reports().empty());
    EXPECT_FALSE(FileExists(UninstallerCopy() + L".cmdline")) << "the uninstaller ran after all";
}

// --- stages that cannot start -------------------------------------------------

TEST_F(SequencerTest, AWaitThatCannotStartEndsWithTheUninstallFailure)
{
    auto product = StartProduct();
    ReportRecorder recorder;
    CDownloadInstaller* sequencer = NewSequencerBehindTheProduct(recorder.Callback());
    bool returned = false;
    {
        TestSupport::NoNewThreads none;
        returned = StartsAtOnce(sequencer);
    }
    if (!returned) return;
    EXPECT_TRUE(recorder.WaitFor({5004}, 0, 5000)) << "the attempt never ends";
    const auto reports = recorder.Reports();
    ASSERT_EQ(reports.size(), 1u) << ::testing::PrintToString(reports);
    EXPECT_EQ(reports[0], (Report{5004, 2.0, L""}));
    delete sequencer;
}

// --- the probe tool -----------------------------------------------------------

TEST_F(SequencerTest, SeqProbeRunsACleanInstallEndToEnd)
{
    PackageScript(InstallScript());
    const std::wstring command = L"\"" + BinDir() + L"\\seqprobe.exe\" \"-downloadurl=" + ServePackage() +
                                 L"\" -downloadtype=3 \"-instcmd=-channel=probe\" \"-dir=" + installDir_ +
                                 L"\" -inslang=zh_CN";
    auto run = TestSupport::RunProcess(command, 120000);
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(run.output.rfind("1001\t1.000000\t\n", 0), 0u) << run.output;
    EXPECT_NE(run.output.find("1003\t0.000000\tLibCurl\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("2002\t0.250000\t\n"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.substr(run.output.size() - 15), "2003\t0.000000\t\n") << run.output;
    EXPECT_TRUE(FileExists(installDir_ + L"\\lumora.exe"));
    const std::string cmdline = TestSupport::ReadBytes(PackageIn(installDir_) + L".cmdline");
    EXPECT_NE(cmdline.find(" -channel=probe"), std::string::npos) << "the switches reach the package: " << cmdline;

    auto bad = TestSupport::RunProcess(L"\"" + BinDir() + L"\\seqprobe.exe\"", 30000);
    EXPECT_EQ(bad.exitCode, 2u);
}

}  // namespace
