#include "platform/clock.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(MillisecondClock, MeasuresTheTimeSlept)
{
    const std::uint32_t before = timeGetTime();
    Sleep(40);
    const std::uint32_t after = timeGetTime();
    // The unsigned difference is the time between, also across a wrap.
    const std::uint32_t elapsed = after - before;
    EXPECT_GE(elapsed, 40u);
    EXPECT_LT(elapsed, 60000u);
}
