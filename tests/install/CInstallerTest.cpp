// The package installer driver running the stand-in package for real: the
// command line it was given, the report sequences of its scripted outputs,
// and the runs that must still end (floods, output after the final word).
#include "FakeExecutable.h"
#include "ReportRecorder.h"
#include "ScriptText.h"
#include "install/CInstaller.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using InstallTest::FakeExecutable;
using InstallTest::Report;
using InstallTest::ScriptText;
using Reports = std::vector<Report>;

std::wstring MadeDir(const std::wstring& path)
{
    ::CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

const Report kStarted = {2001, 0.0, L""};
const Report kInstalling = {2002, 0.0, L""};

class PackageRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(package_.Placed());
        installer_.reset(new CInstaller(recorder_.Callback(), L"\"" + package_.Path() + L"\"", installDir_, true,
                                        false, true));
    }

    // Starts the package with the script and returns the reports of this run
    // once its final report came and the package has ended.
    Reports Run(const std::string& script)
    {
        package_.Script(script);
        ::DeleteFileW((package_.Path() + L".cmdline").c_str());
        size_t before = recorder_.Reports().size();
        installer_->Start();
        EXPECT_TRUE(recorder_.WaitFor({2003, 2004}, before)) << "no final report";
        if (package_.Ran()) {
            EXPECT_TRUE(InstallTest::WaitForProcessEnd(package_.RecordedProcessId())) << "the package never ended";
        }
        Reports all = recorder_.Reports();
        return Reports(all.begin() + static_cast<long>(before), all.end());
    }

    TestSupport::TestTempDir dir_;
    std::wstring installDir_ = MadeDir(dir_ / L"Lumora Install Folder");
    FakeExecutable package_{L"fake_package", installDir_ + L"\\__Package_Lumora.exe"};
    InstallTest::ReportRecorder recorder_;
    std::unique_ptr<CInstaller> installer_;
};
TEST_F(PackageRun, PackageGetsEverySwitchAndQuoteAndInstallsTheProduct)
{
    installer_->SetExtraArguments(L"-channel=\"beta 2\" /Q");
    installer_->SetLanguage(L"zh-CN");
    Reports reports = Run("install " + Utils::ToNarrow(TestSupport::BinDir(), 65001) + "\n");
    EXPECT_EQ(reports, (Reports{kStarted, kInstalling, {2003, 1.0, L""}}));

    std::wstring expected = L"\"" + package_.Path() +
                            L"\" /S -console=show -version=1.0.0 -adminact=true -authorizationact=true -dsc=false "
                            L"-ssc=true -inslang=\"zh-CN\" -channel=\"beta 2\" /Q -instdir=\"" +
                            installDir_ + L"\" /D=" + installDir_;
    EXPECT_EQ(installer_->CommandLine(), expected);
    EXPECT_EQ(package_.RecordedCommandLine(), expected);
    for (const wchar_t* name : {L"lumora.exe", L"uninst.ep", L"config.ini"})
        EXPECT_TRUE(TestSupport::FileExists(installDir_ + L"\\" + name)) << testing::PrintToString(name);
}

TEST_F(PackageRun, EveryKeyWithCrLfEndingsInOrder)
{
    std::string folder = ScriptText(installDir_);
    Reports reports = Run("out Progress=0.1\\r\\n\n"
                          "out InstPath=" + folder + "\\r\\nInstallVersion=3.1.4\\r\\nExePath=" + folder +
                          "\\\\lumora.exe\\r\\nStartExe=lumora.exe\\r\\nUninstExePath=" + folder +
                          "\\\\uninst.exe\\r\\nUninstExe=u.exe\\r\\nUninstEp=" + folder +
                          "\\\\uninst.ep\\r\\n\n"
                          "out TopShowDetention=2000\\r\\nFinsihCloseDetention=-1\\r\\nStartUrl=http://127.0.0.1/"
                          "welcome\\r\\nStartupStyle=AutoStartup\\r\\nMessage=done\\r\\nProgress=1\\r\\n\n"
                          "out State=Success\\r\\n\n");
    EXPECT_EQ(reports, (Reports{kStarted, kInstalling, {2002, 0.1, L""}, {3000, 0.0, installDir_ + L"\r"},
                                {3001, 0.0, installDir_ + L"\\lumora.exe\r"}, {3001, 0.0, L"lumora.exe\r"},
                                {3002, 0.0, installDir_ + L"\\uninst.exe\r"}, {3002, 0.0, L"u.exe\r"},
                                {3003, 0.0, installDir_ + L"\\uninst.ep\r"}, {3007, 2000.0, L""},
                                {3008, 4294967295.0, L""}, {3004, 0.0, L"http://127.0.0.1/welcome\r"},
                                {3005, 1.0, L""}, {3009, 0.0, L"done\r"}, {2002, 1.0, L""}, {2003, 0.0, L""}}));
    EXPECT_EQ(installer_->State().installedVersion[0], 3);
    EXPECT_EQ(installer_->State().installedVersion[1], 1);
    EXPECT_EQ(installer_->State().installedVersion[2], 4);
}

