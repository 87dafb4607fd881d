#include "PipeDrain.h"

namespace {
// How long the drain sleeps when the pipe is empty; a writer filling the
// pipe in that time waits at most this long.
const DWORD kIdleMs = 5;
}  // namespace

PipeDrain::PipeDrain(HANDLE readEnd)
    : readEnd_(readEnd), stop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    thread_.reset(new Utils::Thread([this](void*) { return Drain(); }, nullptr, L"PipeDrain"));
    thread_->Resume();
}

PipeDrain::~PipeDrain() { Stop(); }

void PipeDrain::Stop()
{
    if (!thread_) return;
    if (stop_) ::SetEvent(stop_.Get());
    thread_->Join();
    thread_.reset();
}

// Peeks before reading, so the thread never sits in a read that only the
// pipe's last writer could end.
bool PipeDrain::DiscardAvailable()
{
    char buffer[4096];
    for (;;) {
        DWORD available = 0;
        if (!::PeekNamedPipe(readEnd_, nullptr, 0, nullptr, &available, nullptr)) return false;
        if (available == 0) return true;
        DWORD got = 0;
        DWORD want = available < sizeof(buffer) ? available : static_cast<DWORD>(sizeof(buffer));
        if (!::ReadFile(readEnd_, buffer, want, &got, nullptr)) return false;
        discarded_ += got;
    }
}

uint32_t PipeDrain::Drain()
{
    while (DiscardAvailable()) {
        if (!stop_ || ::WaitForSingleObject(stop_.Get(), kIdleMs) == WAIT_OBJECT_0) {
            DiscardAvailable();
            break;
        }
    }
    return 0;
}
