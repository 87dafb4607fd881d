#pragma once
// Reads and discards everything that arrives on a pipe, on a thread of its
// own, so that a child writing where nobody listens never blocks on a full
// pipe. It ends when the pipe breaks or when it is stopped; stopping works
// even while something that inherited the child's handles keeps the pipe open.

#include "Utils/Thread.h"
#include "Utils/UniqueResource.h"

#include <atomic>
#include <cstdint>
#include <memory>

class PipeDrain {
public:
    // readEnd is not owned and must stay open until Stop (or destruction).
    explicit PipeDrain(HANDLE readEnd);
    ~PipeDrain();
    PipeDrain(const PipeDrain&) = delete;
    PipeDrain& operator=(const PipeDrain&) = delete;

    // Ends the thread after it has discarded what is waiting, and joins it.
    void Stop();
    uint64_t DiscardedBytes() const { return discarded_; }

private:
    uint32_t Drain();
    bool DiscardAvailable();

    HANDLE readEnd_;  // not owned
    Utils::UniqueHandle stop_;
    std::atomic<uint64_t> discarded_{0};
    std::unique_ptr<Utils::Thread> thread_;  // owned
};
