// The capture's fixed step (demo time and animation frame of every frame, the jump to a later
// start, the frame count of a whole timeline), its writer thread, its options, and its pictures
// against the demo's own at the same demo time.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <mutex>
#include <sstream>
#include <thread>

#include "anim/record.h"
#include "app/command_line.h"
#include "app/offscreen_context.h"
#include "app/system.h"
#include "capture/capture.h"
#include "capture/ffmpeg_video.h"
#include "capture/frame_stepper.h"
#include "capture/frame_writer.h"
#include "capture/options.h"
#include "capture/png_sequence.h"
#include "capture/progress.h"
#include "capture/yuv_picture.h"
#include "cerr_capture.h"
#include "data_files.h"
#include "demo/data_layout.h"
#include "demo/demo.h"
#include "gl_recorder.h"

namespace {

namespace layout = quor::demo::layout;
namespace system = quor::system;
using quor::capture::frame_stepper;

constexpr std::uint64_t no_end = std::numeric_limits<std::uint64_t>::max();
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

// A sink that keeps what it is given (by picture number) and can be told to fail.
struct kept_frames final : quor::capture::frame_sink {
    explicit kept_frames(unsigned writers = 1) : writers(writers) {}
    bool check() override { return true; }
    bool open() override { return true; }
    unsigned parallel_writes() const override { return writers; }
    bool write(const std::uint8_t* rgb, std::uint64_t index) override
    {
        if (index == fail_at)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(index % 3 * 200));
        std::lock_guard<std::mutex> guard(lock);
        values.push_back(rgb[0]);
        indices.push_back(index);
        return true;
    }
    bool finish() override
    {
        ++finished;
        return true;
    }
    std::string error() const override { return "failed"; }
    std::vector<int> values;
    std::vector<std::uint64_t> indices;
    unsigned writers;
    std::mutex lock;
    std::uint64_t fail_at = no_end;
    int finished = 0;
};

void submit_numbered(quor::capture::frame_writer& writer, int count)
{
    for (int i = 0; i < count; ++i) {
        auto* b = writer.acquire();
        ASSERT_NE(b, nullptr);
        ASSERT_EQ(b->size(), 16u);
        (*b)[0] = static_cast<std::uint8_t>(i);
        writer.submit(b);
    }
}

TEST(FrameWriter, WritesEveryPictureInOrderWhileBuffersCirculate)
{
    kept_frames sink;
    {
        quor::capture::frame_writer writer(sink, 16);
        submit_numbered(writer, 50);
        EXPECT_TRUE(writer.finish());
        EXPECT_TRUE(writer.finish()) << "a second finish repeats the result";
    }
    ASSERT_EQ(sink.values.size(), 50u);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(sink.values[i], i);
        EXPECT_EQ(sink.indices[i], static_cast<std::uint64_t>(i));
    }
    EXPECT_EQ(sink.finished, 1) << "the destructor does not finish again";
}

TEST(FrameWriter, ParallelWritersGiveEachPictureItsOwnNumber)
{
    kept_frames sink(3);
    quor::capture::frame_writer writer(sink, 16);
    submit_numbered(writer, 60);
    EXPECT_TRUE(writer.finish());
    ASSERT_EQ(sink.values.size(), 60u);
    std::vector<int> by_number(60, -1);
    for (std::size_t i = 0; i < sink.indices.size(); ++i)
        by_number.at(sink.indices[i]) = sink.values[i];
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(by_number[i], i) << "picture " << i;
}

TEST(FrameWriter, AFailedWriteStopsTheCaptureAndIsReported)
{
    kept_frames sink;
    sink.fail_at = 3;
    quor::capture::frame_writer writer(sink, 16);
    int submitted = 0;
    while (auto* b = writer.acquire()) {
        writer.submit(b);
        ASSERT_LT(++submitted, 1000) << "acquire keeps handing out buffers after the failure";
    }
    EXPECT_FALSE(writer.finish());
    EXPECT_EQ(sink.values.size(), 3u) << "nothing is written after the failure";
    EXPECT_EQ(sink.finished, 1) << "the output is still completed (the encoder reaped)";
}

// The arguments after the program's name, parsed.
quor::system::parse_outcome parse(std::vector<const char*> args, quor::capture::options& o)
{
    args.insert(args.begin(), "quor-capture");
    return quor::capture::parse_options(static_cast<int>(args.size()), args.data(), o);
}

