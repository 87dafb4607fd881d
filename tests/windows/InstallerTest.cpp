// The real installer under the display, driven like a person: it is started
// with its switches, its windows are found by their titles, clicks land
// where the skin's layout puts the controls, and what the screen shows (the
// page, the percent, the prompt and its text) is compared with the skin as
// the toolkit draws it. Afterwards the machine is checked: the registry's
// install records, set.ini, the analytics ini, the install folder, the
// processes and the exit code. The stand-in package is served by the local
// nginx behind an address that carries its digest and runs the script the
// case gives it.

#include "DuiLib/ToolkitSkinTree.h"
#include "Utils/TextConvert.h"
#include "InstallerMachine.h"
#include "InstallerProcess.h"
#include "InstallerScreen.h"
#include "MainSkinPictures.h"
#include "PromptPicture.h"
#include "download/DownloadServers.h"
#include "install/CDownloadInstaller.h"
#include "install/InstallRecordsFolder.h"
#include "support/RealInput.h"
#include "support/ServiceCheck.h"
#include "support/TestFiles.h"
#include "support/TestTempDir.h"
#include "windows/SkinNames.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace InstallerTest {
namespace {

using namespace SkinNames;

constexpr DWORD kStartMs = 30000;   // from the start to the first window
constexpr DWORD kStepMs = 30000;    // from a click to what follows it
constexpr DWORD kExitMs = 20000;    // from the last window to the process's end
constexpr unsigned long kNoExit = 0xDEADu;

const wchar_t kQuickAddress[] = L"Lumora_Setup.exe";
const wchar_t kCustomRoot[] = L"C:\\Apps";

std::string Narrow(const std::wstring& text) { return Utils::ToNarrow(text, CP_UTF8); }

// A package that reports its progress in steps, installs the product files
// into the folder it was given and succeeds; CR LF line ends, as packages
// written for Windows print them.
const char kSucceedingScript[] =
    "out Progress=0.10\\r\\n\n"
    "sleep 400\n"
    "out Progress=0.40\\r\\n\n"
    "sleep 400\n"
    "out InstPath=@INSTDIR@\\r\\n\n"
    "install @BIN@\n"
    "out Progress=0.70\\r\\n\n"
    "sleep 400\n"
    "out ExePath=@INSTDIR@\\\\lumora.exe\\r\\n\n"
    "out UninstEp=@INSTDIR@\\\\uninst.ep\\r\\n\n"
    "out State=Success\\r\\n\n";

std::string Replace(std::string text, const std::string& marker, const std::string& value)
{
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + value.size())) {
        text.replace(at, marker.size(), value);
    }
    return text;
}

class InstallerWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(TestSupport::UseEmbeddedSkinArchive()); }

    void SetUp() override
    {
        LUMORA_REQUIRE_SERVICE(!DownloadTest::ServedRoot().empty(), "the download servers");
        ASSERT_TRUE(MainSkinPictures::Get().Ready()) << "the main skin could not be drawn";
        HostAdminFacts facts;
        defaultFolder_ = DefaultInstallDir(RegisteredInstall{}, facts);
        CleanMachine();
        ASSERT_FALSE(RecordsKeyExists()) << "an earlier case left the install records";
        ASSERT_FALSE(Exists(defaultFolder_)) << Narrow(defaultFolder_);
        ASSERT_FALSE(Exists(AnalyticsFolder()));
    }

    void TearDown() override
    {
        installer_.reset();
        CleanMachine();
    }

    // Everything an install or a case may leave, whatever happened.
    void CleanMachine()
    {
        for (const std::wstring& folder : ProductFolders()) {
            EXPECT_TRUE(StopProduct(folder + L"\\lumora.exe")) << "a stand-in product kept running";
        }
        RemoveRecords();
        std::vector<std::wstring> folders = ProductFolders();
        folders.push_back(kCustomRoot);
        folders.push_back(AnalyticsFolder());
        for (const std::wstring& folder : folders) {
            // A process that has just ended may hold its folder a moment longer.
            EXPECT_TRUE(WaitUntil([&] { return TestSupport::RemoveTree(folder); }, 10000))
                << "could not remove " << Narrow(folder) << ": " << Narrow(ListFolder(folder));
        }
        std::wstring uninstallerCopy = CDownloadInstaller::UninstallerCopyPath();
        for (const wchar_t* suffix : {L"", L".script", L".cmdline", L".pid"}) {
            ::DeleteFileW((uninstallerCopy + suffix).c_str());
        }
    }

    std::vector<std::wstring> ProductFolders() const
    {
        return {defaultFolder_, std::wstring(kCustomRoot) + L"\\Lumora", installedFolder_};
    }

    // ---- starting -----------------------------------------------------------

    void Start(std::vector<std::wstring> switches, const std::string& script = kSucceedingScript,
               bool readLog = false)
    {
        std::wstring scriptPath = scripts_ / (L"package" + std::to_wstring(++scriptCount_) + L".script");
        TestSupport::WriteBytes(scriptPath, Replace(script, "@BIN@", Narrow(TestSupport::BinDir())));
        InstallerProcess::Options options;
        options.switches = std::move(switches);
        options.fakeScript = scriptPath;
        options.readLog = readLog;
        installer_ = std::make_unique<InstallerProcess>(options);
        ASSERT_TRUE(installer_->Started()) << "LumoraInstaller.exe could not be started";
    }

    static std::wstring AddressSwitch(const std::wstring& address) { return L"-downloadurl=" + address; }

    // ---- what the screen shows ------------------------------------------------

    HWND Main() const { return installer_ ? installer_->MainWindow() : nullptr; }

    int PageNow() const
    {
        HWND main = Main();
        if (!main || installer_->Prompt()) return -1;
        return MainSkinPictures::Get().PageShown(CaptureWindow(main));
    }

    // Waits until the main window, with no prompt over it, shows the page;
    // saves a screenshot under the name given.
    bool WaitForPage(int page, const std::wstring& screenshot = L"", DWORD ms = kStepMs)
    {
        ParkPointer();
        bool shown = WaitUntil([&] { return PageNow() == page; }, ms);
        if (!shown) {
            HWND main = Main();
            if (main) {
                SaveScreenshot(main, L"unexpected-" + std::to_wstring(page));
                for (int p = 0; p < MainSkinPictures::kPages; ++p) {
                    ADD_FAILURE() << "page " << p << " differs in "
                                  << MainSkinPictures::Get().DifferingPixels(CaptureWindow(main), p) << " pixels";
                }
            }
            return false;
        }
        if (!screenshot.empty()) SaveScreenshot(Main(), screenshot);
        return true;
    }

    // The prompt of that skin once it is shown and painted.
    std::optional<TopWindow> WaitForPrompt(const std::wstring& windowClass, const std::wstring& screenshot = L"")
    {
        std::optional<TopWindow> prompt;
        WaitUntil(
            [&] {
                prompt = installer_->Prompt();
                return prompt && CaptureWindow(prompt->hwnd).DistinctColours() > 8;
            },
            kStepMs);
        if (!prompt) {
            ADD_FAILURE() << "no prompt came up; expected " << Narrow(windowClass);
            return std::nullopt;
        }
        EXPECT_EQ(Narrow(windowClass), Narrow(prompt->windowClass)) << "another prompt is up";
        if (prompt->windowClass != windowClass) return std::nullopt;
        ::Sleep(200);  // its last paint
        if (!screenshot.empty()) SaveScreenshot(prompt->hwnd, screenshot);
        return prompt;
    }

    void ClickMain(int page, const std::wstring& control)
    {
        RECT box = MainSkinPictures::Get().Box(page, control);
        ASSERT_GE(box.left, 0) << Narrow(control) << " is not on page " << page;
        ClickInWindow(Main(), MainSkinPictures::Get().Centre(page, control));
    }

    void Answer(const TopWindow& prompt, const std::wstring& skin, const std::wstring& control)
    {
        std::optional<POINT> at = PromptPicture(skin).Centre(control);
        ASSERT_TRUE(at) << Narrow(skin) << " has no " << Narrow(control);
        ClickInWindow(prompt.hwnd, *at);
    }

    bool PromptShows(const TopWindow& prompt, const std::wstring& skin, const std::wstring& text,
                     const std::wstring& caption)
    {
        return PromptPicture(skin).ShowsTexts(CaptureWindow(prompt.hwnd), text, caption);
    }

    // The percents the progress page shows while it is up, in order.
    std::vector<int> WatchProgress()
    {
        std::vector<int> seen;
        WaitUntil(
            [&] {
                HWND main = Main();
                if (!main || installer_->Prompt()) return true;
                TestSupport::ScreenCapture shot = CaptureWindow(main);
                if (MainSkinPictures::Get().PageShown(shot) != kProgressPage) return !seen.empty();
                int percent = MainSkinPictures::Get().PercentShown(shot);
                if (percent >= 0 && (seen.empty() || seen.back() != percent)) {
                    if (seen.empty()) SaveScreenshot(main, L"page2-progress");
                    seen.push_back(percent);
                }
                return false;
            },
            kStepMs);
        return seen;
    }

    // The stand-in product is a console program: its console window comes up
    // and takes the keyboard a moment after it starts. A click on the
    // installer while that happens is taken away from it, as it would be
    // from any window; a person clicks once the screen has settled.
    static void WaitForProductWindowToSettle()
    {
        auto foregroundTitle = [] {
            wchar_t title[256] = {};
            ::InternalGetWindowText(::GetForegroundWindow(), title, 255);
            return std::wstring(title);
        };
        WaitUntil([&] { return foregroundTitle().find(L"lumora.exe") != std::wstring::npos; }, 10000);
        HWND before = nullptr;
        WaitUntil(
            [&] {
                HWND now = ::GetForegroundWindow();
                bool settled = now == before;
                before = now;
                return settled;
            },
            5000);
    }

    // Whether the stand-in product at path was started (it records its process
    // id first thing). A start that is due is waited for; one that is not gets
    // two seconds to show itself all the same.
    static bool ProductStarted(const std::wstring& path, bool due)
    {
        return WaitUntil([&] { return Exists(path + L".pid"); }, due ? kStepMs : 2000);
    }

    unsigned long ExitCode(DWORD ms = kExitMs)
    {
        std::optional<DWORD> code = installer_->WaitForExit(ms);
        return code ? *code : kNoExit;
    }

    void ExpectInstalledInto(const std::wstring& folder)
    {
        EXPECT_EQ(Narrow(folder), Narrow(RecordValue(L"InstallPath")));
        EXPECT_EQ(Narrow(folder + L"\\uninst.ep"), Narrow(RecordValue(L"UnInstallEp")));
        EXPECT_TRUE(Exists(folder + L"\\lumora.exe")) << Narrow(ListFolder(folder));
        EXPECT_FALSE(Exists(CDownloadInstaller::PackagePathFor(folder))) << "the package file was left";
        std::wstring setIni = folder + L"\\set.ini";
        EXPECT_EQ("Lumora", Narrow(IniValue(setIni, L"Install", L"AppName")));
        EXPECT_EQ("LumoraInstaller.exe", Narrow(IniValue(setIni, L"Install", L"APPStore")));
        EXPECT_EQ(32u, IniValue(setIni, L"Install", L"DeviceID").size());
        EXPECT_EQ(Narrow(AnalyticsIniPath()), Narrow(IniValue(setIni, L"Install", L"ZEDarororAvuvadideIni")));
        EXPECT_EQ(19u, IniValue(AnalyticsIniPath(), L"Init", L"UpdateTime").size()) << "yyyy-mm-dd hh:mm:ss";
    }

    // The exit prompt of the start page answered "是": the window closes with 0.
    void CloseFromStartPage()
    {
        ClickMain(kStartPage, L"closebtn");
        std::optional<TopWindow> exitPrompt = WaitForPrompt(L"ExitTipWnd");
        ASSERT_TRUE(exitPrompt);
        Answer(*exitPrompt, kExitSkin, L"okBtn");
        EXPECT_EQ(0u, ExitCode());
    }

    // Alt+F4 as a person presses it, with the main window in front.
    void PressAltF4()
    {
        HWND main = Main();
        ASSERT_TRUE(main);
        ::SetForegroundWindow(main);
        ASSERT_TRUE(WaitUntil([main] { return ::GetForegroundWindow() == main; }, 5000))
            << "the window is not in front";
        TestSupport::PressChord({VK_MENU, VK_F4});
    }

    // The command line the stand-in package recorded in the folder it ran from.
    static std::string PackageCommandLine(const std::wstring& folder)
    {
        return TestSupport::ReadBytes(CDownloadInstaller::PackagePathFor(folder) + L".cmdline");
    }

    TestSupport::TestTempDir scripts_;
    int scriptCount_ = 0;
    std::wstring defaultFolder_;
    std::wstring installedFolder_ = L"C:\\Installed Lumora";
    std::unique_ptr<InstallerProcess> installer_;
};

