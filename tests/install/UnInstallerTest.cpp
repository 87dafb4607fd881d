// The previous-version uninstaller driver running the stand-in uninstaller
// from a copy, as the sequencer makes it: its command line, the four-key
// report sequences, a careless uninstaller, the missing copy, a copy in a
// folder with spaces, and the removal of what the stand-in package
// installed. Every final report must find the uninstaller ended.
#include "FakeExecutable.h"
#include "LingeringChild.h"
#include "ReportRecorder.h"
#include "ScriptText.h"
#include "install/CInstaller.h"
#include "install/UnInstaller.h"
#include "Utils/TextConvert.h"
#include "support/LogCapture.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using InstallTest::FakeExecutable;
using InstallTest::Report;
using Reports = std::vector<Report>;

const Report kUninstalling = {5002, 0.0, L""};
const Report kFailed = {5005, 0.0, L"安装包卸载失败"};

class UninstallRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(uninstaller_.Placed());
        ::CreateDirectoryW(oldInstallDir_.c_str(), nullptr);
    }

    // Runs a fresh driver for the copy and returns its reports once the run
    // has ended.
    Reports Run(const std::string& script, const std::wstring& copyPath, const std::wstring& oldDir,
                const DriverRun::WorkerFactory& factory = DriverRun::PlatformThreads(), unsigned long timeoutMs = 60000)
    {
        FakeExecutable copy = FakeExecutable::At(copyPath);
        if (copy.Placed()) copy.Script(script);
        InstallTest::ReportRecorder recorder;
        StatusCallback record = recorder.Callback();
        {
            UnInstaller driver([&](int code, double progress, const wchar_t* text) {
                if (code == UNIST_CODE_SUCCESS || code == UNIST_CODE_ERROR) {
                    DWORD processId = copy.RecordedProcessId();
                    EXPECT_FALSE(processId != 0 && InstallTest::ProcessRuns(processId))
                        << "final report " << code << " while the uninstaller still runs";
                }
                if (hook_) hook_(code, progress);
                record(code, progress, text);
            }, copyPath, oldDir);
            driver.SetWorkerFactory(factory);
            driver.Start();
            commandLine_ = driver.CommandLine();
            EXPECT_TRUE(recorder.WaitFor({5003, 5004, 5005}, 0, timeoutMs)) << "no final report";
        }  // joins the worker
        return recorder.Reports();
    }
    Reports Run(const std::string& script) { return Run(script, uninstaller_.Path(), oldInstallDir_); }

    TestSupport::TestTempDir dir_;
    std::wstring oldInstallDir_ = dir_ / L"Old Lumora";
    FakeExecutable uninstaller_{L"fake_uninstaller", dir_ / L"Lumora_un_asa.exe"};
    std::wstring commandLine_;
    std::function<void(int code, double progress)> hook_;  // runs on each report before it is recorded
};

TEST_F(UninstallRun, MissingCopyIsReportedAndNothingElse)
{
    EXPECT_EQ(Run("", dir_ / L"nowhere\\Lumora_un_asa.exe", oldInstallDir_),
              (Reports{{5004, 1.0, L"可执行卸载文件不存在"}}));
    EXPECT_EQ(Run("", L"", oldInstallDir_), (Reports{{5004, 1.0, L"可执行卸载文件不存在"}}));
}

TEST_F(UninstallRun, UninstallerWithoutOutputCountsAsSuccessAndGotItsSwitches)
{
    EXPECT_EQ(Run(""), (Reports{kUninstalling, {5003, 1.0, L""}}));
    // Facts of the test prefix: its console user's account has user privilege,
    // and every program in it runs as a member of the Administrators group.
    std::wstring expected = L"\"" + uninstaller_.Path() +
                            L"\" /S -adminact=false -authorizationact=true -console=show _?=" + oldInstallDir_;
    EXPECT_EQ(commandLine_, expected);
    EXPECT_EQ(uninstaller_.RecordedCommandLine(), expected);
}