TEST(Options, DefaultsAndValuesInBothForms)
{
    quor::capture::options o;
    const quor::system::parse_outcome r =
        parse({"--out", "v.mp4", "--size=640x360", "--fps", "30000/1001", "--from", "2.5", "--to=4", "--data", "d",
               "--preset", "veryfast", "--msaa=8", "--crf", "23"},
              o);
    ASSERT_TRUE(r.run) << r.text;
    EXPECT_EQ(o.video, "v.mp4");
    EXPECT_EQ(o.width, 640);
    EXPECT_EQ(o.height, 360);
    EXPECT_EQ(o.fps.num, 30000);
    EXPECT_EQ(o.fps.den, 1001);
    EXPECT_EQ(o.from, 2.5);
    EXPECT_EQ(o.to, 4.0);
    EXPECT_EQ(o.data_dir, "d");
    EXPECT_EQ(o.preset, "veryfast");
    EXPECT_EQ(o.msaa, 8);
    EXPECT_EQ(o.crf, 23);

    quor::capture::options d;
    ASSERT_TRUE(parse({"--frames=f"}, d).run);
    EXPECT_EQ(d.frames_dir, "f");
    EXPECT_EQ(d.width, 1280);
    EXPECT_EQ(d.height, 720);
    EXPECT_EQ(d.fps.text(), "60");
    EXPECT_EQ(d.msaa, 4);
    EXPECT_EQ(d.from, 0.0);
    EXPECT_LT(d.to, 0.0) << "to the end of the timeline";

    EXPECT_EQ(rate_of("29.97").text(), "2997/100");
    EXPECT_EQ(rate_of("50/2").text(), "25");
}

TEST(Options, BadArgumentsAreRefusedWithOneLineNamingTheCulprit)
{
    const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
        {{}, "--out or --frames: nothing to write"},
        {{"--out", "a.mp4", "--frames", "f"}, "--frames: cannot be used with --out"},
        {{"--out", "a.mp4", "--size", "1280x"}, "--size: '1280x' is not WxH with even sides from 2 to 8192"},
        {{"--out", "a.mp4", "--size", "1281x720"}, "--size"},
        {{"--out", "a.mp4", "--size", "0x720"}, "--size"},
        {{"--out", "a.mp4", "--fps", "60x"}, "--fps: '60x' is not a rate"},
        {{"--out", "a.mp4", "--fps", "0"}, "--fps"},
        {{"--out", "a.mp4", "--fps", "30000/0"}, "--fps"},
        {{"--out", "a.mp4", "--fps", "1001/"}, "--fps"},
        {{"--out", "a.mp4", "--fps", "2000"}, "--fps"},
        {{"--out", "a.mp4", "--from", "-1"}, "--from: '-1' is not a number of seconds from 0 to 3600"},
        {{"--out", "a.mp4", "--from", "nan"}, "--from"},
        {{"--out", "a.mp4", "--from", "40"}, "--from: 40 is past the end of the timeline"},
        {{"--out", "a.mp4", "--from", "5", "--to", "5"}, "--to: must be later than --from"},
        {{"--out", "a.mp4", "--preset", "quick"}, "--preset"},
        {{"--out", "a.mp4", "--msaa", "3"}, "--msaa: '3' is not 1, 2, 4, 8 or 16"},
        {{"--out", "a.mp4", "--crf", "52"}, "--crf"},
        {{"--out", "a.webm", "--crf", "64"}, "--crf"},
        {{"--out", "a.gif", "--crf", "20"}, "--crf: does not apply"},
        {{"--out="}, "--out"},
        {{"--data=", "--out", "a.mp4"}, "--data: the value after '=' is empty"},
        {{"--out"}, "--out: needs a value"},
        {{"--out", "a.mp4", "--loud"}, "--loud: unknown option"},
        {{"--out", "a.mp4", "stray"}, "stray: unexpected argument"},
    };
    for (const auto& [args, reason] : cases) {
        quor::capture::options o;
        const quor::system::parse_outcome r = parse(args, o);
        EXPECT_FALSE(r.run) << reason;
        EXPECT_EQ(r.status, 2) << reason;
        EXPECT_EQ(r.text.rfind("quor-capture: " + reason, 0), 0u) << r.text;
        EXPECT_NE(r.text.find(" (see quor-capture --help)"), std::string::npos) << r.text;
    }
}

