#include "MainWnd.h"

#include "Languages.h"
#include "MessageBoxWnd.h"
#include "ProgressText.h"
#include "SkinNames.h"
#include "WindowStyle.h"
#include "StatusReaction.h"
#include "DuiLib/ComboUI.h"
#include "DuiLib/ControlUI.h"
#include "DuiLib/LabelUI.h"
#include "DuiLib/OptionUI.h"
#include "DuiLib/ProgressUI.h"
#include "DuiLib/ResourceState.h"
#include "DuiLib/SequenceControls.h"
#include "DuiLib/SequenceLabelUI.h"
#include "DuiLib/TabLayoutUI.h"
#include "Utils/NetworkCheck.h"
#include "Utils/Thread.h"
#include "app/DiagnosticLog.h"
#include "install/AnalyticsSettings.h"
#include "install/InstallRecords.h"
#include "install/InstallRecordsPaths.h"

#include <mmsystem.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

using namespace DuiLib;
using namespace SkinNames;

namespace {

const wchar_t kProductDisplayName[] = L"Lumora";
// The licence link of the start page (hidden in the shipped skin): the
// vendor's licence page for the product, over https.
const wchar_t kLicenceUrl[] = L"https://www.norvosoft.com/lumora/license.html";
const wchar_t kFailedBarImage[] = L"res\\mainWnd\\installPrg3.png";
const wchar_t kSequenceLabelClass[] = L"SequenceLabel";
const UINT kSequenceTimer = 2100;
const DWORD kPumpMilliseconds = 100;

const wchar_t* const kPageBackgrounds[] = {L"res\\mainWnd\\bg1.png", L"res\\mainWnd\\bg2.png",
                                           L"res\\mainWnd\\bg3.png", L"res\\mainWnd\\bg4.png"};

template <typename Control>
Control* Find(PaintManager& manager, const wchar_t* name)
{
    return dynamic_cast<Control*>(manager.FindControl(name));
}

void SetVisible(CControlUI* control, bool visible)
{
    if (control) control->SetVisible(visible);
}

void SetEnabled(CControlUI* control, bool enabled)
{
    if (control) control->SetEnabled(enabled);
}

bool IsTicked(const COptionUI* box) { return box && box->IsSelected(); }

CSequenceLabelUI* AsSequenceLabel(CControlUI* control)
{
    if (!control || control->GetClass() != kSequenceLabelClass) return nullptr;
    return static_cast<CSequenceLabelUI*>(control);
}

// Only web addresses are opened for the package: it names a page to show,
// never a program to run.
bool IsWebAddress(const std::wstring& address)
{
    return ::StrCmpNIW(address.c_str(), L"https://", 8) == 0 || ::StrCmpNIW(address.c_str(), L"http://", 7) == 0;
}

void ShellOpen(const std::wstring& target, const wchar_t* folder, int show)
{
    ::ShellExecuteW(nullptr, L"open", target.c_str(), nullptr, folder, show);
}

}  // namespace

CMainWnd::CMainWnd(const MainWindowSettings& settings, const AttemptHost& host)
    : CDuiFrame(FrameSkinSpec::InArchiveResource(kSkinArchiveId, kMainSkin)),
      settings_(settings),
      host_(host),
      language_(settings.language),
      progress_(settings.downloadScale)
{
}

CMainWnd::~CMainWnd()
{
    DestroyNativeWindow();
    statusTarget_ = nullptr;
    sequencer_.reset();           // joins its stage workers; their late reports are not posted
    networkCheckWorker_.reset();  // joins the check
    DiscardQueuedInstallStatus(nullptr);
}

// ---------------------------------------------------------------- start-up

