#pragma once
// The real LumoraInstaller.exe of the build, started as a user would start it
// (its switches on the command line, the stand-in package's script named in
// its environment), and its top-level windows as the screen shows them.
// Optionally the test acts as its debugger, only to read the diagnostic log
// it writes to the debugger output; every exception goes back to it
// unhandled, so it behaves as it does alone.

#include "Utils/UniqueResource.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace InstallerTest {

struct TopWindow {
    HWND hwnd = nullptr;
    std::wstring title;
    std::wstring windowClass;
};

// One line of the diagnostic log, or the naming of a thread (the program
// names its workers for a debugger when one is present).
struct LogLine {
    DWORD threadId = 0;  // the thread that wrote it, or the thread named
    std::string text;
    std::string threadName;  // for a naming only
};

class InstallerProcess {
public:
    struct Options {
        std::vector<std::wstring> switches;
        std::wstring fakeScript;  // LUMORA_FAKE_SCRIPT for the stand-in package; none when empty
        bool readLog = false;     // run as its debugger to read its diagnostic log
    };

    explicit InstallerProcess(const Options& options);
    // Ends a process that is still running (a failed case must not leave it).
    ~InstallerProcess();
    InstallerProcess(const InstallerProcess&) = delete;
    InstallerProcess& operator=(const InstallerProcess&) = delete;

    bool Started() const { return processId_ != 0; }
    DWORD Id() const { return processId_; }
    bool Running() const;
    // The exit code once it has ended within the time; nothing otherwise.
    std::optional<DWORD> WaitForExit(DWORD milliseconds);

    // Its visible top-level windows, read without sending them messages.
    std::vector<TopWindow> Windows() const;
    // Its visible main window ("Lumora"), or null.
    HWND MainWindow() const;
    // Its visible prompt ("消息框"), or none.
    std::optional<TopWindow> Prompt() const;
    // The thread that owns the main window: the process's UI thread.
    DWORD UiThreadId() const;

    // Diagnostic log lines and thread namings so far, in order (readLog only).
    std::vector<LogLine> Log() const;

private:
    bool Launch(const Options& options, DWORD creationFlags);
    void DebugLoop(const Options& options);
    void ReadDebugString(HANDLE process, DWORD threadId, const OUTPUT_DEBUG_STRING_INFO& info);
    void ReadThreadName(HANDLE process, const EXCEPTION_RECORD& record);

    Utils::UniqueHandle process_;
    DWORD processId_ = 0;
    std::thread debugger_;
    mutable std::mutex lock_;
    std::vector<LogLine> log_;
};

// The path of the installer beside the test programs.
std::wstring InstallerPath();

// Waits (polling) until done says so or the time is up; the last answer.
bool WaitUntil(const std::function<bool()>& done, DWORD milliseconds);

}  // namespace InstallerTest