// ---- the road of one quick install --------------------------------------------

TEST_F(InstallerWindowTest, QuickInstallShowsProgressThenFinishAndRecordsTheInstall)
{
    Start({AddressSwitch(ServePackage(kQuickAddress))});
    ASSERT_TRUE(WaitForPage(kStartPage, L"page0-start", kStartMs));

    ClickMain(kStartPage, L"defaultInstallBtn");
    std::vector<int> percents = WatchProgress();
    ASSERT_TRUE(WaitForPage(kFinishPage, L"page3-finished"));

    std::string shown;
    for (int p : percents) shown += std::to_string(p) + " ";
    EXPECT_GE(percents.size(), 2u) << "the progress did not move: " << shown;
    for (size_t i = 1; i < percents.size(); ++i) EXPECT_LT(percents[i - 1], percents[i]) << shown;
    ExpectInstalledInto(defaultFolder_);
    EXPECT_TRUE(Main()) << "the window closed by itself";

    ClickMain(kFinishPage, L"closebtn");
    EXPECT_EQ(0u, ExitCode());
}

// ---- the custom page ------------------------------------------------------------

TEST_F(InstallerWindowTest, CustomPageRefusesAFolderThatCannotBeMadeAndInstallsIntoTheTypedOne)
{
    Start({AddressSwitch(ServePackage(kQuickAddress))});
    ASSERT_TRUE(WaitForPage(kStartPage, L"", kStartMs));
    ClickMain(kStartPage, L"customeBtn");
    ASSERT_TRUE(WaitForPage(kCustomPage, L"page1-custom"));
    ClickMain(kCustomPage, L"backBtn");
    ASSERT_TRUE(WaitForPage(kStartPage)) << "the back button did not return to the start page";
    ClickMain(kStartPage, L"customeBtn");
    ASSERT_TRUE(WaitForPage(kCustomPage));

    // A folder that cannot be made (a drive the machine lacks) is refused on
    // the page, and the install button works again afterwards. The edit box
    // selects its text when it takes the focus; typing replaces it.
    ASSERT_FALSE(Exists(L"Q:\\")) << "the prefix has a drive Q:";
    ClickMain(kCustomPage, L"installDirEdit");
    TestSupport::TypeText(L"Q:/Apps");
    ClickMain(kCustomPage, L"customeInstallBtn");
    std::optional<TopWindow> invalid = WaitForPrompt(L"MessageBox2Wnd", L"prompt-invalid-folder");
    ASSERT_TRUE(invalid);
    EXPECT_TRUE(PromptShows(*invalid, kErrorSkin, kInvalidFolderText, kWarmCaption));
    Answer(*invalid, kErrorSkin, L"closebtn");
    ASSERT_TRUE(WaitForPage(kCustomPage)) << "not back on the custom page";
    EXPECT_FALSE(Exists(defaultFolder_)) << "the default folder was used instead";

    ClickMain(kCustomPage, L"installDirEdit");
    TestSupport::TypeText(L"C:/Apps");
    ClickMain(kCustomPage, L"createDSCb");  // no desktop shortcut
    ParkPointer();
    ::Sleep(300);
    SaveScreenshot(Main(), L"page1-custom-typed");
    ClickMain(kCustomPage, L"customeInstallBtn");
    ASSERT_TRUE(WaitForPage(kFinishPage, L"", kStepMs));

    const std::wstring folder = L"C:\\Apps\\Lumora";
    ExpectInstalledInto(folder);
    std::string commandLine = PackageCommandLine(folder);
    EXPECT_NE(std::string::npos, commandLine.find(" -dsc=false -ssc=true")) << commandLine;
    EXPECT_NE(std::string::npos, commandLine.find(" /D=C:\\Apps\\Lumora")) << commandLine;
    EXPECT_FALSE(Exists(defaultFolder_)) << "the default folder was used as well";

    ClickMain(kFinishPage, L"closebtn");
    EXPECT_EQ(0u, ExitCode());
}