void CMainWnd::OnSkinLoaded()
{
    CDuiFrame::OnSkinLoaded();
    ApplyInstallerWindowStyle(GetHWND());
    SetIcon(kIconId);

    FindControls();
    ApplyStartLanguage();
    FitProductNameLabels();

    statusTarget_ = GetHWND();
    sequencer_ = std::make_unique<CDownloadInstaller>(
        [this](int32_t code, double progress, const wchar_t* text) {
            PostInstallStatus(statusTarget_.load(), code, progress, text);
        },
        settings_.sequencer);

    registered_ = ReadInstallRecords();
    installedCopyPresent_ =
        !registered_.installPath.empty() && ::PathFileExistsW(registered_.installPath.c_str());
    if (installDirEdit_) installDirEdit_->SetText(DefaultFolder());
    CenterWindow();
    if (installedCopyPresent_) AskAboutInstalledCopy();
}

void CMainWnd::FindControls()
{
    PaintManager& m = GetPaintManager();
    winCtn_ = m.FindControl(L"winCtn");
    titleTabLt_ = Find<CTabLayoutUI>(m, L"titleTabLt");
    mainTabLt_ = Find<CTabLayoutUI>(m, L"mainTabLt");
    defaultInstallBtn_ = m.FindControl(L"defaultInstallBtn");
    customeBtn_ = m.FindControl(L"customeBtn");
    tipLbl_ = m.FindControl(L"tipLbl");
    treatyCb_ = Find<COptionUI>(m, L"treatyCb");
    treatyBtn_ = Find<COptionUI>(m, L"treatyBtn");
    serviceCb_ = Find<COptionUI>(m, L"serviceCb");
    installDirEdit_ = m.FindControl(L"installDirEdit");
    chDirBtn_ = m.FindControl(L"chDirBtn");
    createDSCb_ = Find<COptionUI>(m, L"createDSCb");
    createQSCb_ = Find<COptionUI>(m, L"createQSCb");
    customeInstallBtn_ = m.FindControl(L"customeInstallBtn");
    backBtn_ = m.FindControl(L"backBtn");
    progressAnLb_ = m.FindControl(L"progressAnLb");
    progressLb_ = m.FindControl(L"progressLb");
    installPrg_ = Find<CProgressUI>(m, L"installPrg");
    openProduceBtn_ = m.FindControl(L"openProduceBtn");
    titleGrpCtn_ = m.FindControl(L"titleGrpCtn");
    softNameLbl_ = m.FindControl(L"softNameLbl");
    installLogo_ = m.FindControl(L"installLogo");
    finishedLbl_ = m.FindControl(L"finishedLbl");
    languageCombo_ = m.FindControl(L"languageCombo");
}

void CMainWnd::ApplyStartLanguage()
{
    auto* combo = dynamic_cast<CComboUI*>(languageCombo_);
    if (!combo) return;
    int index = language_ == -1 ? DefaultLanguageIndex() : language_;
    // The selector reports "itemselect", which applies the language.
    combo->SelectItem(index, false, true);
    language_ = ApplyLanguage(GetPaintManager(), index);
}

void CMainWnd::FitProductNameLabels()
{
    PaintManager& m = GetPaintManager();
    CControlUI* labels[] = {softNameLbl_, m.FindControl(L"bTitleLbl1"), m.FindControl(L"bTitleLbl2"),
                            m.FindControl(L"bTitleLbl3")};
    HDC dc = ::GetDC(GetHWND());
    for (CControlUI* control : labels) {
        auto* label = dynamic_cast<CLabelUI*>(control);
        if (!label) continue;
        label->SetFixedWidth(label->MeasureText(dc, kProductDisplayName).cx);
        label->SetText(kProductDisplayName);
    }
    ::ReleaseDC(GetHWND(), dc);
}

