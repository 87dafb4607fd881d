#pragma once
// Runs the old version's uninstaller, from its copy in the private temporary
// folder, silently on a worker ("UnInstaller") and reports through the
// callback: 5002 at the start and for progress, 5003 on success, 5004 when
// the copy is missing or cannot be started, 5005 when it reports failure.

#include "ChildProcess.h"
#include "download/StatusCallback.h"
#include "Utils/Thread.h"

#include <cstdint>
#include <memory>
#include <string>

class UnInstaller {
public:
    UnInstaller(StatusCallback callback, const std::wstring& uninstallerPath, const std::wstring& oldInstallDir);
    ~UnInstaller();
    UnInstaller(const UnInstaller&) = delete;
    UnInstaller& operator=(const UnInstaller&) = delete;

    // Builds the command line (probing the host's administrator facts now)
    // and starts the worker; returns at once.
    void Start();
    // The worker's body.
    uint32_t Run();

    // One decoded output chunk: 0, 1 after "State=Success", 1000 after
    // "State=Fail" or "Error=". Only "Encode=UTF8" changes the code page
    // (to 65001); any other value selects the ANSI code page.
    int32_t Parse(const std::wstring& chunk);
    static int32_t Parse(const std::wstring& chunk, int32_t& codePage, const StatusCallback& report);

    static std::wstring BuildCommandLine(const std::wstring& uninstallerPath, bool consoleUserIsAdmin,
                                         bool processIsAdmin, const std::wstring& oldInstallDir);

    const std::wstring& CommandLine() const { return commandLine_; }
    int32_t CodePage() const { return codePage_; }

private:
    StatusCallback callback_;
    std::wstring commandLine_;
    std::wstring uninstallerPath_;
    std::wstring oldInstallDir_;
    int32_t codePage_ = 0;
    std::unique_ptr<Utils::Thread> worker_;  // owned
    std::unique_ptr<ChildProcess> runner_;   // owned; only during a run
};
