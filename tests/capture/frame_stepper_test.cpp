// The capture's fixed step: demo time and animation frame of every frame, the jump to a later
// start, the frame count of a whole timeline.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "anim/record.h"
#include "app/system.h"
#include "capture/frame_stepper.h"
#include "capture/options.h"
#include "cerr_capture.h"
#include "data_files.h"
#include "demo/data_layout.h"
#include "demo/demo.h"
#include "gl_recorder.h"

namespace {

namespace layout = quor::demo::layout;
namespace system = quor::system;
using quor::capture::frame_stepper;

constexpr double no_limit = std::numeric_limits<double>::infinity();

// Keys of the camera's position.x for the next blank_demo; none: a constant.
std::vector<quor::Key> camera_x_keys;

// The demo over a data block made here (constant records, zero geometry and textures), so that
// its frames run without data files; records the animation frame of every frame.
struct blank_demo final : system::application {
    bool init() override
    {
        std::vector<char> records;
        for (int channel = 0; channel < 27; ++channel)
            if (channel == 18 && !camera_x_keys.empty())
                quor::record::write_envelope_channel(records, camera_x_keys);
            else
                quor::record::write_constant_channel(records, channel % 9 >= 6 ? 1.0f : 0.0f);
        const std::size_t size = layout::scene_section.offset + records.size();
        std::unique_ptr<char[]> block(new char[layout::block_size]);
        std::memset(block.get(), 0, size);
        std::memcpy(block.get() + layout::scene_section.offset, records.data(), records.size());
        for (const auto& [at, byte] : quor::test::region_marks)
            block[at] = byte;
        quor::test::cerr_capture quiet; // no texture names behind no-op GL calls
        const bool built = demo.scene.build(std::move(block), size);
        EXPECT_TRUE(built);
        demo.clock.start();
        return built;
    }
    void frame() override
    {
        demo.frame();
        frames.push_back(static_cast<std::size_t>(demo.scene.meshes[0]->frame()));
    }
    quor::demo::Demo demo;
    std::vector<std::size_t> frames;
};

// Runs the engine with a blank demo behind a table of no-op GL calls, the exit countdown set as
// a capture at `rate` sets it.
class stepped_run {
public:
    explicit stepped_run(quor::capture::frame_rate rate)
    {
        quor::gl::api = quor::test::null_api();
        system::creation_params params;
        system::create_engine(params);
        system::reshape(320, 180);
        system::set_countdown_frames(quor::capture::countdown_frames(rate));
        system::create_application([](system::creation_params*) -> system::application* { return new blank_demo; },
                                   &params);
    }
    ~stepped_run()
    {
        if (system::current_application())
            system::shutdown();
        quor::gl::api = previous;
    }
    blank_demo& app() { return *static_cast<blank_demo*>(system::current_application()); }
    // Hands each frame's time to the demo and keeps it.
    frame_stepper::show_fn show()
    {
        return [this](double t) {
            times.push_back(t);
            app().demo.show_time(t);
        };
    }