TEST_F(UninstallRun, CopyInAFolderWithSpacesRunsNoOtherProgram)
{
    // Started unquoted, "<dir>\\Lumora un\\Lumora_un_asa.exe" would first be
    // looked for as "<dir>\\Lumora" + ".exe".
    std::wstring folder = dir_ / L"Lumora un";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
    FakeExecutable copy(L"fake_uninstaller", folder + L"\\Lumora_un_asa.exe");
    FakeExecutable decoy(L"fake_package", dir_ / L"Lumora.exe");
    ASSERT_TRUE(copy.Placed());
    ASSERT_TRUE(decoy.Placed());
    decoy.Script("out State=Success\\n\n");
    EXPECT_EQ(Run("out Progress=0.5\\n\n", copy.Path(), oldInstallDir_),
              (Reports{kUninstalling, {5002, 0.5, L""}, {5003, 1.0, L""}}));
    EXPECT_TRUE(copy.Ran());
    EXPECT_FALSE(decoy.Ran());
    EXPECT_EQ(copy.RecordedCommandLine().substr(0, copy.Path().size() + 2), L"\"" + copy.Path() + L"\"");
}

TEST_F(UninstallRun, SuccessIsReportedOnceTheUninstallerHasEnded)
{
    // What comes after the final word is read and dropped; the uninstaller
    // is still busy for a while, and the success waits for its end.
    EXPECT_EQ(Run("out Progress=0.5\\n\nout State=Success\\r\\n\nout Progress=0.9\\n\nsleep 1000\nout Error=late\n"),
              (Reports{kUninstalling, {5002, 0.5, L""}, {5003, 0.0, L""}}));
}

TEST_F(UninstallRun, FailAndErrorAreUninstallFailures)
{
    EXPECT_EQ(Run("out State=Fail\\n\n"), (Reports{kUninstalling, kFailed}));
    EXPECT_EQ(Run("out Error=files in use\\r\\n\nout InstPath=C:\\\\x\\n\n"),
              (Reports{kUninstalling, {5005, 0.0, L"files in use\r"}}));
}

