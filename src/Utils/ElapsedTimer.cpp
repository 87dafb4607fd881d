#include "ElapsedTimer.h"

#include <windows.h>

namespace Utils {

void ElapsedTimer::Start()
{
    startTick = ::GetTickCount();
    running = true;
}

float ElapsedSecondsAt(const ElapsedTimer& timer, uint32_t nowTick)
{
    if (!timer.running) return 0.0f;
    return static_cast<float>(static_cast<uint32_t>(nowTick - timer.startTick)) / 1000.0f;
}

float ElapsedSeconds(const ElapsedTimer& timer) { return ElapsedSecondsAt(timer, ::GetTickCount()); }

}  // namespace Utils