// ---- a download that fails --------------------------------------------------------

TEST_F(InstallerWindowTest, DownloadFailureAsksAndLaterTryReturnsToThePageItStartedFrom)
{
    Start({AddressSwitch(UnreachablePackageAddress())});
    ASSERT_TRUE(WaitForPage(kStartPage, L"", kStartMs));
    ClickMain(kStartPage, L"customeBtn");
    ASSERT_TRUE(WaitForPage(kCustomPage));
    ClickMain(kCustomPage, L"customeInstallBtn");

    std::optional<TopWindow> network = WaitForPrompt(L"NetworkTipWnd", L"prompt-network");
    ASSERT_TRUE(network);
    Answer(*network, kNetworkSkin, L"cancelBtn");  // "稍后再试"
    ASSERT_TRUE(WaitForPage(kCustomPage)) << "not back on the page the install was started from";

    // Once more, and this time the prompt is closed with its own close button.
    ClickMain(kCustomPage, L"customeInstallBtn");
    network = WaitForPrompt(L"NetworkTipWnd");
    ASSERT_TRUE(network);
    Answer(*network, kNetworkSkin, L"closebtn");
    ASSERT_TRUE(WaitForPage(kCustomPage));

    EXPECT_FALSE(RecordsKeyExists());
    EXPECT_FALSE(Exists(CDownloadInstaller::PackagePathFor(defaultFolder_)));
    ClickMain(kCustomPage, L"backBtn");
    ASSERT_TRUE(WaitForPage(kStartPage));
    CloseFromStartPage();
}

TEST_F(InstallerWindowTest, DownloadFailureRetriedFromThePromptInstalls)
{
    // The server has no package at first and has it by the time the user retries.
    const std::wstring late = L"Lumora_Setup_late.exe";
    std::wstring address = ServePackage(late);
    WithdrawPackage(late);
    Start({AddressSwitch(address)});
    ASSERT_TRUE(WaitForPage(kStartPage, L"", kStartMs));
    ClickMain(kStartPage, L"defaultInstallBtn");

    std::optional<TopWindow> network = WaitForPrompt(L"NetworkTipWnd");
    ASSERT_TRUE(network);
    ServePackage(late);
    Answer(*network, kNetworkSkin, L"okBtn");  // "重新安装"
    ASSERT_TRUE(WaitForPage(kFinishPage));
    ExpectInstalledInto(defaultFolder_);

    ClickMain(kFinishPage, L"closebtn");
    EXPECT_EQ(0u, ExitCode());
}

// ---- a package that fails ---------------------------------------------------------

struct FailureCase {
    const char* name;
    const char* script;
    std::vector<std::wstring> switches;
    const wchar_t* message;  // the prompt's text
    int barAfter;            // what the progress page shows at the next attempt
};

class InstallFailure : public InstallerWindowTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(InstallFailure, PromptShowsThePackagesWordsAndTheStartPageFollows)
{
    const FailureCase& c = GetParam();
    const std::wstring served = L"Lumora_" + Utils::ToWide(c.name, CP_UTF8) + L".exe";
    std::vector<std::wstring> switches = c.switches;
    switches.push_back(AddressSwitch(ServePackage(served)));
    Start(switches, c.script);
    ASSERT_TRUE(WaitForPage(kStartPage, L"", kStartMs));
    ClickMain(kStartPage, L"defaultInstallBtn");

