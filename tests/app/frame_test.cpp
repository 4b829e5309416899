// The frame's display logic: exit countdown, input roll-over and screen size, without a window.
#include <gtest/gtest.h>

#include "app/device_manager.h"
#include "app/render_device.h"
#include "app/system.h"
#include "gl_recorder.h"

namespace {

namespace sys = quor::system;

struct journal {
    int frames = 0;
    int request_at = -1;
    bool shut_down = false;
    bool destroyed = false;
    std::vector<float> escape_values;
};

journal* current = nullptr;

class counting_app final : public sys::application {
public:
    ~counting_app() override { current->destroyed = true; }
    bool init() override { return true; }
    void frame() override
    {
        ++current->frames;
        current->escape_values.push_back(sys::device_manager().keyboard().value(quor::input::escape_control));
        if (current->frames == current->request_at)
            sys::request_exit();
    }
    void shutdown() override { current->shut_down = true; }
};

sys::application* make_app(sys::creation_params*) { return new counting_app; }

class Frame : public ::testing::Test {
protected:
    void SetUp() override
    {
        current = &log;
        params.width = 640;
        params.height = 480;
        sys::create_engine(params);
        sys::create_application(make_app, &params);
    }
    void TearDown() override
    {
        sys::shutdown();
        current = nullptr;
    }
    quor::test::gl_recorder rec;
    sys::creation_params params;
    journal log;
};

TEST_F(Frame, ExitRequestDrawsTwentyNineMoreFramesThenShutsDown)
{
    log.request_at = 5;
    int callbacks = 0;
    while (sys::display()) {
        ++callbacks;
        ASSERT_LT(callbacks, 100);
        if (callbacks > 5)
            sys::request_exit(); // repeated requests change nothing
    }
    ++callbacks;
    EXPECT_EQ(log.frames, 5 + 29);
    EXPECT_EQ(callbacks, 5 + 30);
    EXPECT_TRUE(log.shut_down);
    EXPECT_TRUE(log.destroyed);
    EXPECT_EQ(sys::current_application(), nullptr);
    EXPECT_NEAR(sys::exit_countdown(), 1.0000004f, 1e-7);
}

TEST_F(Frame, InputIsFrozenDuringTheCountdown)
{
    sys::device_manager().on_key(27);
    log.request_at = 1;
    EXPECT_TRUE(sys::display());
    EXPECT_TRUE(sys::display());
    EXPECT_TRUE(sys::display());
    ASSERT_EQ(log.escape_values.size(), 3u);
    EXPECT_EQ(log.escape_values[1], 1.0f) << "no roll-over after the request";
    EXPECT_EQ(log.escape_values[2], 1.0f);
}

TEST_F(Frame, InputRollsOverWhileRunning)
{
    sys::device_manager().on_key(27);
    EXPECT_TRUE(sys::display());
    EXPECT_TRUE(sys::display());
    EXPECT_EQ(log.escape_values, (std::vector<float>{1.0f, 0.0f}));
}

TEST_F(Frame, ScreenSizeBeforeAndAfterReshape)
{
    EXPECT_EQ(sys::screen_width(), 1024);
    EXPECT_EQ(sys::screen_height(), 768);
    EXPECT_FLOAT_EQ(quor::gl::aspect_ratio(), 1.3333334f);
    sys::reshape(1280, 720);
    EXPECT_FLOAT_EQ(quor::gl::aspect_ratio(), 1280.0f / 720.0f);
    EXPECT_TRUE(rec.named("glViewport").empty()) << "reshape issues no GL call";
}

} // namespace