TEST(FfmpegArguments, MusicStartsAtTheCapturesFirstFrameAndLastsAsLongAsThePictures)
{
    quor::capture::video_settings s;
    s.output = "/o/v.mp4";
    s.width = 640;
    s.height = 360;
    s.fps = {30, 1};
    s.music = "/d/demo.mp3";
    s.music_offset = 12.5;
    const auto a = quor::capture::ffmpeg_arguments(s);
    auto after = [&a](const std::string& name) {
        auto it = std::find(a.begin(), a.end(), name);
        return it == a.end() || it + 1 == a.end() ? std::string() : *(it + 1);
    };
    EXPECT_EQ(after("-s"), "640x360");
    EXPECT_EQ(after("-framerate"), "30");
    EXPECT_EQ(after("-ss"), "12.500000");
    EXPECT_EQ(after("-af"), "apad");
    EXPECT_NE(std::find(a.begin(), a.end(), "-shortest"), a.end());
    EXPECT_EQ(after("-pix_fmt"), "yuv420p") << "the pictures' own format comes first";
    EXPECT_EQ(after("-colorspace"), "bt709") << "the stream says how its colours were converted";
    EXPECT_EQ(std::find(a.begin(), a.end(), "-vf"), a.end()) << "pictures arrive upright";
    EXPECT_EQ(a.back(), "/o/v.mp4");

    EXPECT_EQ(after("-crf"), "18");

    // The extension chooses the codecs; a GIF has no sound.
    s.output = "/o/v.webm";
    s.fps = {30000, 1001};
    const auto webm = quor::capture::ffmpeg_arguments(s);
    EXPECT_NE(std::find(webm.begin(), webm.end(), "libvpx-vp9"), webm.end());
    EXPECT_NE(std::find(webm.begin(), webm.end(), "libopus"), webm.end());
    EXPECT_NE(std::find(webm.begin(), webm.end(), "30000/1001"), webm.end());
    s.output = "/o/v.gif";
    const auto gif = quor::capture::ffmpeg_arguments(s);
    EXPECT_EQ(std::find(gif.begin(), gif.end(), "1:a"), gif.end());
    EXPECT_EQ(std::find(gif.begin(), gif.end(), "-crf"), gif.end());

    s.output = "/o/v.mkv";
    s.music.clear();
    const auto silent = quor::capture::ffmpeg_arguments(s);
    EXPECT_EQ(std::find(silent.begin(), silent.end(), "1:a"), silent.end());
    EXPECT_EQ(std::find(silent.begin(), silent.end(), "-ss"), silent.end());
    EXPECT_NE(std::find(silent.begin(), silent.end(), "libx264"), silent.end());
}

// BT.709 in floating point, video range, for an RGB colour.
struct yuv709 {
    double y, u, v;
    yuv709(double r, double g, double b)
        : y(16 + 219 * (0.2126 * r + 0.7152 * g + 0.0722 * b) / 255),
          u(128 + 224 * (-0.1146 * r - 0.3854 * g + 0.5 * b) / 255),
          v(128 + 224 * (0.5 * r - 0.4542 * g - 0.0458 * b) / 255)
    {
    }
};

TEST(YuvPicture, BT709VideoRangeUprightWithChromaFromEach2x2Block)
{
    // 4 x 2 pixels, B G R x, bottom row first as OpenGL reads them.
    const int bottom[4][3] = {{255, 255, 255}, {0, 0, 0}, {255, 0, 0}, {255, 0, 0}}; // white black red red
    const int top[4][3] = {{128, 128, 128}, {0, 0, 255}, {0, 255, 0}, {10, 200, 30}}; // grey blue green mixed
    std::vector<std::uint8_t> bgra;
    for (const auto* row : {bottom, top})
        for (int x = 0; x < 4; ++x)
            bgra.insert(bgra.end(), {static_cast<std::uint8_t>(row[x][2]), static_cast<std::uint8_t>(row[x][1]),
                                     static_cast<std::uint8_t>(row[x][0]), 0});
    std::vector<std::uint8_t> yuv(quor::capture::i420_bytes(4, 2));
    ASSERT_EQ(yuv.size(), 12u);
    quor::capture::bgra_to_i420(bgra.data(), 4, 2, yuv.data());

    for (int x = 0; x < 4; ++x) {
        EXPECT_NEAR(yuv[x], yuv709(top[x][0], top[x][1], top[x][2]).y, 1.0) << "top row first, pixel " << x;
        EXPECT_NEAR(yuv[4 + x], yuv709(bottom[x][0], bottom[x][1], bottom[x][2]).y, 1.0) << "pixel " << x;
    }
    EXPECT_EQ(yuv[4], 235) << "white";
    EXPECT_EQ(yuv[5], 16) << "black";
    for (int block = 0; block < 2; ++block) {
        double rgb[3] = {0, 0, 0};
        for (int x = 2 * block; x < 2 * block + 2; ++x)
            for (int c = 0; c < 3; ++c)
                rgb[c] += (top[x][c] + bottom[x][c]) / 4.0;
        const yuv709 mean(rgb[0], rgb[1], rgb[2]);
        EXPECT_NEAR(yuv[8 + block], mean.u, 1.0) << "block " << block;
        EXPECT_NEAR(yuv[10 + block], mean.v, 1.0) << "block " << block;
    }

    // Neutral colours keep neutral chroma; the extremes stay in the video range.
    for (std::uint8_t level : {0, 77, 255}) {
        const std::vector<std::uint8_t> grey(2 * 2 * 4, level);
        std::vector<std::uint8_t> g(quor::capture::i420_bytes(2, 2));
        quor::capture::bgra_to_i420(grey.data(), 2, 2, g.data());
        EXPECT_EQ(g[4], 128) << int(level);
        EXPECT_EQ(g[5], 128) << int(level);
    }
}