void CMainWnd::AskAboutInstalledCopy()
{
    int index = LoadLanguageFromConfig(GetPaintManager(), registered_.installPath);
    if (auto* combo = dynamic_cast<CComboUI*>(languageCombo_)) combo->SelectItem(index, false, true);

    if (!settings_.sequencer.insNew && host_.isRunning(kProductExeName)) {
        PromptProductRunning();
        Close(1);
        return;
    }
    if (settings_.sequencer.insNew) {
        BeginInstall(registered_.installPath, true, true);
        return;
    }
    switch (Prompt(kInstalledCopySkin)) {
    case PromptOk:  // "安装最新版本"
        BeginInstall(registered_.installPath, true, true);
        break;
    case PromptCancel:  // "打开软件"
        productExePath_ = registered_.installPath + L"\\" + kProductExeName;
        ShellOpen(productExePath_, registered_.installPath.c_str(), SW_SHOWNORMAL);
        Close(1);
        break;
    default:  // the prompt's own close button
        Close(1);
        break;
    }
}

// ---------------------------------------------------- clicks and notifications

const NotifyMap& CMainWnd::MessageMap() const
{
    static const NotifyMap map = {
        {L"click", L"", static_cast<NotifyHandler>(&WindowImplBase::OnClick)},
    };
    return map;
}

void CMainWnd::OnClick(NotifyMessage& msg)
{
    CControlUI* sender = msg.sender;
    if (!sender) return;
    if (sender == defaultInstallBtn_) {
        if (IsTicked(treatyCb_)) {
            BeginInstall(DefaultFolder(), true, true);
        } else {
            SetVisible(tipLbl_, true);
        }
    } else if (sender == customeBtn_) {
        SelectMainPage(kCustomPage);
        if (customeInstallBtn_) customeInstallBtn_->SetFocus();
    } else if (sender == treatyBtn_) {
        OpenLicence();
    } else if (sender == backBtn_) {
        SelectMainPage(kStartPage);
    } else if (sender == chDirBtn_) {
        BrowseForFolder();
    } else if (sender == customeInstallBtn_) {
        BeginInstall(EditFolder(), IsTicked(createDSCb_), IsTicked(createQSCb_));
    } else if (sender == openProduceBtn_) {
        if (startupStyle_ == 2) OpenProduct();
        Close(1);
    } else if (sender->GetName() == L"closebtn") {
        if (MainPage() == kFinishPage || Prompt(kExitSkin) == PromptOk) Close(1);
    } else {
        CDuiFrame::OnClick(msg);
    }
}

void CMainWnd::Notify(NotifyMessage& msg)
{
    CControlUI* root = GetPaintManager().GetRoot();
    if (msg.type == L"selectchanged") {
        OnSelectChanged(msg);
    } else if (msg.type == L"tabselect") {
        DressPage();
    } else if (msg.type == kCheckNetNotify && msg.sender == root) {
        OnNetworkChecked(msg.wParam);
    } else if (msg.type == kInstallNotify && msg.sender == root) {
        StartSequence(msg.wParam != 0);
    } else if (msg.type == L"timer" && msg.sender == root) {
        OnRootTimer(msg.wParam);
    } else if (msg.type == L"itemselect" && msg.sender && msg.sender == languageCombo_) {
        if (auto* combo = dynamic_cast<CComboUI*>(languageCombo_)) {
            language_ = ApplyLanguage(GetPaintManager(), combo->GetCurSel());
        }
    }
    CDuiFrame::Notify(msg);
}

void CMainWnd::OnSelectChanged(NotifyMessage& msg)
{
    if (msg.sender == treatyCb_ || msg.sender == treatyBtn_) {
        // The link box always follows the consent box.
        if (treatyBtn_ && treatyCb_ && treatyBtn_->IsSelected() != treatyCb_->IsSelected()) {
            treatyBtn_->Selected(treatyCb_->IsSelected(), true);
        }
        if (msg.sender != treatyCb_) return;
        bool consent = IsTicked(treatyCb_) && (!serviceCb_ || serviceCb_->IsSelected());
        SetEnabled(customeBtn_, consent);
        if (consent) SetVisible(tipLbl_, false);
    } else if (msg.sender == serviceCb_) {
        bool service = IsTicked(serviceCb_);
        SetEnabled(customeBtn_, service && IsTicked(treatyCb_));
        SetEnabled(defaultInstallBtn_, service);
    }
}

