#include "DriverRun.h"

#include "app/DiagnosticLog.h"
#include "Utils/TextConvert.h"

#include <exception>

DriverRun::DriverRun(const StatusCallback& report, const Codes& codes) : report_(report), codes_(codes) {}

void DriverRun::SendFinal(int32_t code, double progress, const std::wstring& text)
{
    if (finalSent_) return;
    // Set first: a receiver that throws here must not get a second final report.
    finalSent_ = true;
    report_(code, progress, text.c_str());
}

void DriverRun::Execute(const std::wstring& commandLine, const int32_t& codePage, const Interpreter& interpret)
{
    try {
        runner_ = ChildProcess::Launch(commandLine);
    } catch (const std::exception&) {
        SendFinal(codes_.notStarted, 2.0, L"");
        return;
    }
    OutputProtocol::LineOutcome finalWord;
    bool decided = runner_->ReadLines(codePage, [&](const std::wstring& line) {
        return OutputProtocol::DeliverUntilFinal(interpret(line), report_, finalWord) ? finalWord.result : 0;
    });
    runner_->WaitForExit();
    DWORD exitCode = runner_->ExitCode();
    runner_.reset();
    if (decided) {
        SendFinal(finalWord.code, finalWord.progress, finalWord.text);
    } else if (exitCode == 0) {
        SendFinal(codes_.success, 1.0, L"");
    } else {
        LogLine(L"ended with exit code 0x%08lX and no final state", static_cast<unsigned long>(exitCode));
        SendFinal(codes_.failure, 0.0, codes_.failureText);
    }
}

void DriverRun::EndAfterFault()
{
    if (runner_) {
        runner_->DiscardOutput();
        runner_->WaitForExit();
        runner_.reset();
    }
    SendFinal(codes_.notStarted, 2.0, L"");
}

void DriverRun::Guard(const std::function<void()>& body)
{
    try {
        body();
        return;
    } catch (const std::exception& e) {
        LogLine(L"stopped by an exception: %s", Utils::ToWide(e.what(), 0).c_str());
    } catch (...) {
        LogLine(L"stopped by an exception");
    }
    try {
        EndAfterFault();
    } catch (...) {
        LogLine(L"the failure report failed as well");
    }
}

DriverRun::WorkerFactory DriverRun::PlatformThreads()
{
    return [](Utils::Thread::Body body, const std::wstring& name) {
        return std::unique_ptr<Utils::Thread>(new Utils::Thread(std::move(body), nullptr, name));
    };
}

bool DriverRun::StartWorker(const WorkerFactory& factory, std::unique_ptr<Utils::Thread>& worker,
                            Utils::Thread::Body body, const std::wstring& name)
{
    worker = factory(std::move(body), name);
    if (worker && worker->Resume()) return true;
    LogLine(L"the worker %s cannot run", name.c_str());
    worker.reset();
    return false;
}
