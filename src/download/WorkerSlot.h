#pragma once
// The worker of a downloader's current run. Replacing it waits for the previous
// worker, except when the replacement is asked for on that very worker (the
// owner restarts from inside a report): that one is only set aside, left to end
// on its own, and waited for at the next replacement or on destruction.

#include "Utils/Thread.h"

#include <memory>

class WorkerSlot {
public:
    WorkerSlot() = default;
    ~WorkerSlot() { JoinAll(); }
    WorkerSlot(const WorkerSlot&) = delete;
    WorkerSlot& operator=(const WorkerSlot&) = delete;

    // Takes the new worker (already constructed, suspended) and resumes it.
    void Replace(std::unique_ptr<Utils::Thread> next);
    Utils::Thread* Current() const { return current_.get(); }
    bool RunsOnCurrent() const;
    void JoinAll();

private:
    std::unique_ptr<Utils::Thread> current_;
    std::unique_ptr<Utils::Thread> setAside_;  // a worker that asked for its own replacement
};
