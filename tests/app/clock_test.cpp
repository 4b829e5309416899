// Clock behaviour on a counter the test drives.
#include <gtest/gtest.h>

#include "app/clock.h"

namespace {

struct fake_counter final : quor::system::counter {
    std::uint64_t now = 5000;
    std::uint64_t freq = 1000000;
    bool high_resolution = true;
    std::uint32_t ms = 0;
    bool frequency(std::uint64_t& out) override
    {
        out = freq;
        return high_resolution;
    }
    bool sample(std::uint64_t& out) override
    {
        out = now;
        return high_resolution;
    }
    std::uint32_t milliseconds() override { return ms; }
    void advance(double seconds) { now += static_cast<std::uint64_t>(seconds * static_cast<double>(freq)); }
};

TEST(Clock, NeverStartedStaysAtZero)
{
    fake_counter c;
    quor::system::clock clk(c);
    c.advance(3.0);
    EXPECT_EQ(clk.elapsed(), 0.0f);
    clk.update();
    EXPECT_EQ(clk.time(), 0.0f);
}

TEST(Clock, FirstUpdateAddsWholeSpanSinceStart)
{
    fake_counter c;
    quor::system::clock clk(c);
    clk.start();
    EXPECT_EQ(clk.time(), 0.0f);
    c.advance(0.25);
    EXPECT_EQ(clk.time(), 0.0f) << "time only moves at update";
    clk.update();
    EXPECT_FLOAT_EQ(clk.time(), 0.25f);
    c.advance(0.5);
    clk.update();
    EXPECT_FLOAT_EQ(clk.time(), 0.75f);
}

TEST(Clock, TinyDifferenceIsDroppedNotCarried)
{
    fake_counter c;
    c.freq = 10000000; // 0.1 us ticks
    quor::system::clock clk(c);
    clk.start();
    c.advance(1.0);
    clk.update();
    const float before = clk.time();
    c.now += 5; // half a microsecond: not above the threshold
    clk.update();
    EXPECT_EQ(clk.time(), before);
    c.now += 5; // the dropped half is not carried into this one
    clk.update();
    EXPECT_EQ(clk.time(), before);
    c.advance(0.5);
    clk.update();
    EXPECT_NEAR(clk.time(), before + 0.5f, 3e-7) << "the dropped microsecond is lost";
}

TEST(Clock, PauseIsExcluded)
{
    fake_counter c;
    quor::system::clock clk(c);
    clk.start();
    c.advance(1.0);
    clk.stop();
    clk.start(); // a second start while running must not move the base
    clk.stop();
    c.advance(10.0);
    EXPECT_FLOAT_EQ(clk.elapsed(), 1.0f);
    clk.update();
    clk.update();
    EXPECT_FLOAT_EQ(clk.time(), 1.0f);
    clk.start();
    c.advance(2.0);
    EXPECT_FLOAT_EQ(clk.elapsed(), 3.0f);
    clk.update();
    EXPECT_FLOAT_EQ(clk.time(), 3.0f);
}

TEST(Clock, FrameRateMeasuredOverActualSpan)
{
    fake_counter c;
    quor::system::clock clk(c);
    clk.start();
    for (int i = 0; i < 9; ++i) {
        c.advance(0.05);
        clk.update();
    }
    EXPECT_EQ(clk.fps(), 0.0f) << "0.45 s is below the half-second window";
    c.advance(0.1);
    clk.update(); // 10 frames over 0.55 s
    EXPECT_NEAR(clk.fps(), 10.0f / 0.55f, 1e-3);
}

TEST(Clock, ScaleAppliesFromWhenItIsSet)
{
    fake_counter c;
    quor::system::clock clk(c);
    clk.start();
    c.advance(1.0);
    clk.update();
    clk.set_scale(2.0f);
    c.advance(1.0);
    clk.update();
    EXPECT_FLOAT_EQ(clk.time(), 3.0f);
    EXPECT_FLOAT_EQ(clk.step_size(), 2.0f);
}

TEST(Clock, FallsBackToMilliseconds)
{
    fake_counter c;
    c.high_resolution = false;
    quor::system::clock clk(c);
    c.ms = 1000;
    clk.start();
    c.ms = 3500;
    EXPECT_FLOAT_EQ(clk.elapsed(), 2.5f);
}

} // namespace
