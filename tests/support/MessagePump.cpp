#include "MessagePump.h"

#include <windows.h>

namespace TestSupport {

namespace {

void ServePending()
{
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace

bool PumpUntil(const std::function<bool()>& done, int rounds)
{
    for (int round = 0; round < rounds && !done(); ++round) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 25, QS_ALLINPUT);
        ServePending();
    }
    return done();
}

void PumpFor(int milliseconds)
{
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < static_cast<DWORD>(milliseconds)) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 25, QS_ALLINPUT);
        ServePending();
    }
}

}  // namespace TestSupport