    std::optional<TopWindow> failed =
        WaitForPrompt(L"MessageBox2Wnd", L"prompt-install-failed-" + Utils::ToWide(c.name, CP_UTF8));
    ASSERT_TRUE(failed);
    EXPECT_TRUE(PromptShows(*failed, kErrorSkin, c.message, kWarmCaption)) << "not the text " << Narrow(c.message);
    Answer(*failed, kErrorSkin, L"closebtn");
    ASSERT_TRUE(WaitForPage(kStartPage));
    EXPECT_FALSE(RecordsKeyExists()) << "a failed install was recorded";
    EXPECT_FALSE(Exists(CDownloadInstaller::PackagePathFor(defaultFolder_))) << "the package file was left";

    // The next attempt finds no package on the server, so the progress page
    // shows the bar as the failure left it until the network prompt comes.
    WithdrawPackage(served);
    ClickMain(kStartPage, L"defaultInstallBtn");
    int percent = -1;
    ASSERT_TRUE(WaitUntil(
        [&] {
            HWND main = Main();
            if (!main) return false;
            TestSupport::ScreenCapture shot = CaptureWindow(main);
            if (MainSkinPictures::Get().PageShown(shot) != kProgressPage) return false;
            percent = MainSkinPictures::Get().PercentShown(shot);
            return percent >= 0;
        },
        kStepMs));
    EXPECT_EQ(c.barAfter, percent);
    std::optional<TopWindow> network = WaitForPrompt(L"NetworkTipWnd");
    ASSERT_TRUE(network);
    Answer(*network, kNetworkSkin, L"cancelBtn");
    ASSERT_TRUE(WaitForPage(kStartPage));
    CloseFromStartPage();
}