void CMainWnd::OnRootTimer(WPARAM timerId)
{
    CControlUI* root = GetPaintManager().GetRoot();
    if (timerId == kBringForwardTimer) {
        ::SetForegroundWindow(GetHWND());
        GetPaintManager().KillTimer(root, kBringForwardTimer);
    } else if (timerId == kCloseTimer) {
        Close(1);
        GetPaintManager().KillTimer(root, kCloseTimer);
    }
}

std::unique_ptr<CControlUI> CMainWnd::CreateControl(const std::wstring& elementName)
{
    return CreateSequenceControl(elementName);
}

void CMainWnd::BrowseForFolder()
{
    // The new-style dialog needs COM on this thread.
    HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t displayName[MAX_PATH] = {};
    BROWSEINFOW info = {};
    info.hwndOwner = GetHWND();
    info.pszDisplayName = displayName;
    info.lpszTitle = kBrowseTitle;
    info.ulFlags = BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
    if (chosen) {
        wchar_t path[MAX_PATH] = {};
        if (::SHGetPathFromIDListW(chosen, path) && installDirEdit_) installDirEdit_->SetText(path);
        ::CoTaskMemFree(chosen);
    }
    if (SUCCEEDED(com)) ::CoUninitialize();
}

void CMainWnd::OpenLicence() { ShellOpen(kLicenceUrl, nullptr, SW_SHOWMAXIMIZED); }

// ------------------------------------------------------- starting an install

bool CMainWnd::BeginInstall(const std::wstring& folder, bool desktopShortcut, bool quickLaunchShortcut)
{
    // A double click while the network is checked would queue a second start;
    // it would remember the progress page as the page to return to and leave
    // no way back from it after a failure.
    if (attemptQueued_) return false;
    AttemptVerdict verdict = CheckInstallAttempt(folder, settings_.sequencer.insNew, host_);
    if (verdict == AttemptVerdict::UninstallerCopyRunning || verdict == AttemptVerdict::ProductRunning) {
        PromptProductRunning();
        if (verdict == AttemptVerdict::ProductRunning || installedCopyPresent_) Close(1);
        return false;
    }
    SetEnabled(customeInstallBtn_, false);  // until the start is queued or refused
    if (verdict == AttemptVerdict::InvalidFolder || verdict == AttemptVerdict::LowDiskSpace) {
        std::wstring text = verdict == AttemptVerdict::InvalidFolder ? kInvalidFolderText : LowDiskSpaceText();
        std::wstring caption = kWarmCaption;
        Prompt(kErrorSkin, &text, &caption);
        QueueInstallNotify(false, false);
        return false;
    }

    installDir_ = folder;
    InstallAttempt attempt;
    attempt.downloadUrl = settings_.downloadUrl;
    attempt.registeredInstallPath = registered_.installPath;
    attempt.oldUninstallerPath =
        IsOverrideDisabled(folder, registered_.installPath) ? std::wstring() : registered_.uninstallerPath;
    attempt.installDir = folder;
    attempt.desktopShortcut = desktopShortcut;
    attempt.quickLaunchShortcut = quickLaunchShortcut;
    attempt.consoleUserIsAdmin = hostFacts_.consoleUserIsAdmin;
    attempt.processIsAdmin = hostFacts_.processIsAdmin;
    attempt.language = PackageLanguageCode(GetPaintManager());
    sequencer_->Init(attempt);
    attemptQueued_ = true;

    if (!settings_.isCheckNet) {
        QueueInstallNotify(true, true);
        return true;
    }
    networkCheckWorker_.reset();  // joins an earlier check
    networkCheckWorker_ = std::make_unique<Utils::Thread>(
        [this](void*) { return RunNetworkCheck(); }, nullptr, L"ABDEF");
    if (!networkCheckWorker_->Resume()) {
        // Without a check the attempt goes on: the download shows soon enough
        // whether the network serves.
        LogLine(L"network check could not start; installing without it");
        QueueInstallNotify(true, true);
    }
    return true;
}

