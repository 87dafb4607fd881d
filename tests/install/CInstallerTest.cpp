// The package installer driver running the stand-in package for real: the
// command line it was given, the report sequences of its scripted outputs,
// a careless package (lines cut by reads, bursts left in the pipe, crashes,
// exits without a final word, a helper holding the pipe), and the runs that
// must still end. Every final report must find the package ended, as the
// sequencer deletes the package file on it.
#include "FakeExecutable.h"
#include "LingeringChild.h"
#include "ReportRecorder.h"
#include "ScriptText.h"
#include "install/CInstaller.h"
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
using InstallTest::ScriptText;
using Reports = std::vector<Report>;

std::wstring MadeDir(const std::wstring& path)
{
    ::CreateDirectoryW(path.c_str(), nullptr);
    return path;
}

const Report kStarted = {2001, 0.0, L""};
const Report kInstalling = {2002, 0.0, L""};
const Report kEnded = {2003, 1.0, L""};
const Report kFailed = {2004, 0.0, L"安装包安装失败"};

Reports Started(const Reports& rest)
{
    Reports all{kStarted, kInstalling};
    all.insert(all.end(), rest.begin(), rest.end());
    return all;
}

class PackageRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(package_.Placed());
        installer_.reset(new CInstaller([this](int code, double progress, const wchar_t* text) {
            OnReport(code, progress, text);
        }, L"\"" + package_.Path() + L"\"", installDir_, true, false, true));
    }

    // Starts the package with the script and returns the reports of this run
    // once its final report came.
    Reports Run(const std::string& script, unsigned long timeoutMs = 60000)
    {
        package_.Script(script);
        ::DeleteFileW((package_.Path() + L".cmdline").c_str());
        ::DeleteFileW((package_.Path() + L".pid").c_str());
        size_t before = recorder_.Reports().size();
        installer_->Start();
        EXPECT_TRUE(recorder_.WaitFor({2003, 2004}, before, timeoutMs)) << "no final report";
        Reports all = recorder_.Reports();
        return Reports(all.begin() + static_cast<long>(before), all.end());
    }

    void OnReport(int code, double progress, const wchar_t* text)
    {
        if (code == IST_CODE_SUCCESS || code == IST_CODE_FAIL) {
            DWORD processId = package_.RecordedProcessId();
            EXPECT_FALSE(processId != 0 && InstallTest::ProcessRuns(processId))
                << "final report " << code << " while the package still runs";
        }
        if (hook_) hook_(code);
        record_(code, progress, text);
    }

    TestSupport::TestTempDir dir_;
    std::wstring installDir_ = MadeDir(dir_ / L"Lumora Install Folder");
    FakeExecutable package_{L"fake_package", installDir_ + L"\\__Package_Lumora.exe"};
    InstallTest::ReportRecorder recorder_;
    StatusCallback record_ = recorder_.Callback();
    std::function<void(int code)> hook_;  // runs on each report before it is recorded
    std::unique_ptr<CInstaller> installer_;
};

