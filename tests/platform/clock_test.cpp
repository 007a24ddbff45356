#include "platform/clock.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(MillisecondClock, WrapsLikeA32BitCounterAndStillMeasuresTime)
{
    setMillisecondClock(0xFFFFFFF0u);
    const std::uint32_t before = timeGetTime();
    Sleep(40);
    const std::uint32_t after = timeGetTime();
    EXPECT_LT(after, before) << "the counter has wrapped";
    const std::uint32_t elapsed = after - before;
    EXPECT_GE(elapsed, 40u);
    EXPECT_LT(elapsed, 60000u);
}
