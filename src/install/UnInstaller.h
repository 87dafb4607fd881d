#pragma once
// Runs the old version's uninstaller, from its copy in the private temporary
// folder, silently on a worker ("UnInstaller") and reports through the
// callback: 5002 at the start and for progress, 5003 on success, 5004 when
// the copy is missing or cannot be started, 5005 when it reports failure.
// 5003 and 5005 come once the uninstaller has ended; see DriverRun for how
// the outcome is decided.

#include "DriverRun.h"
#include "download/StatusCallback.h"
#include "Utils/Thread.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class UnInstaller {
public:
    UnInstaller(StatusCallback callback, const std::wstring& uninstallerPath, const std::wstring& oldInstallDir);
    ~UnInstaller();
    UnInstaller(const UnInstaller&) = delete;
    UnInstaller& operator=(const UnInstaller&) = delete;

    // Builds the command line (probing the host's administrator facts now)
    // and starts the worker; returns at once. When the worker cannot run, the
    // final report (5004, 2.0, "") is sent from here.
    void Start();
    // The worker's body.
    uint32_t Run();

    // One decoded output chunk: 0, 1 after "State=Success", 1000 after
    // "State=Fail" or "Error=". Only "Encode=UTF8" changes the code page
    // (to 65001); any other value selects the ANSI code page.
    int32_t Parse(const std::wstring& chunk);
    static int32_t Parse(const std::wstring& chunk, int32_t& codePage, const StatusCallback& report);
    // What each line of the text asks for, in line order; changes codePage as it goes.
    static std::vector<OutputProtocol::LineOutcome> Parse(const std::wstring& text, int32_t& codePage);

    // The copy's path comes first, in double quotes, so that no other program
    // on a path with spaces is started in its place; the old folder comes
    // last, unquoted, after "_?=".
    static std::wstring BuildCommandLine(const std::wstring& uninstallerPath, bool consoleUserIsAdmin,
                                         bool processIsAdmin, const std::wstring& oldInstallDir);

    const std::wstring& CommandLine() const { return commandLine_; }
    int32_t CodePage() const { return codePage_; }
    // How the worker thread is made (platform threads unless replaced).
    void SetWorkerFactory(DriverRun::WorkerFactory factory) { workerFactory_ = std::move(factory); }

private:
    StatusCallback callback_;
    std::wstring commandLine_;
    std::wstring uninstallerPath_;
    std::wstring oldInstallDir_;
    int32_t codePage_ = 0;
    std::unique_ptr<Utils::Thread> worker_;  // owned
    DriverRun::WorkerFactory workerFactory_ = DriverRun::PlatformThreads();
};
