// The tick counters the clock reads: the high-resolution counter has a frequency and moves on by
// at least the time that passed, and so does the millisecond fallback.
#include "platform/monotonic_clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace quor::platform;

TEST(MonotonicClock, BothCountersMoveOnByAtLeastTheTimePassed)
{
    std::uint64_t frequency = 0, before = 0, after = 0;
    ASSERT_TRUE(monotonic_frequency(frequency));
    // A millisecond counter would be no better than the fallback.
    EXPECT_GE(frequency, 1000000u);
    ASSERT_TRUE(monotonic_ticks(before));
    const std::uint32_t ms_before = milliseconds();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(monotonic_ticks(after));
    const std::uint32_t ms_after = milliseconds();
    EXPECT_GE(after - before, frequency / 20);
    // Unsigned: right across a wrap of the 32-bit count too.
    EXPECT_GE(static_cast<std::uint32_t>(ms_after - ms_before), 40u);
}
