// The whole sequence with real stages: packages served by the local nginx,
// the stand-in package and uninstaller run as child processes.

#include "FakeExecutable.h"
#include "download/DownloadServers.h"
#include "ReportRecorder.h"
#include "Utils/FileSystem.h"
#include "Utils/UniqueResource.h"
#include "Utils/TextConvert.h"
#include "app/InstallerConfig.h"
#include "download/FileDigest.h"
#include "install/CDownloadInstaller.h"
#include "support/LogCapture.h"
#include "support/ProcessRunner.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <thread>
#include <memory>
#include <vector>

namespace {

using InstallTest::FakeExecutable;
using InstallTest::Report;
using InstallTest::ReportRecorder;
using TestSupport::BinDir;
using TestSupport::FileExists;
using TestSupport::TestTempDir;

const int kFinalCodes[] = {2003, 2004, 1004, 5004, 5005};

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

class SequencerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::curl_global_init(CURL_GLOBAL_ALL); }

    void SetUp() override
    {
        if (DownloadTest::ServedRoot().empty())
            GTEST_SKIP() << "the download servers are started by tools/run-tests.sh";
        config_.DownloadType = 1;
        config_.InsNew = false;
        installDir_ = temp_ / L"Program Files (x86)\\Norvo Soft\\Lumora";
        ASSERT_TRUE(Utils::CreateDirectories(installDir_));
    }
    void TearDown() override
    {
        config_.DownloadType = 1;
        config_.InsNew = false;
    }

    // fake_package.exe padded past the downloaders' 1 MiB minimum, served
    // under its digest (or the given segment); returns its address.
    std::wstring ServePackage(const std::string& digestSegment = std::string())
    {
        std::string bytes = TestSupport::ReadBytes(BinDir() + L"\\fake_package.exe");
        bytes.resize(std::max<size_t>(bytes.size(), 0x180000), '\0');
        const std::wstring staging = temp_ / L"staged.exe";
        EXPECT_TRUE(TestSupport::WriteBytes(staging, bytes));
        std::string md5 = Utils::GetFileMd5(Utils::ToNarrow(staging, 0));
        std::string segment = digestSegment.empty() ? md5 : digestSegment;
        const std::wstring name = L"seq-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(++served_) + L".exe";
        const std::wstring folder = DownloadTest::ServedRoot() + L"\\" + Utils::ToWide(segment, 0);
        Utils::CreateDirectories(folder);
        EXPECT_TRUE(::CopyFileW(staging.c_str(), (folder + L"\\" + name).c_str(), FALSE));
        return DownloadTest::NginxUrl(Utils::ToWide(segment, 0) + L"/" + name);
    }

    // The package's script lives beside the path it is downloaded to.
    void PackageScript(const std::string& lines)
    {
        std::string script = lines;
        TestSupport::WriteBytes(CDownloadInstaller::PackagePathFor(installDir_) + L".script", script);
    }
    std::string InstallScript(const std::string& final = "out State=Success\\r\\n\n")
    {
        return "out Progress=0.25\\r\\n\nout InstPath=" + Utils::ToNarrow(installDir_, CP_UTF8) +
               "\\r\\n\ninstall " + Utils::ToNarrow(BinDir(), CP_UTF8) + "\nout Progress=1.0\\r\\n\n" + final;
    }

    // Runs one attempt to its final report and destroys the sequencer.
    std::vector<Report> RunAttempt(const std::wstring& url, const std::wstring& oldUninstaller = std::wstring())
    {
        ReportRecorder recorder;
        {
            CDownloadInstaller sequencer(recorder.Callback(), L"", L"", L"", true, true, true);
            sequencer.Init(url, L"", oldUninstaller, installDir_, true, false, false, true, L"zh_CN");
            sequencer.Start();
            WaitForFinal(recorder);
        }
        return recorder.Reports();
    }

    static void WaitForFinal(const ReportRecorder& recorder)
    {
        for (int i = 0; i < 1200; ++i) {
            for (const auto& r : recorder.Reports())
                for (int code : kFinalCodes)
                    if (r.code == code) return;
            ::Sleep(100);
        }
        ADD_FAILURE() << "no final report within two minutes";
    }

    // An old version: its uninstaller with a script for the copy that will run.
    std::wstring InstallOldVersion(const std::string& uninstallScript)
    {
        const std::wstring oldDir = temp_ / L"Old Lumora";
        Utils::CreateDirectories(oldDir);
        old_ = std::make_unique<FakeExecutable>(L"fake_uninstaller", oldDir + L"\\uninst.exe");
        TestSupport::WriteBytes(oldDir + L"\\lumora.exe", "old product");
        const std::wstring copy = CDownloadInstaller::UninstallerCopyPath();
        ::DeleteFileW(copy.c_str());
        ::DeleteFileW((copy + L".cmdline").c_str());
        TestSupport::WriteBytes(copy + L".script", uninstallScript);
        return old_->Path();
    }

    InstallerConfig& config_ = InstallerConfig::Instance();
    TestTempDir temp_;
    std::wstring installDir_;
    std::unique_ptr<FakeExecutable> old_;
    int served_ = 0;
};