TEST_F(UninstallRun, CarelessUninstallerStillGetsTheOutcomeItWrote)
{
    // 60 lines in one write, after which the uninstaller ends at once.
    const std::string burst = InstallTest::RepeatedLines("Progress=0.25" + std::string(40, '.'), 60);
    struct Row {
        const char* name;
        std::string script;
        Reports reports;  // after the first 5002
    };
    const Row rows[] = {
        {"State=Fail cut by a read", "out Progress=0.3\\nState=Fa\nout il\\r\\n\n", {{5002, 0.3, L""}, kFailed}},
        {"Error= cut inside its key", "out Err\nout or=files in use\\n\nout State=Success\\n\n",
         {{5005, 0.0, L"files in use"}}},
        {"final word without its LF at the end", "out State=Fa\nout il\n", {kFailed}},
        {"burst still in the pipe when the uninstaller ends", "put " + burst + "State=Fail\\n\n",
         [] {
             Reports reports(60, Report{5002, 0.25, L""});
             reports.push_back(kFailed);
             return reports;
         }()},
        {"ends without a final word, exit code 0", "out Progress=0.5\\n\nexit 0\n",
         {{5002, 0.5, L""}, {5003, 1.0, L""}}},
        {"ends without a final word, exit code 2", "out Progress=0.5\\n\nexit 2\n", {{5002, 0.5, L""}, kFailed}},
        {"crash in the middle of a line", "put Progress=0.5\\nState=Succ\ncrash\n", {{5002, 0.5, L""}, kFailed}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Reports expected{kUninstalling};
        expected.insert(expected.end(), row.reports.begin(), row.reports.end());
        EXPECT_EQ(Run(row.script), expected);
    }
}

TEST_F(UninstallRun, OnlyUtf8ChangesTheCodePage)
{
    std::wstring asAnsi = Utils::ToWide("\xD6\xD0", 0);
    EXPECT_EQ(Run("out Encode=936\\n\nout Error=\\xD6\\xD0\\n\n"), (Reports{kUninstalling, {5005, 0.0, asAnsi}}));
    EXPECT_EQ(Run("out Encode=UTF8\\n\nout Error=\\xE4\\xB8\\xAD\\n\n"),
              (Reports{kUninstalling, {5005, 0.0, L"中"}}));
}

TEST_F(UninstallRun, FloodOnStandardErrorDoesNotStopTheUninstaller)
{
    EXPECT_EQ(Run("err 3000000\nout Progress=0.5\\n\n"), (Reports{kUninstalling, {5002, 0.5, L""}, {5003, 1.0, L""}}));
}

TEST_F(UninstallRun, HelperHoldingThePipeDoesNotKeepTheRunOpen)
{
    InstallTest::LingeringChild helper(dir_ / L"helper.exe");
    ASSERT_TRUE(helper.Placed());
    // The helper lives a minute; the run must end long before.
    EXPECT_EQ(Run(helper.SpawnDirective() + "\nout Progress=0.5\\n\n", uninstaller_.Path(), oldInstallDir_,
                  DriverRun::PlatformThreads(), 20000),
              (Reports{kUninstalling, {5002, 0.5, L""}, {5003, 1.0, L""}}));
    EXPECT_TRUE(helper.Running()) << "the helper must still hold the pipe for this case to show anything";
}

TEST_F(UninstallRun, CopyThatCannotStartIsAFailedStart)
{
    std::wstring folder = dir_ / L"not-a-program";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    EXPECT_EQ(Run("", folder, oldInstallDir_), (Reports{kUninstalling, {5004, 2.0, L""}}));
}

TEST_F(UninstallRun, CommandLineOver1023CharactersIsRefusedNotCut)
{
    EXPECT_EQ(Run("", uninstaller_.Path(), oldInstallDir_ + std::wstring(1000, L'x')),
              (Reports{kUninstalling, {5004, 2.0, L""}}));
    EXPECT_GT(commandLine_.size(), 1023u);
    EXPECT_FALSE(uninstaller_.Ran());
}

TEST_F(UninstallRun, WorkerThatCannotRunEndsWithTheStartFailure)
{
    EXPECT_EQ(Run("", uninstaller_.Path(), oldInstallDir_,
                  [](Utils::Thread::Body, const std::wstring&) { return nullptr; }),
              (Reports{{5004, 2.0, L""}}));
    EXPECT_FALSE(uninstaller_.Ran());
}

TEST_F(UninstallRun, ExceptionInTheWorkerIsLoggedAndEndsTheRunAsAFailure)
{
    TestSupport::LogCapture log;
    hook_ = [](int code, double progress) {
        if (code == UNIST_CODE_PROGRESS && progress == 0.5) throw std::runtime_error("receiver broke");
    };
    EXPECT_EQ(Run("out Progress=0.5\\n\nflood 2000 Progress=0.1" + std::string(500, '.') +
                  "\\n\nout State=Success\\n\n"),
              (Reports{kUninstalling, {5004, 2.0, L""}}));
    EXPECT_EQ(log.Matching(L"receiver broke").size(), 1u);
}

TEST_F(UninstallRun, UninstallerRemovesWhatThePackageInstalled)
{
    // Install with the stand-in package, then uninstall from a copy of the
    // installed entry point, as the sequencer does.
    FakeExecutable package(L"fake_package", oldInstallDir_ + L"\\__Package_Lumora.exe");
    package.Script("install " + Utils::ToNarrow(TestSupport::BinDir(), 65001) + "\nout State=Success\\n\n");
    InstallTest::ReportRecorder installReports;
    {
        CInstaller installer(installReports.Callback(), L"\"" + package.Path() + L"\"", oldInstallDir_, true, true,
                             true);
        installer.Start();
        ASSERT_TRUE(installReports.WaitFor({2003, 2004}));
    }
    std::wstring entryPoint = oldInstallDir_ + L"\\uninst.ep";
    ASSERT_TRUE(TestSupport::FileExists(entryPoint));
    ASSERT_TRUE(::CopyFileW(entryPoint.c_str(), uninstaller_.Path().c_str(), FALSE));

    EXPECT_EQ(Run("out Progress=0.5\\n\nuninstall\nout State=Success\\n\n"),
              (Reports{kUninstalling, {5002, 0.5, L""}, {5003, 0.0, L""}}));
    for (const wchar_t* name : {L"lumora.exe", L"uninst.ep", L"config.ini"})
        EXPECT_FALSE(TestSupport::FileExists(oldInstallDir_ + L"\\" + name)) << testing::PrintToString(name);
}

}  // namespace
