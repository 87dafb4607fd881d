#pragma once
// Runs the downloaded installation package silently on a worker ("ABDEF")
// and turns the lines it writes on standard output into status reports:
// 2001 and 2002 at the start, 2002/3000-3009 while it runs, and a final 2003
// or 2004 once the package has ended (2004 with progress 2.0 when it cannot
// be started at all); see DriverRun for how the outcome is decided.

#include "DriverRun.h"
#include "OutputProtocol.h"
#include "download/StatusCallback.h"
#include "Utils/Thread.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CInstaller {
public:
    // What the package's output changes in the driver.
    struct OutputState {
        int32_t codePage = 0;                    // 0 ANSI code page, 65001 UTF-8, or a code page number
        int32_t installedVersion[3] = {0, 0, 0};  // major, minor, patch
    };

    // packagePath comes enclosed in double quotes already.
    CInstaller(StatusCallback callback, const std::wstring& packagePath, const std::wstring& installDir,
               bool quickLaunchShortcut, bool desktopShortcut, bool consoleUserIsAdmin);
    ~CInstaller();
    CInstaller(const CInstaller&) = delete;
    CInstaller& operator=(const CInstaller&) = delete;

    // Rebuilds the command line, joins the worker of an earlier start and
    // starts a new one; returns at once. When the worker cannot run, the
    // final report (2004, 2.0, "") is sent from here.
    void Start();
    // The worker's body.
    uint32_t Run();

    // One decoded output chunk: 0 without a final line, 1 for "State=Success",
    // 1000 for "State=Fail" or "Error=" (the chunk's last final line decides).
    int32_t Parse(const std::wstring& chunk);
    static int32_t Parse(const std::wstring& chunk, OutputState& state, const StatusCallback& report);
    // What each line of the text asks for, in line order; applies the
    // changes to state (code page, installed version) as it goes.
    static std::vector<OutputProtocol::LineOutcome> Parse(const std::wstring& text, OutputState& state);

    // The package's command line from the current settings and the extra
    // arguments.
    std::wstring BuildCommandLine() const;

    void SetInstallDir(const std::wstring& dir) { installDir_ = dir; }
    void SetLanguage(const std::wstring& language) { language_ = language; }
    void SetDesktopShortcut(bool on) { desktopShortcut_ = on; }
    void SetQuickLaunchShortcut(bool on) { quickLaunchShortcut_ = on; }
    void SetConsoleUserIsAdmin(bool on) { consoleUserIsAdmin_ = on; }
    void SetProcessIsAdmin(bool on) { processIsAdmin_ = on; }
    // The "-instcmd" setting: appended to the package's command line as given.
    void SetExtraArguments(const std::wstring& arguments) { extraArguments_ = arguments; }
    // How the worker thread is made (platform threads unless replaced).
    void SetWorkerFactory(DriverRun::WorkerFactory factory) { workerFactory_ = std::move(factory); }

    const std::wstring& CommandLine() const { return commandLine_; }
    const OutputState& State() const { return state_; }

private:
    StatusCallback callback_;
    std::wstring packagePath_;
    std::wstring installDir_;
    std::wstring commandLine_;
    bool quickLaunchShortcut_;
    bool desktopShortcut_;
    OutputState state_;
    std::unique_ptr<Utils::Thread> worker_;   // owned
    DriverRun::WorkerFactory workerFactory_ = DriverRun::PlatformThreads();
    bool consoleUserIsAdmin_;
    bool processIsAdmin_ = true;
    std::wstring language_;
    std::wstring extraArguments_;
};
