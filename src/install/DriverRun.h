#pragma once
// One run of a vendor executable by a driver (the package by CInstaller, the
// old uninstaller by UnInstaller), on the driver's worker: start it, turn its
// output lines into reports, and send the final report only once the
// executable has ended and its output has been read, so whoever acts on that
// report (the sequencer deletes the package) finds the file released.
//
// The final word is the first line that decides the outcome ("State=" with
// "Success" or "Fail", "Error="); later output is read and discarded. An
// executable that ends without one succeeded when its exit code is 0 and
// failed otherwise (a crash, or a code of its own).

#include "ChildProcess.h"
#include "OutputProtocol.h"
#include "download/StatusCallback.h"
#include "Utils/Thread.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class DriverRun {
public:
    struct Codes {
        int32_t success;  // ended without a final word, exit code 0: (success, 1.0, "")
        int32_t failure;  // ended without a final word otherwise: (failure, 0.0, failureText)
        const wchar_t* failureText;
        int32_t notStarted;  // cannot start, or stopped by a fault: (notStarted, 2.0, "")
    };
    // What one decoded line asks for (see OutputProtocol::InterpretChunk).
    using Interpreter = std::function<std::vector<OutputProtocol::LineOutcome>(const std::wstring& line)>;

    // report is not owned and must outlive the run.
    DriverRun(const StatusCallback& report, const Codes& codes);
    DriverRun(const DriverRun&) = delete;
    DriverRun& operator=(const DriverRun&) = delete;

    // Runs the command line to the end and sends the final report. codePage
    // is read afresh for every line (interpret may change it).
    void Execute(const std::wstring& commandLine, const int32_t& codePage, const Interpreter& interpret);
    // Runs body; an exception escaping it is logged, the executable (if it
    // runs) is followed to its end, and the run ends with (notStarted, 2.0, "")
    // unless its final report was already sent.
    void Guard(const std::function<void()>& body);
    // A final report the driver decides itself; at most one is ever sent.
    void SendFinal(int32_t code, double progress, const std::wstring& text);

    // Makes a driver's worker thread; null when the platform thread cannot be made.
    using WorkerFactory =
        std::function<std::unique_ptr<Utils::Thread>(Utils::Thread::Body body, const std::wstring& name)>;
    static WorkerFactory PlatformThreads();
    // Makes and resumes a worker; false, with worker empty, when it cannot run.
    static bool StartWorker(const WorkerFactory& factory, std::unique_ptr<Utils::Thread>& worker,
                            Utils::Thread::Body body, const std::wstring& name);

private:
    void EndAfterFault();

    const StatusCallback& report_;  // not owned
    Codes codes_;
    std::unique_ptr<ChildProcess> runner_;  // owned; the running executable
    bool finalSent_ = false;
};