TEST(Outputs, RefusalsComeBeforeRenderingAndLeaveNothingBehind)
{
    const std::filesystem::path dir = ::testing::TempDir() + "capture-outputs-" + std::to_string(getpid());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);

    quor::capture::video_settings v;
    v.output = (dir / "new.mp4").string();
    quor::capture::ffmpeg_video fresh(v);
    EXPECT_TRUE(fresh.check()) << fresh.error();
    EXPECT_FALSE(std::filesystem::exists(v.output)) << "the check leaves no file";
    v.output = dir.string();
    quor::capture::ffmpeg_video folder(v);
    EXPECT_FALSE(folder.check());
    EXPECT_NE(folder.error().find("it is a folder"), std::string::npos) << folder.error();

    // A picture that cannot be written stops the sequence with the file's name and the reason.
    quor::capture::png_sequence pictures((dir / "pictures").string(), 4, 2);
    ASSERT_TRUE(pictures.check()) << pictures.error();
    const std::vector<std::uint8_t> bgra(4 * 2 * 4, 200);
    EXPECT_TRUE(pictures.write(bgra.data(), 0));
    std::filesystem::remove_all(dir / "pictures");
    EXPECT_FALSE(pictures.write(bgra.data(), 1));
    EXPECT_NE(pictures.error().find("frame_00001.png: No such file"), std::string::npos) << pictures.error();
    EXPECT_FALSE(pictures.finish());
    EXPECT_EQ(quor::capture::png_sequence::file_name(123456), "frame_123456.png");
    std::filesystem::remove_all(dir);
}

TEST(Progress, OneRewrittenLineOnATerminalAndPlainLinesInALog)
{
    std::ostringstream terminal, log;
    quor::capture::progress on_terminal(terminal, 100, true), in_log(log, 100, false);
    for (std::uint64_t f = 1; f <= 5; ++f) {
        on_terminal.frame(f, f / 60.0);
        in_log.frame(f, f / 60.0);
    }
    EXPECT_EQ(terminal.str(), "") << "nothing before the first interval has passed";
    EXPECT_EQ(log.str(), "");
    on_terminal.done(5, 5 / 60.0);
    in_log.done(5, 5 / 60.0);
    EXPECT_EQ(terminal.str().rfind("\rframe 5  demo time   0.08 s", 0), 0u) << terminal.str();
    EXPECT_EQ(terminal.str().back(), '\n');
    EXPECT_EQ(log.str().rfind("frame 5  demo time   0.08 s", 0), 0u) << log.str();
    EXPECT_EQ(log.str().find('\r'), std::string::npos);
    EXPECT_EQ(quor::capture::progress::line(30, 1891, 0.5, 61.04, 75.4),
              "frame 30/1891  demo time   0.50 s    61.0 fps  1:15 left");
}

// ---- Pictures of a real capture against the demo's own ----------------------------------------

// A folder with tesk.mem and demo.mp3 from this build's quor-mem, made on first use.
std::string data_folder()
{
    const std::string dir = std::string(QUOR_BIN_DIR) + "/../capture-test-data";
    if (!std::filesystem::exists(dir + "/tesk.mem")) {
        std::filesystem::create_directories(dir);
        const std::string command = std::string(QUOR_BIN_DIR) + "/quor-mem build --out " + dir + " >/dev/null";
        if (std::system(command.c_str()) != 0)
            return {};
    }
    return dir;
}

bool read_png(const std::string& path, std::vector<std::uint8_t>& rgb, int& width, int& height)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_RGB;
    width = static_cast<int>(image.width);
    height = static_cast<int>(image.height);
    rgb.resize(PNG_IMAGE_SIZE(image));
    // Bottom-up, as OpenGL reads pictures.
    return png_image_finish_read(&image, nullptr, rgb.data(), -width * 3, nullptr) != 0;
}