void CMainWnd::QueueInstallNotify(bool proceed, bool async)
{
    GetPaintManager().SendNotify(GetPaintManager().GetRoot(), kInstallNotify, proceed ? 1 : 0, 0, async);
}

uint32_t CMainWnd::RunNetworkCheck()
{
    HRESULT com = ::CoInitialize(nullptr);
    uint32_t result = Utils::CheckNetwork();
    GetPaintManager().SendNotify(GetPaintManager().GetRoot(), kCheckNetNotify, result, 0, true);
    if (SUCCEEDED(com)) ::CoUninitialize();
    return 0;
}

void CMainWnd::OnNetworkChecked(WPARAM result)
{
    bool usable = HIWORD(result) == 0;
    if (!usable) {
        std::wstring text = kPoorNetworkText;
        std::wstring caption = kWarmCaption;
        Prompt(kErrorSkin, &text, &caption);
    }
    QueueInstallNotify(usable, false);
}

void CMainWnd::StartSequence(bool proceed)
{
    attemptQueued_ = false;
    if (proceed) {
        startPage_ = MainPage();
        SelectMainPage(kProgressPage);
        sequencer_->Start();
    }
    SetEnabled(customeInstallBtn_, true);
}

// ------------------------------------------------------------ status reports

LRESULT CMainWnd::OnOtherMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled)
{
    if (msg == WM_TIMER) {
        OnTimerMessage(msg, wParam, lParam);
    } else if (msg == kInstallStatusMessage) {
        OnInstallStatus(TakeInstallStatus(lParam));
        LRESULT result = CDuiFrame::OnOtherMessage(msg, wParam, lParam, handled);
        handled = true;
        return result;
    }
    return CDuiFrame::OnOtherMessage(msg, wParam, lParam, handled);
}

LRESULT CMainWnd::OnTimerMessage(UINT, WPARAM, LPARAM) { return 0; }

LRESULT CMainWnd::OnInstallStatus(std::unique_ptr<InstallStatusRecord> record)
{
    if (!record) return 0;
    const InstallStatusRecord& r = *record;
    switch (ReactionFor(r.code)) {
    case StatusReaction::StartDownloadClock:
        downloadStart_ = ::GetTickCount();
        downloadClockRunning_ = true;
        break;
    case StatusReaction::ShowDownloadProgress: ShowProgress(progress_.DownloadPercent(r.progress)); break;
    case StatusReaction::DownloadFailed: OnDownloadFailed(); break;
    case StatusReaction::WriteAnalytics: WriteAnalyticsSettings(installDir_); break;
    case StatusReaction::ShowInstallProgress: ShowProgress(progress_.InstallPercent(r.progress)); break;
    case StatusReaction::InstallSucceeded: OnInstallSucceeded(); break;
    case StatusReaction::InstallFailed: OnInstallFailed(r.text); break;
    case StatusReaction::RememberInstallDir: installDir_ = r.text; break;
    // Packages end their lines with CR LF, and the CR stays on the report; a
    // path or address that keeps it names nothing that could be opened.
    case StatusReaction::RememberProductExe: productExePath_ = RecordPaths::StripLineEnd(r.text); break;
    case StatusReaction::RememberUninstallEntry: newUninstallerEntry_ = r.text; break;
    case StatusReaction::RememberStartUrl: startUrl_ = RecordPaths::StripLineEnd(r.text); break;
    case StatusReaction::RememberStartupStyle: startupStyle_ = StartupStyleFrom(r.progress); break;
    case StatusReaction::RememberTopShowDelay: topShowDelay_ = DelayFrom(r.progress, topShowDelay_); break;
    case StatusReaction::RememberCloseDelay: finishCloseDelay_ = DelayFrom(r.progress, finishCloseDelay_); break;
    case StatusReaction::ShowPackageMessage: {
        std::wstring caption = kMessageCaption;
        Prompt(kNoticeSkin, &r.text, &caption);
        break;
    }
    case StatusReaction::UninstallFailed: OnUninstallFailed(); break;
    case StatusReaction::None: break;
    }
    return 0;
}