TEST_F(PackageRun, PackageGetsEverySwitchAndQuoteAndInstallsTheProduct)
{
    installer_->SetExtraArguments(L"-channel=\"beta 2\" /Q");
    installer_->SetLanguage(L"zh-CN");
    Reports reports = Run("install " + Utils::ToNarrow(TestSupport::BinDir(), 65001) + "\n");
    EXPECT_EQ(reports, Started({kEnded}));

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
    EXPECT_EQ(reports, Started({{2002, 0.1, L""}, {3000, 0.0, installDir_ + L"\r"},
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
    EXPECT_EQ(Run(""), Started({kEnded}));
}

TEST_F(PackageRun, SlowPackageIsFollowedToItsFinalState)
{
    EXPECT_EQ(Run("out Progress=0.2\\n\nsleep 300\nout Progress=0.4\\n\nsleep 1500\nout Progress=0.6\\n\nsleep 300\n"
                  "out State=Success\\n\n"),
              Started({{2002, 0.2, L""}, {2002, 0.4, L""}, {2002, 0.6, L""}, {2003, 0.0, L""}}));
}

Reports Repeated(const Report& report, size_t count) { return Reports(count, report); }

Reports Joined(Reports first, const Reports& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

TEST_F(PackageRun, CarelessPackageStillGetsTheOutcomeItWrote)
{
    // "out" makes one read of each write, so a line split over two "out"s is
    // cut by a read boundary; "put" and "flood" leave the reads to the pipe.
    // 60 lines in one write, after which the package ends at once.
    const std::string burst = InstallTest::RepeatedLines("Progress=0.25" + std::string(40, '.'), 60);
    struct Row {
        const char* name;
        std::string script;
        Reports reports;  // after 2001 and 2002
    };
    const Row rows[] = {
        {"State=Fail cut by a read", "out Progress=0.3\\nState=Fa\nout il\\r\\n\n", {{2002, 0.3, L""}, kFailed}},
        {"Error= cut inside its key", "out Err\nout or=disk full\\r\\n\nout State=Success\\n\n",
         {{2004, 1000.0, L"disk full\r"}}},
        {"InstPath= cut inside its value",
         "out InstPath=C:\\\\Program Fi\nout les\\\\Lumora\\r\\n\nout State=Success\n",
         {{3000, 0.0, L"C:\\Program Files\\Lumora\r"}, {2003, 0.0, L""}}},
        {"UTF-8 character cut by a read",
         "out Encode=UTF8\\n\nout Message=\\xE4\\xB8\nout \\xAD\\xE6\\x96\\x87\\n\n", {{3009, 0.0, L"中文"}, kEnded}},
        {"DBCS lead byte cut by a read", "out Encode=936\\n\nout Message=\\xD6\nout \\xD0\\xCE\\xC4\\n\n",
         {{3009, 0.0, L"中文"}, kEnded}},
        {"Encode= line and text in one write", "out Encode=UTF8\\nMessage=\\xE4\\xB8\\xAD\\n\n",
         {{3009, 0.0, L"中"}, kEnded}},
        {"unusable Encode= keeps the code page",
         "out Encode=UTF8\\n\nout Encode=-5\\n\nout Message=\\xE4\\xB8\\xAD\\n\n",
         {{3009, 0.0, L"中"}, kEnded}},
        {"final word without its LF at the end", "out Progress=0.5\\nState=Fa\nout il\n", {{2002, 0.5, L""}, kFailed}},
        {"burst still in the pipe when the package ends", "put " + burst + "State=Fail\\n\n",
         Joined(Repeated({2002, 0.25, L""}, 60), {kFailed})},
        {"floods on both streams", "err 1000000\nflood 500 Progress=0.5\\n\nerr 1000000\nput Error=late\n",
         Joined(Repeated({2002, 0.5, L""}, 500), {{2004, 1000.0, L"late"}})},
        {"the first final word decides", "out State=Success\\nError=late\\nInstPath=C:\\\\x\\n\nexit 9\n",
         {{2003, 0.0, L""}}},
        {"ends without a final word, exit code 0", "out Progress=0.5\\n\nexit 0\n", {{2002, 0.5, L""}, kEnded}},
        {"ends without a final word, exit code 3", "out Progress=0.5\\n\nexit 3\n", {{2002, 0.5, L""}, kFailed}},
        {"crash in the middle of a line", "put Progress=0.5\\nState=Succ\ncrash\nout State=Success\\n\n",
         {{2002, 0.5, L""}, kFailed}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Run(row.script), Started(row.reports));
    }
}

TEST_F(PackageRun, FinalReportFindsThePackageFileFreeToDelete)
{
    // The package goes on for a while after its final word, as an installer
    // finishing its own clean-up would; the sequencer deletes the package
    // file as soon as the final report comes.
    for (const char* finalLine : {"State=Success", "Error=disk full"}) {
        SCOPED_TRACE(finalLine);
        FakeExecutable package(L"fake_package", package_.Path());
        ASSERT_TRUE(package.Placed());
        bool deleted = false;
        hook_ = [&](int code) {
            if (code == IST_CODE_SUCCESS || code == IST_CODE_FAIL) deleted = ::DeleteFileW(package_.Path().c_str());
        };
        Reports reports = Run("out " + std::string(finalLine) + "\\n\nsleep 1500\nout Progress=0.9\\n\n");
        ASSERT_FALSE(reports.empty());
        EXPECT_TRUE(deleted) << "the package file was still in use at the final report";
    }
}

TEST_F(PackageRun, HelperHoldingThePipeDoesNotKeepTheRunOpen)
{
    InstallTest::LingeringChild helper(dir_ / L"helper.exe");
    ASSERT_TRUE(helper.Placed());
    // No final word, so the run ends only when the package's output does. The
    // helper lives a minute; the run must end long before.
    EXPECT_EQ(Run(helper.SpawnDirective() + "\nout Progress=0.5\\n\n", 20000), Started({{2002, 0.5, L""}, kEnded}));
    EXPECT_TRUE(helper.Running()) << "the helper must still hold the pipe for this case to show anything";
}

TEST_F(PackageRun, Utf8TextIsDecodedFromTheLineAfterTheEncodeLine)
{
    const std::string zhong = "\\xE4\\xB8\\xAD\\xE6\\x96\\x87";  // "中文" in UTF-8
    Reports reports = Run("out Message=" + zhong + "\\nEncode=UTF8\\nMessage=" + zhong + "\\n\n");
    std::wstring asAnsi = Utils::ToWide("\xE4\xB8\xAD\xE6\x96\x87", 0);
    ASSERT_NE(asAnsi, L"中文") << "with UTF-8 as the ANSI code page this case shows nothing";
    EXPECT_EQ(reports, Started({{3009, 0.0, asAnsi}, {3009, 0.0, L"中文"}, kEnded}));
}

TEST_F(PackageRun, NumericEncodeSelectsThatCodePage)
{
    Reports reports = Run("out Encode=936\\n\nout Message=\\xD6\\xD0\\xCE\\xC4\\n\n");
    EXPECT_EQ(reports, Started({{3009, 0.0, L"中文"}, kEnded}));
}

TEST_F(PackageRun, FailStateAndErrorLineEndTheInstall)
{
    EXPECT_EQ(Run("out Progress=0.3\\n\nout State=Fail\\r\\n\n"), Started({{2002, 0.3, L""}, kFailed}));
    EXPECT_EQ(Run("out Error=disk full\\r\\n\nout State=Success\\n\n"), Started({{2004, 1000.0, L"disk full\r"}}));
}

TEST_F(PackageRun, OutputAfterTheFinalStateIsDiscardedAndThePackageStillEnds)
{
    // Megabytes after the final word: the package would block on a full pipe
    // if nobody read it, and the driver would wait for it forever.
    Reports reports = Run("out Progress=0.5\\nState=Success\\n\nflood 3000 Progress=0.9" + std::string(1000, '.') +
                          "\\n\nout Error=late\\n\n");
    EXPECT_EQ(reports, Started({{2002, 0.5, L""}, {2003, 0.0, L""}}));
}

TEST_F(PackageRun, FloodOnStandardErrorDoesNotStopThePackage)
{
    EXPECT_EQ(Run("err 3000000\nout Progress=0.5\\n\nerr 100000\n"), Started({{2002, 0.5, L""}, kEnded}));
}

TEST_F(PackageRun, PackageThatCannotStartIsAFailedStart)
{
    ASSERT_TRUE(::DeleteFileW(package_.Path().c_str()));
    EXPECT_EQ(Run(""), Started({{2004, 2.0, L""}}));
}

TEST_F(PackageRun, CommandLineOver1023CharactersIsRefusedNotCut)
{
    installer_->SetInstallDir(installDir_ + L"\\" + std::wstring(600, L'd'));
    EXPECT_EQ(Run(""), Started({{2004, 2.0, L""}}));
    EXPECT_GT(installer_->CommandLine().size(), 1023u);
    EXPECT_FALSE(package_.Ran());
}

TEST_F(PackageRun, SecondStartKeepsTheCodePageAndRebuildsTheCommandLine)
{
    Run("out Encode=UTF8\\n\n");
    installer_->SetLanguage(L"en-US");
    Reports reports = Run("out Message=\\xE4\\xB8\\xAD\\n\n");
    EXPECT_EQ(reports, Started({{3009, 0.0, L"中"}, kEnded}));
    EXPECT_NE(package_.RecordedCommandLine().find(L" -inslang=\"en-US\" "), std::wstring::npos);
}

TEST_F(PackageRun, WorkerThatCannotRunEndsWithTheStartFailure)
{
    installer_->SetWorkerFactory([](Utils::Thread::Body, const std::wstring&) { return nullptr; });
    installer_->Start();
    EXPECT_EQ(recorder_.Reports(), (Reports{{2004, 2.0, L""}})) << "reported before Start returns";
    EXPECT_FALSE(package_.Ran());
}

TEST_F(PackageRun, ExceptionInTheWorkerIsLoggedAndEndsTheRunAsAFailure)
{
    TestSupport::LogCapture log;
    hook_ = [](int code) {
        if (code == PKG_MESSAGE) throw std::runtime_error("receiver broke");
    };
    // The package goes on writing after the fault; it is still followed to
    // its end before the failure is reported.
    EXPECT_EQ(Run("out Message=hello\\n\nflood 2000 Progress=0.1" + std::string(500, '.') +
                  "\\n\nout State=Success\\n\n"),
              Started({{2004, 2.0, L""}}));
    EXPECT_EQ(log.Matching(L"receiver broke").size(), 1u);
}

}  // namespace