// Runs quor-capture over the test data into a fresh folder of PNGs; the folder, or empty.
std::string capture_pngs(const std::string& name, const std::string& arguments)
{
    const std::string data = data_folder();
    if (data.empty())
        return {};
    const std::string out = ::testing::TempDir() + name + "-" + std::to_string(getpid());
    std::filesystem::remove_all(out);
    const std::string command = std::string(QUOR_BIN_DIR) + "/quor-capture --data " + data + " --frames " + out +
                                " " + arguments + " 2>/dev/null";
    return std::system(command.c_str()) == 0 ? out : std::string();
}

TEST(CapturedPictures, ATwoSecondCaptureMatchesTheDemoAtTheSameDemoTimes)
{
    constexpr int w = 192, h = 108, fps = 15;
    const std::string out = capture_pngs("capture-frames", "--size 192x108 --fps 15 --from 21 --to 23 --msaa 1");
    ASSERT_FALSE(out.empty()) << "quor-capture failed";
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(out))
        files += entry.path().extension() == ".png";
    EXPECT_EQ(files, 30u);
    EXPECT_TRUE(std::filesystem::exists(out + "/audio.wav")) << "the music of the same stretch beside them";

    // The demo itself, in this process, driven through the frame to the same demo times.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const auto here = std::filesystem::current_path();
    std::filesystem::current_path(data_folder());
    system::offscreen_context context(w, h);
    ASSERT_TRUE(context.ok());
    system::creation_params params;
    system::create_engine(params);
    system::reshape(w, h);
    system::create_application(quor::demo::make_demo, &params);
    std::filesystem::current_path(here);

    for (std::uint64_t index : {0, 1, 17, 29}) {
        SCOPED_TRACE(index);
        static_cast<quor::demo::Demo*>(system::current_application())->show_time(21.0 + index / double(fps));
        ASSERT_TRUE(system::display());
        std::vector<std::uint8_t> live = context.read_pixels();

        std::vector<std::uint8_t> captured;
        int pw = 0, ph = 0;
        ASSERT_TRUE(read_png(out + "/" + quor::capture::png_sequence::file_name(index), captured, pw, ph));
        ASSERT_EQ(pw, w);
        ASSERT_EQ(ph, h);
        int differing = 0, lit = 0;
        for (std::size_t p = 0; p < static_cast<std::size_t>(w) * h; ++p) {
            for (int c = 0; c < 3; ++c) {
                const int a = live[4 * p + c], b = captured[3 * p + c];
                differing += std::abs(a - b) > 2;
                lit += b > 16;
            }
        }
        EXPECT_LE(differing, w * h * 3 / 1000) << "channels differing by more than 2";
        EXPECT_GT(lit, 100) << "the picture is not blank";
    }
    system::shutdown();
    std::filesystem::remove_all(out);
}

TEST(CapturedPictures, MultisamplingChangesOnlyPixelsAlongEdges)
{
    const std::string stretch = "--size 320x180 --from 26 --to 26.01";
    const std::string one = capture_pngs("msaa1", stretch + " --msaa 1");
    const std::string four = capture_pngs("msaa4", stretch); // 4 samples by default
    ASSERT_FALSE(one.empty() || four.empty()) << "quor-capture failed";
    std::vector<std::uint8_t> a, b;
    int w = 0, h = 0;
    ASSERT_TRUE(read_png(one + "/frame_00000.png", a, w, h));
    ASSERT_TRUE(read_png(four + "/frame_00000.png", b, w, h));
    auto at = [w](const std::vector<std::uint8_t>& p, int x, int y, int c) { return int(p[3 * (y * w + x) + c]); };
    // An edge: a neighbour that differs clearly in either picture (a strand thinner than a pixel
    // may show in one of them only).
    auto on_edge = [&](int x, int y) {
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                for (int c = 0; c < 3; ++c)
                    for (const auto* p : {&a, &b})
                        if (x + dx >= 0 && x + dx < w && y + dy >= 0 && y + dy < h &&
                            std::abs(at(*p, x + dx, y + dy, c) - at(*p, x, y, c)) > 12)
                            return true;
        return false;
    };
    int changed = 0, off_edges = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int most = 0;
            for (int c = 0; c < 3; ++c)
                most = std::max(most, std::abs(at(a, x, y, c) - at(b, x, y, c)));
            if (most > 6) {
                ++changed;
                off_edges += !on_edge(x, y);
            }
        }
    }
    EXPECT_GT(changed, w * h / 200) << "edges are smoothed";
    EXPECT_EQ(off_edges, 0) << "of " << changed << " changed pixels";
    std::filesystem::remove_all(one);
    std::filesystem::remove_all(four);
}

} // namespace
