#include "WorkerSlot.h"

#include <windows.h>

namespace {
bool IsCallingThread(const std::unique_ptr<Utils::Thread>& worker)
{
    return worker && worker->NativeHandle() && worker->Id() == ::GetCurrentThreadId();
}
}  // namespace

bool WorkerSlot::RunsOnCurrent() const { return IsCallingThread(current_); }

void WorkerSlot::Replace(std::unique_ptr<Utils::Thread> next)
{
    if (IsCallingThread(current_)) {
        setAside_ = std::move(current_);  // waits for an older set-aside worker, never for this one
    } else {
        current_.reset();
        if (!IsCallingThread(setAside_)) setAside_.reset();
    }
    current_ = std::move(next);
    if (current_) current_->Resume();
}

void WorkerSlot::JoinAll()
{
    current_.reset();
    setAside_.reset();
}
