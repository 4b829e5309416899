// The transport over a clock on a hand-driven counter: what the picture's time does on each
// control, and what the music is told so that it follows the picture.
#include "edit/transport.h"

#include <gtest/gtest.h>

#include "manual_counter.h"

namespace {

using namespace quor;
using cue = edit::music_cue::kind;
using quor::test::manual_counter;

class Transport : public ::testing::Test {
protected:
    void SetUp() override { clock.start(); }
    // One frame of `ms` real milliseconds: the demo's clock update, then the transport's settle.
    edit::music_cue frame(std::uint64_t ms = 100)
    {
        ticks.now += ms;
        clock.update();
        return transport.settle();
    }

    manual_counter ticks;
    system::clock clock{ticks};
    edit::transport transport{clock, 10.0};
};

TEST_F(Transport, PauseStepAndSeekMoveThePictureAndTheMusicFollows)
{
    EXPECT_EQ(frame().what, cue::none) << "the music already plays from the start";
    EXPECT_FLOAT_EQ(transport.time(), 0.1f);

    transport.toggle();
    EXPECT_EQ(frame().what, cue::pause);
    frame(500);
    EXPECT_FLOAT_EQ(transport.time(), 0.1f) << "paused";

    transport.step(transport.frame_step);
    transport.step(-1.0);
    EXPECT_EQ(transport.time(), 0.0) << "clamped at the start";
    transport.seek(3.0);
    EXPECT_EQ(frame().what, cue::none) << "silent while paused";

    transport.toggle();
    const edit::music_cue resumed = frame();
    EXPECT_EQ(resumed.what, cue::play_from);
    EXPECT_NEAR(resumed.position, 3.1, 1e-5) << "from the picture's time, not the pause's";

    transport.seek(5.0);
    const edit::music_cue jumped = frame();
    EXPECT_EQ(jumped.what, cue::play_from);
    EXPECT_NEAR(jumped.position, 5.1, 1e-5);

    transport.seek(9.95);
    frame();
    EXPECT_EQ(transport.time(), 10.0) << "held at the end, where the demo does not end yet";
    EXPECT_FALSE(transport.playing());
    transport.play();
    EXPECT_EQ(transport.time(), 0.0) << "play at the end starts over";

    transport.set_repeat(true);
    transport.seek(9.95);
    frame();
    EXPECT_TRUE(transport.playing());
    EXPECT_EQ(transport.time(), 0.0) << "repeating: past the end is the start";
}

TEST_F(Transport, LoopSpeedAndScrubbing)
{
    transport.seek(2.0);
    transport.mark_in();
    transport.seek(3.0);
    transport.mark_out();
    frame();
    transport.seek(2.95);
    frame(); // 3.05: past the out mark
    EXPECT_EQ(transport.time(), 2.0);
    EXPECT_EQ(frame().what, cue::none);

    // Off, playback passes the out mark and the marks stay; on again, it wraps again.
    transport.enable_loop(false);
    transport.seek(2.95);
    frame();
    EXPECT_NEAR(transport.time(), 3.05, 1e-5);
    EXPECT_EQ(transport.in_mark(), 2.0);
    transport.enable_loop(true);
    transport.seek(2.95);
    frame();
    EXPECT_EQ(transport.time(), 2.0);
    transport.enable_loop(false);
    transport.mark_out();
    EXPECT_TRUE(transport.loop_enabled()) << "a new mark turns the loop on";

    transport.clear_loop();
    transport.set_speed(8.0f);
    EXPECT_EQ(transport.speed(), transport.max_speed);
    for (const float near_normal : {0.99f, 1.02f}) {
        transport.set_speed(near_normal);
        EXPECT_EQ(transport.speed(), 1.0f) << "a hand finds 1x";
    }
    transport.set_speed(0.95f);
    EXPECT_EQ(transport.speed(), 0.95f);
    transport.set_speed(8.0f);
    const double before = transport.time();
    EXPECT_EQ(frame().what, cue::pause) << "silent at other speeds";
    EXPECT_NEAR(transport.time() - before, 0.2, 1e-5);
    transport.set_speed(1.0f);
    EXPECT_EQ(frame().what, cue::play_from);

    transport.set_scrubbing(true);
    EXPECT_EQ(frame().what, cue::pause);
    transport.seek(7.0);
    frame();
    EXPECT_EQ(transport.time(), 7.0) << "only the seeks move the picture";
    transport.set_scrubbing(false);
    const edit::music_cue after = frame();
    EXPECT_EQ(after.what, cue::play_from);
    EXPECT_NEAR(after.position, 7.1, 1e-5);
}

} // namespace
