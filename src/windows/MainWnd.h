#pragma once
// The installer's main window and the controller of the whole run: four pages
// (start, custom install, progress, finish) in one tab layout, the start-up
// questions about an installed copy, the checks of every install attempt, the
// sequencer's reports turned into progress, prompts and the end of the
// install, and the rules for closing.
//
// Sections of MainWnd.cpp: start-up; clicks and notifications; starting an
// install; status reports; the end of an install; pages; closing.

#include "AttemptChecks.h"
#include "InstallProgress.h"
#include "InstallStatusMessage.h"
#include "DuiLib/DuiFrame.h"
#include "install/CDownloadInstaller.h"
#include "install/InstallRecordsFolder.h"
#include "install/SequencerSettings.h"

#include <atomic>
#include <memory>
#include <string>

namespace DuiLib {
class CControlUI;
class CTabLayoutUI;
class COptionUI;
class CProgressUI;
}  // namespace DuiLib
namespace Utils {
class Thread;
}

// What the main window takes from the installer's settings; its owner (the
// entry) fills it in, so the window layer never reads the process-wide record.
struct MainWindowSettings {
    std::wstring downloadUrl;
    bool isCheckNet = false;
    double downloadScale = 0.7;
    int language = -1;  // the language index to start with; -1: the user's default
    SequencerSettings sequencer;
};

class CMainWnd : public DuiLib::CDuiFrame {
public:
    explicit CMainWnd(const MainWindowSettings& settings, const AttemptHost& host = SystemAttemptHost());
    // The window goes first, then the sequencer (joining its stage workers)
    // and the network-check worker; reports still queued are freed.
    ~CMainWnd() override;

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnSkinLoaded() override;
    void OnClick(DuiLib::NotifyMessage& msg) override;
    LRESULT OnSysCommand(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    LRESULT OnOtherMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) override;
    virtual LRESULT OnTimerMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnInstallStatus(std::unique_ptr<InstallStatusRecord> record);

    void Notify(DuiLib::NotifyMessage& msg) override;
    const DuiLib::NotifyMap& MessageMap() const override;
    std::unique_ptr<DuiLib::CControlUI> CreateControl(const std::wstring& elementName) override;

    // Checks an attempt and queues its start; false when it was refused.
    bool BeginInstall(const std::wstring& folder, bool desktopShortcut, bool quickLaunchShortcut);
    void StartSequence(bool proceed);
    // The network-check worker's body.
    uint32_t RunNetworkCheck();

    // The language index applied last (-1 when none was).
    int LanguageIndex() const { return language_; }

private:
    // start-up
    void FindControls();
    void ApplyStartLanguage();
    void FitProductNameLabels();
    void AskAboutInstalledCopy();
    // notifications
    void OnSelectChanged(DuiLib::NotifyMessage& msg);
    void OnNetworkChecked(WPARAM result);
    void OnRootTimer(WPARAM timerId);
    void BrowseForFolder();
    void OpenLicence();
    void QueueInstallNotify(bool proceed, bool async);
    // status reports
    void ShowProgress(int percent);
    void OnDownloadFailed();
    void OnInstallFailed(const std::wstring& text);
    void OnUninstallFailed();
    void OnInstallSucceeded();
    void FinishInstall();
    void OpenProduct();
    void PumpMessages();
    // pages
    void DressPage();
    void SelectMainPage(int page);
    int MainPage() const;
    // prompts over this window
    int Prompt(const std::wstring& skinFile, const std::wstring* text = nullptr, const std::wstring* caption = nullptr);
    void PromptProductRunning();
    std::wstring DefaultFolder();
    std::wstring EditFolder();

    MainWindowSettings settings_;
    AttemptHost host_;
    // The window the status callable posts to, read on stage threads.
    std::atomic<HWND> statusTarget_{nullptr};

    std::unique_ptr<CDownloadInstaller> sequencer_;       // owned
    std::unique_ptr<Utils::Thread> networkCheckWorker_;   // owned; may be null

    RegisteredInstall registered_;
    bool installedCopyPresent_ = false;
    HostAdminFacts hostFacts_;
    std::wstring installDir_;
    std::wstring productExePath_;
    int startPage_ = 0;
    int language_ = -1;
    // From a queued start (or its network check) until "install" is handled.
    bool attemptQueued_ = false;

    // The package's reports and the progress of the current attempt.
    InstallProgress progress_;
    DWORD downloadStart_ = 0;
    bool downloadClockRunning_ = false;
    std::wstring newUninstallerEntry_;
    std::wstring startUrl_;
    int32_t startupStyle_ = 0;
    uint32_t topShowDelay_ = 3000;
    uint32_t finishCloseDelay_ = 0xFFFFFFFF;

    // Controls of the window's own tree (not owned); each may be absent.
    DuiLib::CControlUI* winCtn_ = nullptr;
    DuiLib::CTabLayoutUI* titleTabLt_ = nullptr;
    DuiLib::CTabLayoutUI* mainTabLt_ = nullptr;
    DuiLib::CControlUI* defaultInstallBtn_ = nullptr;
    DuiLib::CControlUI* customeBtn_ = nullptr;
    DuiLib::CControlUI* tipLbl_ = nullptr;
    DuiLib::COptionUI* treatyCb_ = nullptr;
    DuiLib::COptionUI* treatyBtn_ = nullptr;
    DuiLib::COptionUI* serviceCb_ = nullptr;
    DuiLib::CControlUI* installDirEdit_ = nullptr;
    DuiLib::CControlUI* chDirBtn_ = nullptr;
    DuiLib::COptionUI* createDSCb_ = nullptr;
    DuiLib::COptionUI* createQSCb_ = nullptr;
    DuiLib::CControlUI* customeInstallBtn_ = nullptr;
    DuiLib::CControlUI* backBtn_ = nullptr;
    DuiLib::CControlUI* progressAnLb_ = nullptr;
    DuiLib::CControlUI* progressLb_ = nullptr;
    DuiLib::CProgressUI* installPrg_ = nullptr;
    DuiLib::CControlUI* openProduceBtn_ = nullptr;
    DuiLib::CControlUI* titleGrpCtn_ = nullptr;
    DuiLib::CControlUI* softNameLbl_ = nullptr;
    DuiLib::CControlUI* installLogo_ = nullptr;
    DuiLib::CControlUI* finishedLbl_ = nullptr;
    DuiLib::CControlUI* languageCombo_ = nullptr;
};