INSTANTIATE_TEST_SUITE_P(
    Package, InstallFailure,
    ::testing::Values(
        // Its own words (UTF-8, announced first) after the bar passed 70: the bar starts again at 0.
        FailureCase{"ErrorText",
                    "out Encode=UTF8\\r\\n\n"
                    "out Progress=0.5\\r\\n\n"
                    "sleep 300\n"
                    "out Error=安装目录无法写入\\r\\n\n",
                    {}, L"安装目录无法写入", 0},
        // A failed state below 70 (half the bar for the download): the bar keeps its place.
        FailureCase{"FailState", "out State=Fail\\r\\n\n", {L"-downloadscale=0.5"}, L"安装包安装失败", 57},
        // An error without words.
        FailureCase{"NoText", "out Progress=0.2\\r\\n\nout Error=\n", {}, L"安装失败", 0}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// ---- an installed copy --------------------------------------------------------------

class InstalledCopyTest : public InstallerWindowTest {
protected:
    // A copy registered under InstallPath only (its uninstaller is the
    // folder's uninst.ep), whose uninstaller removes it and succeeds.
    void PlaceInstalledCopy()
    {
        ASSERT_TRUE(::CreateDirectoryW(installedFolder_.c_str(), nullptr));
        const std::wstring bin = TestSupport::BinDir();
        auto place = [&](const wchar_t* program, const wchar_t* name) {
            return ::CopyFileW((bin + L"\\" + program).c_str(), (installedFolder_ + L"\\" + name).c_str(), FALSE);
        };
        ASSERT_TRUE(place(L"fake_product.exe", L"lumora.exe"));
        ASSERT_TRUE(place(L"fake_uninstaller.exe", L"uninst.ep"));
        WriteRecord(L"InstallPath", installedFolder_);
        TestSupport::WriteBytes(CDownloadInstaller::UninstallerCopyPath() + L".script",
                                "uninstall\nout State=Success\\r\\n\n");
    }

    std::string UninstallerCommandLine() const
    {
        return TestSupport::ReadBytes(CDownloadInstaller::UninstallerCopyPath() + L".cmdline");
    }
};

struct CopyAnswer {
    const char* name;
    const wchar_t* control;
    bool installs;
    bool opensProduct;
};

class InstalledCopyAnswer : public InstalledCopyTest, public ::testing::WithParamInterface<CopyAnswer> {};

TEST_P(InstalledCopyAnswer, EachAnswerOfThePromptDoesWhatItSays)
{
    const CopyAnswer& c = GetParam();
    PlaceInstalledCopy();
    Start({AddressSwitch(ServePackage(kQuickAddress))});
    std::optional<TopWindow> asked = WaitForPrompt(L"InstalledPathTipWnd", L"prompt-installed-copy");
    ASSERT_TRUE(asked);
    Answer(*asked, kInstalledCopySkin, c.control);

    const std::wstring product = installedFolder_ + L"\\lumora.exe";
    if (c.installs) {
        ASSERT_TRUE(WaitForPage(kFinishPage));
        ExpectInstalledInto(installedFolder_);
        EXPECT_NE(std::string::npos, UninstallerCommandLine().find("_?=" + Narrow(installedFolder_)))
            << "the old copy was not removed first: " << UninstallerCommandLine();
        ClickMain(kFinishPage, L"closebtn");
    }
    EXPECT_EQ(0u, ExitCode());
    EXPECT_EQ(c.opensProduct, ProductStarted(product, c.opensProduct));
    if (!c.installs) {
        EXPECT_EQ(Narrow(installedFolder_), Narrow(RecordValue(L"InstallPath")));
        EXPECT_TRUE(RecordValue(L"UnInstallEp").empty()) << "records written without an install";
        EXPECT_FALSE(Exists(installedFolder_ + L"\\set.ini")) << "an install was begun";
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, InstalledCopyAnswer,
                         ::testing::Values(CopyAnswer{"InstallLatest", L"okBtn", true, false},
                                           CopyAnswer{"OpenProduct", L"cancelBtn", false, true},
                                           CopyAnswer{"CloseButton", L"closebtn", false, false}),
                         [](const ::testing::TestParamInfo<CopyAnswer>& info) { return std::string(info.param.name); });

TEST_F(InstalledCopyTest, InsNewInstallsOverItAtOnceWithoutAsking)
{
    PlaceInstalledCopy();
    Start({AddressSwitch(ServePackage(kQuickAddress)), L"-insnew=true"});
    bool prompted = false;
    bool finished = WaitUntil(
        [&] {
            prompted = prompted || installer_->Prompt().has_value();
            return PageNow() == kFinishPage;
        },
        kStartMs + kStepMs);
    EXPECT_FALSE(prompted) << "a prompt was shown";
    ASSERT_TRUE(finished) << "no install without a click";
    ExpectInstalledInto(installedFolder_);
    ClickMain(kFinishPage, L"closebtn");
    EXPECT_EQ(0u, ExitCode());
}

TEST_F(InstalledCopyTest, RunningProductIsReportedAndTheInstallerCloses)
{
    PlaceInstalledCopy();
    ASSERT_NE(0u, StartProduct(installedFolder_));
    Start({AddressSwitch(ServePackage(kQuickAddress))});
    std::optional<TopWindow> running = WaitForPrompt(L"MessageBox1Wnd", L"prompt-product-running");
    ASSERT_TRUE(running);
    EXPECT_TRUE(PromptShows(*running, kNoticeSkin, kProductRunningText, kWarmCaption));
    Answer(*running, kNoticeSkin, L"closebtn");
    EXPECT_EQ(0u, ExitCode());
    EXPECT_TRUE(ProductRuns(installedFolder_ + L"\\lumora.exe")) << "the product was stopped";
    EXPECT_FALSE(Exists(installedFolder_ + L"\\set.ini")) << "an install was begun";
}

TEST_F(InstalledCopyTest, FailedRemovalOfTheOldCopyIsReportedAndTheInstallerCloses)
{
    PlaceInstalledCopy();
    TestSupport::WriteBytes(CDownloadInstaller::UninstallerCopyPath() + L".script", "out State=Fail\\r\\n\n");
    Start({AddressSwitch(ServePackage(kQuickAddress))});
    std::optional<TopWindow> asked = WaitForPrompt(L"InstalledPathTipWnd");
    ASSERT_TRUE(asked);
    Answer(*asked, kInstalledCopySkin, L"okBtn");

    std::optional<TopWindow> failed = WaitForPrompt(L"MessageBox1Wnd");
    ASSERT_TRUE(failed);
    EXPECT_TRUE(PromptShows(*failed, kNoticeSkin, kProductRunningText, kWarmCaption));
    Answer(*failed, kNoticeSkin, L"closebtn");
    EXPECT_EQ(0u, ExitCode()) << "an installed copy was found: the installer closes";
    EXPECT_TRUE(Exists(installedFolder_ + L"\\lumora.exe")) << "the old copy is gone";
    EXPECT_FALSE(Exists(installedFolder_ + L"\\set.ini")) << "the install went on";
}

TEST_F(InstallerWindowTest, ProductRunningWhenTheInstallIsAskedForEndsTheInstaller)
{
    const std::wstring elsewhere = std::wstring(kCustomRoot) + L"\\Lumora";
    ASSERT_TRUE(::CreateDirectoryW(kCustomRoot, nullptr));
    ASSERT_NE(0u, StartProduct(elsewhere));
    Start({AddressSwitch(ServePackage(kQuickAddress))});
    ASSERT_TRUE(WaitForPage(kStartPage, L"", kStartMs)) << "no installed copy: no question at start-up";
    ClickMain(kStartPage, L"defaultInstallBtn");
    std::optional<TopWindow> running = WaitForPrompt(L"MessageBox1Wnd");
    ASSERT_TRUE(running);
    EXPECT_TRUE(PromptShows(*running, kNoticeSkin, kProductRunningText, kWarmCaption));
    Answer(*running, kNoticeSkin, L"closebtn");
    EXPECT_EQ(0u, ExitCode());
    EXPECT_FALSE(Exists(defaultFolder_)) << "the install went on";
}

// ---- one installer at a time, and closing ----------------------------------------------

TEST_F(InstallerWindowTest, SecondInstanceEndsWithoutAWindowAndANewStartWorksAfterTheFirst)
{
    Start({AddressSwitch(ServePackage(kQuickAddress))});
    ASSERT_TRUE(WaitForPage(kStartPage, L"", kStartMs));

    InstallerProcess second(InstallerProcess::Options{{AddressSwitch(ServePackage(kQuickAddress))}, L"", false});
    ASSERT_TRUE(second.Started());
    bool showedWindow = false;
    WaitUntil(
        [&] {
            showedWindow = showedWindow || !second.Windows().empty();
            return !second.Running();
        },
        kExitMs);
    std::optional<DWORD> code = second.WaitForExit(0);
    ASSERT_TRUE(code) << "the second installer is still running";
    EXPECT_EQ(0xFFFFFFFFu, *code) << "exit code -1";
    EXPECT_FALSE(showedWindow);
    EXPECT_TRUE(Main()) << "the first installer went away";

    // Alt+F4 on the start page closes without a question.
    PressAltF4();
    EXPECT_EQ(0u, ExitCode());

    Start({AddressSwitch(ServePackage(kQuickAddress))});
    ASSERT_TRUE(WaitForPage(kStartPage, L"", kStartMs)) << "no start after the first installer had closed";
    CloseFromStartPage();
}

TEST_F(InstallerWindowTest, CloseRulesOfEachPage)
{
    // A package that takes its time, so the progress page stays up a while.
    Start({AddressSwitch(ServePackage(kQuickAddress))},
          std::string("sleep 2500\n") + kSucceedingScript);
    ASSERT_TRUE(WaitForPage(kStartPage, L"", kStartMs));

    ClickMain(kStartPage, L"closebtn");
    std::optional<TopWindow> asked = WaitForPrompt(L"ExitTipWnd", L"prompt-exit");
    ASSERT_TRUE(asked);
    Answer(*asked, kExitSkin, L"cancelBtn");  // "否"
    ASSERT_TRUE(WaitForPage(kStartPage)) << "\"否\" did not keep the window";
    ClickMain(kStartPage, L"closebtn");
    asked = WaitForPrompt(L"ExitTipWnd");
    ASSERT_TRUE(asked);
    Answer(*asked, kExitSkin, L"closebtn");
    ASSERT_TRUE(WaitForPage(kStartPage)) << "closing the question closed the window";

    // A careless user during the install: the hidden title buttons, the
    // place of the install button, Alt+F4.
    ClickMain(kStartPage, L"defaultInstallBtn");
    ASSERT_TRUE(WaitForPage(kProgressPage));
    HWND main = Main();
    ClickInWindow(main, MainSkinPictures::Get().Centre(kStartPage, L"closebtn"));
    ClickInWindow(main, MainSkinPictures::Get().Centre(kStartPage, L"minbtn"));
    ClickInWindow(main, MainSkinPictures::Get().Centre(kStartPage, L"defaultInstallBtn"));
    PressAltF4();
    EXPECT_FALSE(WaitUntil([main] { return !::IsWindowVisible(main); }, 1000)) << "closed during the install";
    EXPECT_TRUE(WaitForPage(kProgressPage)) << "the install page went away";
    EXPECT_FALSE(installer_->Prompt()) << "a question during the install";

    ASSERT_TRUE(WaitForPage(kFinishPage));
    ExpectInstalledInto(defaultFolder_);
    PressAltF4();  // on the finish page: closes at once
    EXPECT_EQ(0u, ExitCode());
}

TEST_F(InstallerWindowTest, DoubleClickWhileTheNetworkIsCheckedStartsOneAttemptWithAWayBack)
{
    // The second click comes before the first one's check has answered.
    Start({AddressSwitch(UnreachablePackageAddress()), L"-ischecknet=true"});
    ASSERT_TRUE(WaitForPage(kStartPage, L"", kStartMs));
    RECT box = WindowBox(Main());
    POINT button = MainSkinPictures::Get().Centre(kStartPage, L"defaultInstallBtn");
    TestSupport::DoubleClickAt(POINT{box.left + button.x, box.top + button.y});

    std::optional<TopWindow> network = WaitForPrompt(L"NetworkTipWnd");
    ASSERT_TRUE(network);
    Answer(*network, kNetworkSkin, L"cancelBtn");
    ASSERT_TRUE(WaitForPage(kStartPage)) << "no way back from the progress page";
    EXPECT_FALSE(installer_->Prompt()) << "a second attempt failed as well";
    CloseFromStartPage();
}

// ---- the network check ------------------------------------------------------------

TEST_F(InstallerWindowTest, NetworkCheckRunsOnItsWorkerBeforeTheInstallOnlyWhenAskedFor)
{
    // The diagnostic log, read as the program's debugger, with the namings of
    // its threads: what ran before the sequencer's start ("DL_TYPE=") and on
    // which thread.
    for (bool check : {false, true}) {
        SCOPED_TRACE(check ? "-ischecknet=true" : "no check");
        installer_.reset();
        CleanMachine();
        std::vector<std::wstring> switches = {AddressSwitch(ServePackage(kQuickAddress))};
        if (check) switches.push_back(L"-ischecknet=true");
        Start(switches, kSucceedingScript, true);
        ASSERT_TRUE(WaitForPage(kStartPage, L"", kStartMs));
        DWORD uiThread = installer_->UiThreadId();
        ClickMain(kStartPage, L"defaultInstallBtn");
        ASSERT_TRUE(WaitForPage(kFinishPage));
        ClickMain(kFinishPage, L"closebtn");
        EXPECT_EQ(0u, ExitCode());

        std::vector<LogLine> log = installer_->Log();
        size_t sequencerStart = 0;
        while (sequencerStart < log.size() && log[sequencerStart].text.find("DL_TYPE=") == std::string::npos) {
            ++sequencerStart;
        }
        ASSERT_LT(sequencerStart, log.size()) << "the diagnostic log was not read";
        // Workers named before the sequencer started, and whether each also ended before it.
        std::map<DWORD, std::string> early;
        std::set<DWORD> endedEarly;
        for (size_t i = 0; i < sequencerStart; ++i) {
            if (!log[i].threadName.empty()) early[log[i].threadId] = log[i].threadName;
            if (log[i].text.find("THREAD END") != std::string::npos) endedEarly.insert(log[i].threadId);
        }
        if (!check) {
            EXPECT_TRUE(early.empty()) << "a worker ran before the install without a check asked for";
            continue;
        }
        ASSERT_EQ(1u, early.size()) << "one worker for the check";
        EXPECT_EQ("ABDEF", early.begin()->second);
        EXPECT_NE(uiThread, early.begin()->first) << "the check ran on the window's thread";
        EXPECT_EQ(1u, endedEarly.count(early.begin()->first)) << "the install began before the check had ended";
    }
}

TEST_F(InstallerWindowTest, PackageMessageStaysUpWhileTheInstallFinishesUnderneath)
{
    std::string script = kSucceedingScript;
    script.insert(script.find("out State=Success"),
                  "out Encode=UTF8\\r\\n\nout Message=安装完成后请重新启动电脑\\r\\n\n");
    Start({AddressSwitch(ServePackage(kQuickAddress))}, script);
    ASSERT_TRUE(WaitForPage(kStartPage, L"", kStartMs));
    ClickMain(kStartPage, L"defaultInstallBtn");

    std::optional<TopWindow> message = WaitForPrompt(L"MessageBox1Wnd", L"prompt-package-message");
    ASSERT_TRUE(message);
    EXPECT_TRUE(PromptShows(*message, kNoticeSkin, L"安装完成后请重新启动电脑", kMessageCaption));
    // The reports after it are taken while the prompt is up.
    EXPECT_TRUE(WaitUntil([] { return !RecordValue(L"InstallPath").empty(); }, kStepMs)) << "the install waited";
    Answer(*message, kNoticeSkin, L"closebtn");
    ASSERT_TRUE(WaitForPage(kFinishPage));
    ExpectInstalledInto(defaultFolder_);
    ClickMain(kFinishPage, L"closebtn");
    EXPECT_EQ(0u, ExitCode());
}

// ---- what the package asks for at the end --------------------------------------------

struct EndCase {
    const char* name;
    const char* extraLines;   // before the package's final state
    bool productAtSuccess;    // started when the finish page comes
    bool closesByItself;
    bool clickOpen;           // then "openProduceBtn"
    bool productAfterClick;
};

class PackageEnding : public InstallerWindowTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(PackageEnding, StartStyleAndCloseDelayAreFollowed)
{
    const EndCase& c = GetParam();
    std::string script = kSucceedingScript;
    script.insert(script.find("out State=Success"), c.extraLines);
    Start({AddressSwitch(ServePackage(kQuickAddress))}, script);
    ASSERT_TRUE(WaitForPage(kStartPage, L"", kStartMs));
    ClickMain(kStartPage, L"defaultInstallBtn");
    ASSERT_TRUE(WaitForPage(kFinishPage));
    const std::wstring product = defaultFolder_ + L"\\lumora.exe";
    EXPECT_EQ(c.productAtSuccess, ProductStarted(product, c.productAtSuccess));

    if (c.closesByItself) {
        // About two seconds; the bound only has to tell "by itself" from "never".
        EXPECT_EQ(0u, ExitCode(15000)) << "the window did not close by itself";
    } else if (c.clickOpen) {
        ClickMain(kFinishPage, L"openProduceBtn");
        EXPECT_EQ(0u, ExitCode());
        EXPECT_EQ(c.productAfterClick, ProductStarted(product, c.productAfterClick));
    } else {
        EXPECT_TRUE(Main()) << "the window closed by itself";
        if (c.productAtSuccess) WaitForProductWindowToSettle();
        ClickMain(kFinishPage, L"closebtn");
        EXPECT_EQ(0u, ExitCode());
    }
    ExpectInstalledInto(defaultFolder_);
}

INSTANTIATE_TEST_SUITE_P(
    Package, PackageEnding,
    ::testing::Values(EndCase{"CloseDelay", "out FinsihCloseDetention=2000\\r\\n\n", false, true, false, false},
                      EndCase{"AutoStartup", "out StartupStyle=AutoStartup\\r\\n\n", true, false, false, false},
                      EndCase{"UserStartup", "out StartupStyle=UserStartup\\r\\n\n", false, false, true, true},
                      EndCase{"NonStartup", "out StartupStyle=NonStartup\\r\\n\n", false, false, true, false}),
    [](const ::testing::TestParamInfo<EndCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace InstallerTest
