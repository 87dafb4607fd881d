#pragma once
// The worker of a downloader's current run. Replacing it waits for the previous
// worker, except when the replacement is asked for on that very worker (the
// owner restarts from inside a report): that one is only set aside, left to end
// on its own, and waited for at the next replacement or on destruction.

#include "Utils/Thread.h"

#include <cstdint>
#include <memory>

class WorkerSlot {
public:
    using Body = uint32_t (*)(void*);

    WorkerSlot() = default;
    ~WorkerSlot() { JoinAll(); }
    WorkerSlot(const WorkerSlot&) = delete;
    WorkerSlot& operator=(const WorkerSlot&) = delete;

    // A suspended worker named "ABDEF" running body(argument); null when it
    // could not be made.
    static std::unique_ptr<Utils::Thread> MakeWorker(Body body, void* argument);
    // Takes the new worker (made suspended) and resumes it. False when there
    // is no worker or its thread could not be started: the body never runs,
    // and the caller must report the failure itself.
    bool Replace(std::unique_ptr<Utils::Thread> next);
    bool RunsOnCurrent() const;
    void JoinAll();

    // Test seam: how MakeWorker makes a worker (null restores the real one).
    using ThreadMaker = std::unique_ptr<Utils::Thread> (*)(Body body, void* argument);
    static void SetThreadMakerForTests(ThreadMaker maker);

private:
    std::unique_ptr<Utils::Thread> current_;
    std::unique_ptr<Utils::Thread> setAside_;  // a worker that asked for its own replacement
};
