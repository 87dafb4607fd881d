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
        for (const std::wstring& folder : ProductFolders()) TestSupport::RemoveTree(folder);
        TestSupport::RemoveTree(kCustomRoot);
        TestSupport::RemoveTree(AnalyticsFolder());
        std::wstring uninstallerCopy = CDownloadInstaller::UninstallerCopyPath();
        for (const wchar_t* suffix : {L"", L".script", L".cmdline", L".pid"}) ::DeleteFileW((uninstallerCopy + suffix).c_str());
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

    // The pointer crosses a control on its way elsewhere, as a hand moving
    // the mouse does. A control hidden while under the pointer (the custom
    // install link once it was clicked) keeps its hover look until then.
    void PassPointerOver(int page, const std::wstring& control)
    {
        RECT box = WindowBox(Main());
        POINT at = MainSkinPictures::Get().Centre(page, control);
        TestSupport::MoveMouseTo(POINT{box.left + at.x, box.top + at.y});
        ParkPointer();
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
        ASSERT_TRUE(WaitUntil([main] { return ::GetForegroundWindow() == main; }, 5000)) << "the window is not in front";
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

TEST_F(InstallerWindowTest, CustomPageInstallsIntoTheTypedFolderWithTheChosenShortcuts)
{
    Start({AddressSwitch(ServePackage(kQuickAddress))});
    ASSERT_TRUE(WaitForPage(kStartPage, L"", kStartMs));
    ClickMain(kStartPage, L"customeBtn");
    ASSERT_TRUE(WaitForPage(kCustomPage, L"page1-custom"));
    ClickMain(kCustomPage, L"backBtn");
    PassPointerOver(kStartPage, L"customeBtn");
    ASSERT_TRUE(WaitForPage(kStartPage)) << "the back button did not return to the start page";
    ClickMain(kStartPage, L"customeBtn");
    PassPointerOver(kCustomPage, L"backBtn");
    ASSERT_TRUE(WaitForPage(kCustomPage));

    // The edit box selects its text when it takes the focus; typing replaces it.
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
    PassPointerOver(kStartPage, L"customeBtn");
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

}  // namespace
}  // namespace InstallerTest