TEST_F(SequencerTest, CleanInstallDownloadsRunsThePackageQuotedAndRemovesIt)
{
    for (int type : {1, 2}) {
        SCOPED_TRACE(type);
        config_.DownloadType = type;
        PackageScript(InstallScript());
        TestSupport::LogCapture log;
        auto reports = RunAttempt(ServePackage());
        EXPECT_EQ(CodeSequence(reports), (std::vector<int32_t>{1001, 1003, 2001, 2002, 3000, 2002, 2003}));
        const std::wstring package = CDownloadInstaller::PackagePathFor(installDir_);
        EXPECT_FALSE(FileExists(package)) << "the package is deleted after the install";
        EXPECT_TRUE(FileExists(installDir_ + L"\\lumora.exe"));

        std::string cmdline = TestSupport::ReadBytes(package + L".cmdline");
        EXPECT_EQ(cmdline.rfind("\"" + Utils::ToNarrow(package, CP_UTF8) + "\" ", 0), 0u)
            << "the package path is quoted: " << cmdline;

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

    const std::wstring copy = CDownloadInstaller::UninstallerCopyPath();
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

TEST_F(SequencerTest, FailuresRemoveThePackageAndTheOneBeforeIt)
{
    // A failed install: the package is gone afterwards.
    PackageScript(InstallScript("out State=Fail\\r\\n\n"));
    auto failed = RunAttempt(ServePackage());
    auto codes = CodeSequence(failed);
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.back(), 2004);
    EXPECT_EQ(failed.back().text, L"安装包安装失败");
    const std::wstring firstPackage = CDownloadInstaller::PackagePathFor(installDir_);
    EXPECT_FALSE(FileExists(firstPackage));

    // Something put the first attempt's file back (say it was locked when the
    // removal ran); the next attempt's removal deletes it as well.
    TestSupport::WriteBytes(firstPackage, "left over");
    const std::wstring firstDir = installDir_;
    installDir_ = temp_ / L"second try";
    Utils::CreateDirectories(installDir_);
    auto refused = RunAttempt(DownloadTest::ClosedPortUrl());
    EXPECT_EQ(CodeSequence(refused), (std::vector<int32_t>{1001, 1004}));
    EXPECT_NE(refused.back().progress, 0.0) << "the progress of 1004 carries the failure's code";
    EXPECT_FALSE(FileExists(firstPackage)) << "the earlier attempt's package is deleted at the next removal";
    EXPECT_FALSE(FileExists(CDownloadInstaller::PackagePathFor(installDir_)));
}

TEST_F(SequencerTest, DigestMismatchRepeatsTheDownloadOnceWithTheSameAddress)
{
    PackageScript(InstallScript());
    auto reports = RunAttempt(ServePackage(std::string(32, 'a')));
    EXPECT_EQ(CodeSequence(reports), (std::vector<int32_t>{1001, 1006, 1005, 1001, 1006, 1004})) << ::testing::PrintToString(reports);
    EXPECT_FALSE(FileExists(CDownloadInstaller::PackagePathFor(installDir_)));
}

TEST_F(SequencerTest, InsNewWaitsForTheRunningProductBeforeUninstalling)
{
    config_.InsNew = true;
    PackageScript(InstallScript());
    const std::wstring oldUninstaller = InstallOldVersion("uninstall\nout State=Success\\r\\n\n");
    Utils::CreateDirectories(temp_ / L"running");
    FakeExecutable placed(L"fake_product", temp_ / L"running\\lumora.exe");
    auto started = std::make_shared<PROCESS_INFORMATION>();
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    std::wstring cmd = L"\"" + placed.Path() + L"\" -lifetime=60000";
    ASSERT_TRUE(::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si,
                                 started.get()));
    Utils::UniqueHandle process(started->hProcess), thread(started->hThread);
    for (int i = 0; i < 100 && CDownloadInstaller::FindProcessId(L"lumora.exe") == 0; ++i) ::Sleep(50);
    ASSERT_EQ(CDownloadInstaller::FindProcessId(L"lumora.exe"), started->dwProcessId);
    EXPECT_EQ(CDownloadInstaller::FindProcessId(L"LUMORA.EXE"), 0u) << "names compare exactly";

    // The user closes the product a while after the install was asked for.
    std::thread closer([&] {
        ::Sleep(1500);
        TestSupport::WriteBytes(placed.Path() + L".stop", "");
    });
    ReportRecorder recorder;
    {
        CDownloadInstaller sequencer(recorder.Callback(), L"", L"", L"", true, true, true);
        sequencer.Init(ServePackage(), L"", oldUninstaller, installDir_, true, true, false, true, L"");
        sequencer.Start();
        EXPECT_EQ(::WaitForSingleObject(process.Get(), 0), static_cast<DWORD>(WAIT_OBJECT_0))
            << "Start returned while the product was still running";
        WaitForFinal(recorder);
    }
    closer.join();
    EXPECT_EQ(CodeSequence(recorder.Reports()).back(), 2003);
}

TEST_F(SequencerTest, SeqProbeRunsACleanInstallEndToEnd)
{
    PackageScript(InstallScript());
    const std::wstring command = L"\"" + BinDir() + L"\\seqprobe.exe\" \"-downloadurl=" + ServePackage() +
                                 L"\" -downloadtype=1 \"-dir=" + installDir_ + L"\" -inslang=zh_CN";
    auto run = TestSupport::RunProcess(command, 120000);
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_EQ(run.output.rfind("1001\t1.000000\t\n", 0), 0u) << run.output;
    EXPECT_NE(run.output.find("1003\t0.000000\tLibCurl\n"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("2002\t0.250000\t\n"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.substr(run.output.size() - 15), "2003\t0.000000\t\n") << run.output;
    EXPECT_TRUE(FileExists(installDir_ + L"\\lumora.exe"));

    auto bad = TestSupport::RunProcess(L"\"" + BinDir() + L"\\seqprobe.exe\"", 30000);
    EXPECT_EQ(bad.exitCode, 2u);
}

}  // namespace
