// The previous-version uninstaller driver running the stand-in uninstaller
// from a copy, as the sequencer makes it: its command line, the four-key
// report sequences, the missing copy, and the removal of what the stand-in
// package installed.
#include "FakeExecutable.h"
#include "ReportRecorder.h"
#include "install/CInstaller.h"
#include "install/UnInstaller.h"
#include "Utils/HostProbes.h"
#include "Utils/TextConvert.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using InstallTest::FakeExecutable;
using InstallTest::Report;
using Reports = std::vector<Report>;

const Report kUninstalling = {5002, 0.0, L""};

class UninstallRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(uninstaller_.Placed());
        ::CreateDirectoryW(oldInstallDir_.c_str(), nullptr);
    }

    // Runs a fresh driver for the copy and returns its reports once the run
    // (and the uninstaller) has ended.
    Reports Run(const std::string& script, const std::wstring& copyPath, const std::wstring& oldDir)
    {
        uninstaller_.Script(script);
        InstallTest::ReportRecorder recorder;
        {
            UnInstaller driver(recorder.Callback(), copyPath, oldDir);
            driver.Start();
            commandLine_ = driver.CommandLine();
            EXPECT_TRUE(recorder.WaitFor({5003, 5004, 5005})) << "no final report";
        }  // joins the worker, which waits for the uninstaller
        return recorder.Reports();
    }
    Reports Run(const std::string& script) { return Run(script, uninstaller_.Path(), oldInstallDir_); }

    TestSupport::TestTempDir dir_;
    std::wstring oldInstallDir_ = dir_ / L"Old Lumora";
    FakeExecutable uninstaller_{L"fake_uninstaller", dir_ / L"Lumora_un_asa.exe"};
    std::wstring commandLine_;
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
    std::wstring user;
    Utils::GetConsoleUserName(user);
    std::wstring expected = uninstaller_.Path() + L" /S -adminact=" +
                            (Utils::IsUserAdmin(user) ? L"true" : L"false") + L" -authorizationact=" +
                            (Utils::IsProcessAdmin() ? L"true" : L"false") + L" -console=show _?=" +
                            oldInstallDir_;
    EXPECT_EQ(commandLine_, expected);
    EXPECT_EQ(uninstaller_.RecordedCommandLine(), expected);
}

TEST_F(UninstallRun, SuccessIsReportedOnceAndReadingGoesOn)
{
    EXPECT_EQ(Run("out Progress=0.5\\n\nout State=Success\\r\\n\nout Progress=0.9\\n\n"),
              (Reports{kUninstalling, {5002, 0.5, L""}, {5003, 0.0, L""}, {5002, 0.9, L""}}));
}

TEST_F(UninstallRun, FailAndErrorAreUninstallFailures)
{
    EXPECT_EQ(Run("out State=Fail\\n\n"), (Reports{kUninstalling, {5005, 0.0, L"安装包卸载失败"}}));
    EXPECT_EQ(Run("out Error=files in use\\r\\n\nout InstPath=C:\\\\x\\n\n"),
              (Reports{kUninstalling, {5005, 0.0, L"files in use\r"}}));
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
