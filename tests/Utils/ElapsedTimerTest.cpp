#include "Utils/ElapsedTimer.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(ElapsedSeconds, CountsAcrossTheTickWrap)
{
    Utils::ElapsedTimer timer;
    EXPECT_EQ(Utils::ElapsedSeconds(timer), 0.0f) << "a timer that never started";
    timer.startTick = 0xFFFFFF00u;
    timer.running = true;
    EXPECT_FLOAT_EQ(Utils::ElapsedSecondsAt(timer, 0x00000100u), 0.512f);
    EXPECT_FLOAT_EQ(Utils::ElapsedSecondsAt(timer, 0xFFFFFF00u + 2500u), 2.5f);
    timer.Stop();
    EXPECT_EQ(Utils::ElapsedSecondsAt(timer, 0x00000100u), 0.0f);
}

TEST(ElapsedSeconds, RealClockMovesForward)
{
    Utils::ElapsedTimer timer;
    timer.Start();
    ::Sleep(50);
    float seconds = Utils::ElapsedSeconds(timer);
    EXPECT_GT(seconds, 0.0f);
    EXPECT_LT(seconds, 30.0f);
}

}  // namespace