TEST_F(PackageRun, PackageWithoutOutputCountsAsSuccess)
{
    EXPECT_EQ(Run(""), (Reports{kStarted, kInstalling, {2003, 1.0, L""}}));
}

TEST_F(PackageRun, SlowPackageIsFollowedToItsFinalState)
{
    EXPECT_EQ(Run("out Progress=0.2\\n\nsleep 300\nout Progress=0.4\\n\nsleep 300\nout Progress=0.6\\n\nsleep 300\n"
                  "out State=Success\\n\n"),
              (Reports{kStarted, kInstalling, {2002, 0.2, L""}, {2002, 0.4, L""}, {2002, 0.6, L""},
                       {2003, 0.0, L""}}));
}

TEST_F(PackageRun, LineSplitAcrossTwoWritesIsTwoPiecesWithoutEffect)
{
    EXPECT_EQ(Run("out Progr\nout ess=0.5\\n\nout Progress=0.7\\n\n"),
              (Reports{kStarted, kInstalling, {2002, 0.7, L""}, {2003, 1.0, L""}}));
}

TEST_F(PackageRun, Utf8TextIsDecodedOnlyAfterTheEncodeLine)
{
    const std::string zhong = "\\xE4\\xB8\\xAD\\xE6\\x96\\x87";  // "中文" in UTF-8
    Reports reports = Run("out Message=" + zhong + "\\n\nout Encode=UTF8\\nMessage=" + zhong +
                          "\\n\nout Message=" + zhong + "\\n\n");
    std::wstring asAnsi = Utils::ToWide("\xE4\xB8\xAD\xE6\x96\x87", 0);
    ASSERT_NE(asAnsi, L"中文") << "with UTF-8 as the ANSI code page this case shows nothing";
    EXPECT_EQ(reports, (Reports{kStarted, kInstalling, {3009, 0.0, asAnsi}, {3009, 0.0, asAnsi},
                                {3009, 0.0, L"中文"}, {2003, 1.0, L""}}));
}

TEST_F(PackageRun, NumericEncodeSelectsThatCodePage)
{
    Reports reports = Run("out Encode=936\\n\nout Message=\\xD6\\xD0\\xCE\\xC4\\n\n");
    EXPECT_EQ(reports, (Reports{kStarted, kInstalling, {3009, 0.0, L"中文"}, {2003, 1.0, L""}}));
}

TEST_F(PackageRun, FailStateAndErrorLineEndTheInstall)
{
    EXPECT_EQ(Run("out Progress=0.3\\n\nout State=Fail\\r\\n\n"),
              (Reports{kStarted, kInstalling, {2002, 0.3, L""}, {2004, 0.0, L"安装包安装失败"}}));
    EXPECT_EQ(Run("out Error=disk full\\r\\n\nout State=Success\\n\n"),
              (Reports{kStarted, kInstalling, {2004, 1000.0, L"disk full\r"}}));
}

TEST_F(PackageRun, OutputAfterTheFinalStateIsDiscardedAndThePackageStillEnds)
{
    // Megabytes after the final word: the package would block on a full pipe
    // if nobody read it, and the driver would wait for it forever.
    Reports reports = Run("out Progress=0.5\\nState=Success\\n\nflood 3000 Progress=0.9" + std::string(1000, '.') +
                          "\\n\nout Error=late\\n\n");
    EXPECT_EQ(reports, (Reports{kStarted, kInstalling, {2002, 0.5, L""}, {2003, 0.0, L""}}));
}

TEST_F(PackageRun, FloodOnStandardErrorDoesNotStopThePackage)
{
    EXPECT_EQ(Run("err 3000000\nout Progress=0.5\\n\nerr 100000\n"),
              (Reports{kStarted, kInstalling, {2002, 0.5, L""}, {2003, 1.0, L""}}));
}

TEST_F(PackageRun, PackageThatCannotStartIsAFailedStart)
{
    ASSERT_TRUE(::DeleteFileW(package_.Path().c_str()));
    EXPECT_EQ(Run(""), (Reports{kStarted, kInstalling, {2004, 2.0, L""}}));
}

TEST_F(PackageRun, CommandLineOver1023CharactersIsRefusedNotCut)
{
    installer_->SetInstallDir(installDir_ + L"\\" + std::wstring(600, L'd'));
    EXPECT_EQ(Run(""), (Reports{kStarted, kInstalling, {2004, 2.0, L""}}));
    EXPECT_GT(installer_->CommandLine().size(), 1023u);
    EXPECT_FALSE(package_.Ran());
}

TEST_F(PackageRun, SecondStartKeepsTheCodePageAndRebuildsTheCommandLine)
{
    Run("out Encode=UTF8\\n\n");
    installer_->SetLanguage(L"en-US");
    Reports reports = Run("out Message=\\xE4\\xB8\\xAD\\n\n");
    EXPECT_EQ(reports, (Reports{kStarted, kInstalling, {3009, 0.0, L"中"}, {2003, 1.0, L""}}));
    EXPECT_NE(package_.RecordedCommandLine().find(L" -inslang=\"en-US\" "), std::wstring::npos);
}

}  // namespace