void CMainWnd::ShowProgress(int percent)
{
    if (progressLb_) {
        double seconds = (::GetTickCount() - downloadStart_) / 1000.0;
        progressLb_->SetText(ProgressText(progressLb_->GetUserData(), percent, downloadClockRunning_, seconds));
    }
    if (installPrg_) installPrg_->SetValue(percent);
}

void CMainWnd::OnDownloadFailed()
{
    DownloadFailureFollowUp next = AfterNetworkPrompt(Prompt(kNetworkSkin), installedCopyPresent_);
    if (!::IsWindow(GetHWND())) return;
    if (next.closeWindow) Close(1);
    int page = startPage_;
    if (next.retry) {
        if (page == kStartPage) {
            BeginInstall(DefaultFolder(), true, true);
        } else if (page == kCustomPage) {
            BeginInstall(EditFolder(), IsTicked(createDSCb_), IsTicked(createQSCb_));
        }
    }
    SelectMainPage(page);
}

void CMainWnd::OnInstallFailed(const std::wstring& text)
{
    std::wstring message = InstallFailureText(text);
    std::wstring caption = kWarmCaption;
    Prompt(kErrorSkin, &message, &caption);
    if (!::IsWindow(GetHWND())) return;
    if (installPrg_ && ResetsBarAfterInstallFailure(installPrg_->GetValue())) {
        if (progressLb_) progressLb_->SetText(L"正在安装中:0%，请稍候...");
        installPrg_->SetValue(0);
    }
    SelectMainPage(kStartPage);
}

void CMainWnd::OnUninstallFailed()
{
    PromptProductRunning();
    if (!::IsWindow(GetHWND())) return;
    SelectMainPage(startPage_);
    if (installedCopyPresent_) Close(1);
}

// ------------------------------------------------------ the end of an install

void CMainWnd::OnInstallSucceeded()
{
    if (installPrg_) {
        installPrg_->SetValue(100);
        std::wstring failedBar = GetResourcePath() + kFailedBarImage;
        if (::PathFileExistsW(failedBar.c_str())) {
            installPrg_->SetForeImage(kFailedBarImage);
            installPrg_->Invalidate();
        }
    }
    if (softNameLbl_) {
        softNameLbl_->SetText(kProductDisplayName);
        softNameLbl_->SetVisible(true);
    }
    SelectMainPage(kFinishPage);
    FinishInstall();
}

void CMainWnd::FinishInstall()
{
    WriteInstallRecords(installDir_, newUninstallerEntry_);
    WriteAnalyticsSettings(installDir_);
    if (startupStyle_ == 1) OpenProduct();
    PaintManager& m = GetPaintManager();
    if (topShowDelay_ != 0) m.SetTimer(m.GetRoot(), kBringForwardTimer, topShowDelay_);
    if (finishCloseDelay_ != 0) m.SetTimer(m.GetRoot(), kCloseTimer, finishCloseDelay_);
}

void CMainWnd::OpenProduct()
{
    if (startUrl_.size() > 5 && IsWebAddress(startUrl_)) ShellOpen(startUrl_, nullptr, SW_SHOWMAXIMIZED);
    if (!productExePath_.empty() && ::PathFileExistsW(productExePath_.c_str())) {
        PumpMessages();
        ShellOpen(productExePath_, nullptr, SW_SHOWNORMAL);
    }
}

