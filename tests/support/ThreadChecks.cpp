#include "ThreadChecks.h"

#include "Utils/Thread.h"

#include <atomic>
#include <memory>
#include <thread>

namespace TestSupport {

namespace {
uintptr_t NoThread(void*, unsigned, unsigned(__stdcall*)(void*), void*, unsigned, unsigned*) { return 0; }
}  // namespace

bool FinishesWithin(DWORD ms, std::function<void()> work)
{
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread([work, done] {
        work();
        *done = true;
    }).detach();
    for (DWORD waited = 0; waited < ms && !*done; waited += 20) ::Sleep(20);
    return *done;
}

NoNewThreads::NoNewThreads() { Utils::Thread::SetCreatorForTesting(&NoThread); }
NoNewThreads::~NoNewThreads() { Utils::Thread::SetCreatorForTesting(nullptr); }

}  // namespace TestSupport
