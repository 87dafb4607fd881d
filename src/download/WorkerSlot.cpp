#include "WorkerSlot.h"

#include "WorkerGuard.h"

#include <windows.h>

#include <atomic>

namespace {

bool IsCallingThread(const std::unique_ptr<Utils::Thread>& worker)
{
    return worker && worker->NativeHandle() && worker->Id() == ::GetCurrentThreadId();
}

std::atomic<WorkerSlot::ThreadMaker> g_maker{nullptr};

}  // namespace

std::unique_ptr<Utils::Thread> WorkerSlot::MakeWorker(Body body, void* argument)
{
    try {
        ThreadMaker maker = g_maker.load();
        if (maker) return maker(body, argument);
        return std::make_unique<Utils::Thread>(body, argument, L"ABDEF");
    } catch (...) {
        Utils::LogEscapedException(L"WorkerSlot::MakeWorker");
        return nullptr;
    }
}

void WorkerSlot::SetThreadMakerForTests(ThreadMaker maker) { g_maker = maker; }

bool WorkerSlot::RunsOnCurrent() const { return IsCallingThread(current_); }

bool WorkerSlot::Replace(std::unique_ptr<Utils::Thread> next)
{
    if (IsCallingThread(current_)) {
        setAside_ = std::move(current_);  // waits for an older set-aside worker, never for this one
    } else {
        current_.reset();
        if (!IsCallingThread(setAside_)) setAside_.reset();
    }
    current_ = std::move(next);
    return current_ && current_->Resume();
}

void WorkerSlot::JoinAll()
{
    current_.reset();
    setAside_.reset();
}
