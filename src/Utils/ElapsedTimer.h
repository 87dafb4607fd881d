#pragma once

#include <cstdint>

namespace Utils {

// A start tick and a running flag; the tick difference wraps correctly.
struct ElapsedTimer {
    uint32_t startTick = 0;
    bool running = false;

    void Start();
    void Stop() { running = false; }
};

float ElapsedSeconds(const ElapsedTimer& timer);
float ElapsedSecondsAt(const ElapsedTimer& timer, uint32_t nowTick);

}  // namespace Utils
