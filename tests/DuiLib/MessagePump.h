#pragma once
// The message loop of window tests that run their windows on the test's own
// thread.

#include <windows.h>

#include <functional>

namespace TestSupport {

// Serves messages until done says so (each round waits up to 25 ms for
// input); false when it never did.
inline bool PumpUntil(const std::function<bool()>& done, int rounds = 400)
{
    for (int round = 0; round < rounds && !done(); ++round) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 25, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    return done();
}

}  // namespace TestSupport
