#pragma once
// Runs the install stages in order: remove a registered older version, download
// the package into the install folder, run it silently, delete it. Each stage
// runs on its own thread; the sequencer owns none and chains the stages from
// their reports, each forwarded to the owner before the sequencer reacts.

#include "download/StatusCallback.h"

#include <cstdint>
#include <memory>
#include <string>

class CDownloader;
class CInstaller;
class UnInstaller;

class CDownloadInstaller {
public:
    CDownloadInstaller(StatusCallback owner, const std::wstring& downloadUrl, const std::wstring& oldUninstallerPath,
                       const std::wstring& installDir, bool desktopShortcut, bool quickLaunchShortcut,
                       bool consoleUserIsAdmin);
    ~CDownloadInstaller();
    CDownloadInstaller(const CDownloadInstaller&) = delete;
    CDownloadInstaller& operator=(const CDownloadInstaller&) = delete;

    // Replaces every input of the next attempt. registeredInstallPath is not
    // used by the sequence.
    void Init(const std::wstring& downloadUrl, const std::wstring& registeredInstallPath,
              const std::wstring& oldUninstallerPath, const std::wstring& installDir, bool desktopShortcut,
              bool quickLaunchShortcut, bool consoleUserIsAdmin, bool processIsAdmin, const std::wstring& language);

    // The first part of the sequence; the stage handlers do the rest. With an
    // uninstall due and "-insnew" on, it waits for the product to be closed.
    void Start();

    // The id of the first running process whose image name equals exeName
    // exactly (case-sensitive); 0 when none.
    static uint32_t FindProcessId(const std::wstring& exeName);
    static std::wstring PackagePathFor(const std::wstring& installDir);
    // Where the old uninstaller is copied before it runs; empty when the
    // private temporary folder is not available.
    static std::wstring UninstallerCopyPath();

    const std::wstring& PackagePath() const { return packagePath_; }

private:
    void StartUninstall();
    void RemovePackage();

    std::unique_ptr<UnInstaller> uninstaller_;  // owned
    std::unique_ptr<CDownloader> downloader_;   // owned; made by the first start
    std::unique_ptr<CInstaller> installer_;     // owned; made by the first start
    std::wstring downloadUrl_;
    std::wstring oldUninstallerPath_;
    std::wstring installDir_;
    std::wstring packagePath_;
    std::wstring language_;
    bool desktopShortcut_;
    bool quickLaunchShortcut_;
    bool consoleUserIsAdmin_;
    bool processIsAdmin_ = true;
    StatusCallback owner_;
};
