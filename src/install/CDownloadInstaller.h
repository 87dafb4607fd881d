#pragma once
// Runs the install stages in order: remove a registered older version, download
// the package into the install folder, run it silently, delete it. Each stage
// runs on its own thread and the sequencer chains them from their reports,
// each forwarded to the owner before the sequencer reacts.
//
// Every start is an attempt of its own: it gets its own downloader and package
// driver for its own folder, and the stages of the attempt before are joined
// and destroyed first. Reports of a stage that no longer belongs to the
// current attempt, or that arrive while the sequencer goes away, are dropped.

#include "InstallAttempt.h"
#include "SequencerSettings.h"
#include "Utils/UniqueResource.h"
#include "download/StatusCallback.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

class CDownloader;
class CInstaller;
class UnInstaller;
namespace Utils {
class Thread;
}

class CDownloadInstaller {
public:
    CDownloadInstaller(StatusCallback owner, const SequencerSettings& settings,
                       const InstallAttempt& attempt = InstallAttempt());
    // Drops every later report, then joins and destroys the stages (ending a
    // wait for the product) and removes the attempt's package files.
    ~CDownloadInstaller();
    CDownloadInstaller(const CDownloadInstaller&) = delete;
    CDownloadInstaller& operator=(const CDownloadInstaller&) = delete;

    // Replaces every input of the next attempt.
    void Init(const InstallAttempt& attempt);
    void Init(const std::wstring& downloadUrl, const std::wstring& registeredInstallPath,
              const std::wstring& oldUninstallerPath, const std::wstring& installDir, bool desktopShortcut,
              bool quickLaunchShortcut, bool consoleUserIsAdmin, bool processIsAdmin, const std::wstring& language);

    // Begins an attempt and returns at once; the stage handlers do the rest.
    // With an uninstall due and "-insnew" on, a worker of the sequencer waits
    // for the product to be closed first. Called on the owner's thread, never
    // from inside a report.
    void Start();

    // The id of the first running process whose image name equals exeName
    // exactly (case-sensitive); 0 when none.
    static uint32_t FindProcessId(const std::wstring& exeName);
    static std::wstring PackagePathFor(const std::wstring& installDir);
    // Where the old uninstaller is copied before it runs; empty when the
    // private temporary folder is not available.
    static std::wstring UninstallerCopyPath();

private:
    class ReportScope;

    // Drops the reports of the current attempt's stages from now on, then
    // joins and destroys them and removes what the attempt downloaded.
    void RetireAttempt(bool stopping);
    void Forward(int32_t code, double progress, const wchar_t* text);
    // A stage that could not be started ends the attempt with its failure
    // report (progress 2.0); called while a report scope is held.
    void EndWithFailure(int32_t code);
    void MakeStages(const StatusCallback& onDownload, const StatusCallback& onInstall);
    void StartUninstall(uint64_t attempt, const StatusCallback& onUninstall);
    uint32_t WaitForProductThenUninstall(uint64_t attempt);
    void RemovePackage();

    StatusCallback owner_;  // declared first, destroyed last: the stages report to it
    SequencerSettings settings_;
    InstallAttempt next_;     // the inputs Init gave for the next start
    InstallAttempt current_;  // the inputs of the running attempt
    std::wstring packagePath_;

    // Held while a report is forwarded and acted on, and while the attempt
    // changes; recursive so a reaction may end its attempt with a report.
    std::recursive_mutex lock_;
    uint64_t attempt_ = 0;  // the attempt whose reports are taken
    bool stopping_ = false;

    std::unique_ptr<UnInstaller> uninstaller_;    // owned; made when an older version is to be removed
    std::unique_ptr<CDownloader> downloader_;     // owned; one per attempt
    std::unique_ptr<CInstaller> installer_;       // owned; one per attempt
    std::unique_ptr<Utils::Thread> productWait_;  // owned; waits for the product before the uninstall
    Utils::UniqueHandle stopWaiting_;             // set when the attempt is retired
};
