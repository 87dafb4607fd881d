#pragma once
// Checks on code that must not hang or that must cope without threads.

#include <windows.h>

#include <functional>

namespace TestSupport {

// Runs work on a helper thread and waits a bounded time for it: a call that
// never returns fails the test instead of stalling the run (the helper is then
// left behind, blocked, until the process ends).
bool FinishesWithin(DWORD ms, std::function<void()> work);

// While it lives, no Utils::Thread can make its platform thread.
class NoNewThreads {
public:
    NoNewThreads();
    ~NoNewThreads();
    NoNewThreads(const NoNewThreads&) = delete;
    NoNewThreads& operator=(const NoNewThreads&) = delete;
};

}  // namespace TestSupport