    quor::gl::api_table previous = quor::gl::api;
    std::vector<double> times;
};

quor::capture::frame_rate rate_of(const char* text)
{
    quor::capture::frame_rate r;
    EXPECT_TRUE(quor::capture::parse_frame_rate(text, r)) << text;
    return r;
}

// The timeline's rule at an exact time of p / q seconds, in integers: floor(30 p / q) whole
// frames of 1/30 s have passed (a boundary counts as the new frame); the loop of 39 frames until
// 21 s, then the run from frame 39, held at 349.
std::size_t frame_at_exact_time(std::int64_t p, std::int64_t q)
{
    const std::int64_t whole = 30 * p / q;
    if (whole < 21 * 30)
        return static_cast<std::size_t>(whole % 39);
    return static_cast<std::size_t>(std::min<std::int64_t>(whole - 21 * 30 + 39, 349));
}

TEST(ExactTime, EveryFrameShowsTheTimelinesAnimationFrameAtItsOwnTime)
{
    // The whole timeline from 0, and four seconds across the run's start from later starts.
    struct start {
        std::int64_t num, den; // from = num / den seconds
    };
    for (const start from : {start{0, 1}, start{20, 1}, start{201, 10}})
        for (const char* fps : {"24", "25", "30", "50", "60000/1001", "60", "120"}) {
            const double from_seconds = static_cast<double>(from.num) / from.den;
            const bool whole = from.num == 0;
            SCOPED_TRACE(std::string(fps) + " fps from " + std::to_string(from_seconds));
            const quor::capture::frame_rate rate = rate_of(fps);
            stepped_run run(rate);
            frame_stepper stepper(run.show(), from_seconds, rate, whole ? no_limit : from_seconds + 4,
                                  quor::capture::capture_end());
            bool exit_requested_past_end = false;
            while (stepper.next())
                exit_requested_past_end = system::exit_requested();
            const std::vector<std::size_t>& frames = run.app().frames;
            ASSERT_EQ(frames.size(), run.times.size());
            for (std::uint64_t k = 0; k < frames.size(); ++k) {
                if (k > 0 || !whole) {
                    ASSERT_EQ(run.times[k], from_seconds + rate.seconds(k)) << "frame " << k;
                }
                // Picture k shows from + k * den / num exactly.
                const std::int64_t p = from.num * rate.num + static_cast<std::int64_t>(k) * rate.den * from.den;
                ASSERT_EQ(frames[k], frame_at_exact_time(p, from.den * rate.num)) << "frame " << k;
            }
            if (!whole)
                continue;
            EXPECT_FALSE(stepper.ended()) << "the capture ends by demo time, before the countdown does";
            EXPECT_TRUE(exit_requested_past_end);
            EXPECT_LE(run.times.back(), 31.5);
            EXPECT_GT(rate.seconds(frames.size()), 31.5) << "the next frame would be past the countdown";
            EXPECT_EQ(frames.size(), frame_stepper::count(0.0, rate, no_limit, quor::capture::capture_end()));
        }
}

TEST(ExactTime, ALaterStartShowsItsOwnTimeFromTheFirstFrame)
{
    const quor::capture::frame_rate rate = rate_of("30000/1001");
    stepped_run run(rate);
    frame_stepper stepper(run.show(), 20.9, rate, 21.1, quor::capture::capture_end());
    while (stepper.next()) {
    }
    EXPECT_FALSE(system::exit_requested());
    ASSERT_EQ(run.times.size(), 6u) << "20.9 s to before 21.1 s";
    EXPECT_EQ(run.times[0], 20.9);
    EXPECT_EQ(run.app().frames[0], 3u) << "trunc(627) mod 39";
    EXPECT_EQ(run.app().frames[3], 39u) << "21.0001 s: the run starts";
}

// A camera imported with a lead-in holds x = 5 from 0 on; only at exactly 0 does the key the
// reader seeds say 0. The capture's first picture shows the camera where the second does.
TEST(ExactTime, TheFirstPictureShowsAnImportedCameraWhereItStands)
{
    quor::Key lead_in{5.0f, 0.0f};
    lead_in.shape = quor::Shape::Linear;
    quor::Key later = lead_in;
    later.time = 2.0f;
    camera_x_keys = {lead_in, later};
    const quor::capture::frame_rate rate = rate_of("60");
    stepped_run run(rate);
    camera_x_keys.clear();
    frame_stepper stepper(run.show(), 0.0, rate, 2.0 / 60, quor::capture::capture_end());
    std::vector<std::vector<double>> views;
    {
        quor::test::gl_recorder rec;
        while (stepper.next()) {
            const std::vector<quor::test::gl_call> loads = rec.named("glLoadTransposeMatrixf");
            ASSERT_GE(loads.size(), 2u);
            views.push_back(loads[1].args); // after the projection: the first model-view
            rec.clear();
        }
    }
    ASSERT_EQ(views.size(), 2u);
    EXPECT_EQ(views[0], views[1]);
    EXPECT_EQ(stepper.time(), 1.0 / 60);
    EXPECT_EQ(run.app().frames[0], 0u);
}

} // namespace