void CMainWnd::PumpMessages()
{
    // Lets the window repaint before the product's start takes the screen:
    // up to 100 ms of messages, without waiting longer when none arrive.
    DWORD start = ::timeGetTime();
    for (DWORD spent = 0; spent <= kPumpMilliseconds && ::IsWindow(GetHWND()); spent = ::timeGetTime() - start) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, kPumpMilliseconds - spent, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
}

// ------------------------------------------------------------------- pages

int CMainWnd::MainPage() const { return mainTabLt_ ? mainTabLt_->GetCurSel() : kStartPage; }

void CMainWnd::SelectMainPage(int page)
{
    if (mainTabLt_) mainTabLt_->SelectItem(page, true);
}

void CMainWnd::DressPage()
{
    int page = MainPage();
    bool known = page >= kStartPage && page <= kFinishPage;
    if (winCtn_) {
        winCtn_->SetBkImage(kPageBackgrounds[known ? page : 0]);
        winCtn_->Invalidate();
    }
    if (titleTabLt_) {
        if (page == kStartPage || page == kCustomPage) titleTabLt_->SelectItem(1, true);
        if (page == kFinishPage) titleTabLt_->SelectItem(2, true);
        if (!known) titleTabLt_->SelectItem(0, true);
    }
    if (page == kProgressPage) {
        if (CSequenceLabelUI* animation = AsSequenceLabel(progressAnLb_)) animation->Start();
    } else if (page == kFinishPage) {
        if (AsSequenceLabel(progressAnLb_)) GetPaintManager().KillTimer(progressAnLb_, kSequenceTimer);
        if (CSequenceLabelUI* finish = AsSequenceLabel(finishedLbl_)) finish->Start();
    }
    SetVisible(titleGrpCtn_, page != kProgressPage);
    SetVisible(installLogo_, page == kProgressPage);
    SetVisible(backBtn_, page == kCustomPage);
}

// ----------------------------------------------------------------- closing

LRESULT CMainWnd::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    // No closing while an install runs; the title buttons are hidden then too.
    if (msg == WM_CLOSE && MainPage() == kProgressPage) return 0;
    if (msg == WM_DESTROY) statusTarget_ = nullptr;
    return CDuiFrame::HandleMessage(msg, wParam, lParam);
}

LRESULT CMainWnd::OnSysCommand(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled)
{
    if ((wParam & 0xFFF0) == SC_CLOSE) {
        ::SendMessageW(GetHWND(), WM_CLOSE, 0, 0);
        handled = true;
        return 0;
    }
    bool wasZoomed = ::IsZoomed(GetHWND()) != FALSE;
    LRESULT result = CDuiFrame::OnSysCommand(msg, wParam, lParam, handled);
    if (wasZoomed != (::IsZoomed(GetHWND()) != FALSE)) {
        PaintManager& m = GetPaintManager();
        SetVisible(m.FindControl(L"maxbtn"), wasZoomed);
        SetVisible(m.FindControl(L"restorebtn"), !wasZoomed);
    }
    return result;
}

// ------------------------------------------------------- prompts and folders

int CMainWnd::Prompt(const std::wstring& skinFile, const std::wstring* text, const std::wstring* caption)
{
    std::optional<std::wstring> promptText, promptCaption;
    if (text) promptText = *text;
    if (caption) promptCaption = *caption;
    return ShowPrompt(GetHWND(), PromptSkinSpec(skinFile), promptText, promptCaption);
}

void CMainWnd::PromptProductRunning()
{
    std::wstring text = kProductRunningText;
    std::wstring caption = kWarmCaption;
    Prompt(kNoticeSkin, &text, &caption);
}

std::wstring CMainWnd::DefaultFolder() { return DefaultInstallDir(registered_, hostFacts_); }

std::wstring CMainWnd::EditFolder()
{
    return ChosenInstallDir(installDirEdit_ ? installDirEdit_->GetText() : std::wstring(), registered_, hostFacts_);
}
