// The capture's fixed step (demo time and animation frame of every frame, the jump to a later
// start, the frame count of a whole timeline), its writer thread, its options, and its pictures
// against the demo's own at the same demo time.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <mutex>
#include <sstream>
#include <thread>

#include "anim/record.h"
#include "app/clock.h"
#include "app/offscreen_context.h"
#include "app/step_counter.h"
#include "app/system.h"
#include "capture.h"
#include "demo/data_layout.h"
#include "demo/demo.h"
#include "ffmpeg_video.h"
#include "frame_stepper.h"
#include "frame_writer.h"
#include "cerr_capture.h"
#include "gl_recorder.h"
#include "options.h"
#include "png_sequence.h"
#include "progress.h"
#include "yuv_picture.h"

namespace {

namespace layout = quor::demo::layout;
namespace system = quor::system;
using quor::capture::frame_stepper;

constexpr std::uint64_t no_end = std::numeric_limits<std::uint64_t>::max();

// The time the clock shows at tick k of a counter running at `fps`.
float tick_time(std::uint64_t k, int fps) { return static_cast<float>(static_cast<double>(k) / fps); }

// The demo's timeline rules on a clock of its own, without a scene: what the frame sees.
struct timeline_app final : system::application {
    explicit timeline_app(system::counter& c) : clock(c) {}
    bool init() override
    {
        clock.start();
        return true;
    }
    void frame() override
    {
        seen.push_back(clock.time());
        if (clock.time() > layout::timeline_end)
            system::request_exit();
        clock.update();
    }
    system::clock clock;
    std::vector<float> seen;
};

// The demo over a data block made here (constant records, zero geometry and textures), so that
// its frames run without data files; records the time and animation frame of every frame.
struct blank_demo final : system::application {
    explicit blank_demo(system::counter& c) : demo(c) {}
    bool init() override
    {
        std::vector<char> records;
        for (int channel = 0; channel < 27; ++channel)
            quor::record::write_constant_channel(records, channel % 9 >= 6 ? 1.0f : 0.0f);
        const std::size_t size = layout::scene_section.offset + records.size();
        std::unique_ptr<char[]> block(new char[layout::block_size]);
        std::memset(block.get(), 0, size);
        std::memcpy(block.get() + layout::scene_section.offset, records.data(), records.size());
        quor::test::cerr_capture quiet; // no texture names behind no-op GL calls
        const bool built = demo.scene.build(std::move(block), size);
        EXPECT_TRUE(built);
        demo.clock.start();
        return built;
    }
    void frame() override
    {
        times.push_back(demo.clock.time());
        demo.frame();
        frames.push_back(static_cast<std::size_t>(demo.scene.meshes[0]->frame()));
    }
    quor::demo::Demo demo;
    std::vector<float> times;
    std::vector<std::size_t> frames;
};

system::counter* factory_counter = nullptr;
template <class App>
system::application* make(system::creation_params*)
{
    return new App(*factory_counter);
}

// Runs the engine with `App` behind a table of no-op GL calls.
template <class App>
class stepped_run {
public:
    explicit stepped_run(int fps) : ticks(static_cast<std::uint64_t>(fps))
    {
        quor::gl::api = quor::test::null_api();
        system::creation_params params;
        system::create_engine(params);
        system::reshape(320, 180);
        factory_counter = &ticks;
        system::create_application(make<App>, &params);
    }
    ~stepped_run()
    {
        system::shutdown();
        quor::gl::api = previous;
    }
    App& app() { return *static_cast<App*>(system::current_application()); }

    quor::gl::api_table previous = quor::gl::api;
    system::step_counter ticks;
};

TEST(FixedStep, EveryFrameOfAWholeTimelineShowsItsOwnTick)
{
    for (int fps : {60, 24, 25}) {
        SCOPED_TRACE(fps);
        stepped_run<timeline_app> run(fps);
        const timeline_app& app = run.app();
        std::vector<float> seen;
        frame_stepper stepper(run.ticks, 0, no_end);
        std::uint64_t expected = 0;
        while (stepper.next()) {
            ASSERT_EQ(stepper.frame(), expected++);
            seen = app.seen; // the application goes with the shutdown
        }
        EXPECT_TRUE(stepper.ended()) << "ends with the exit countdown";
        ASSERT_EQ(seen.size(), quor::capture::timeline_frames(fps));
        for (std::uint64_t k = 0; k < seen.size(); ++k)
            ASSERT_EQ(seen[k], tick_time(k, fps)) << "frame " << k;
        const std::uint64_t request = seen.size() - 30;
        EXPECT_GT(seen[request], 31.0f) << "the exit is requested by the first frame past 31 s";
        EXPECT_LE(seen[request - 1], 31.0f);
    }
}

TEST(FixedStep, DemoFramesShowTheTimelinesAnimationFrame)
{
    constexpr int fps = 60;
    stepped_run<blank_demo> run(fps);
    const blank_demo& app = run.app();
    // A stretch across the switch from the loop to the run, reached by one jump.
    const std::uint64_t first = quor::capture::frame_index(20.5, fps);
    const std::uint64_t end = quor::capture::frame_index(21.5, fps);
    frame_stepper stepper(run.ticks, first, end);
    std::uint64_t kept = 0;
    while (stepper.next())
        ++kept;
    EXPECT_FALSE(stepper.ended());
    EXPECT_FALSE(system::exit_requested());
    ASSERT_EQ(kept, end - first);
    ASSERT_EQ(app.times.size(), kept + 1) << "one frame at time 0 before the jump";
    EXPECT_EQ(app.times[0], 0.0f);
    EXPECT_EQ(app.frames[0], 0u);
    for (std::uint64_t i = 1; i <= kept; ++i) {
        const std::uint64_t k = first + i - 1;
        ASSERT_EQ(app.times[i], tick_time(k, fps)) << "frame " << k;
        ASSERT_EQ(app.frames[i], layout::frame_at(tick_time(k, fps))) << "frame " << k;
    }
    EXPECT_EQ(app.frames[1], 30u) << "20.5 s: 615 mod 39";
    // 1232 / 60 is just below 616 / 30 in single precision: the demo shows 615 mod 39 there.
    EXPECT_EQ(app.frames[1 + 1232 - first], 30u);
    EXPECT_EQ(app.frames[31], 39u) << "21 s: the run starts";
    EXPECT_EQ(app.frames[60], 53u) << "21.4833 s";
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

TEST(Options, DefaultsAndValues)
{
    quor::capture::options o;
    std::string error;
    const char* args[] = {"--out", "v.mp4", "--size", "640x360", "--fps", "30", "--from", "2.5", "--to", "4",
                          "--data", "d", "--preset", "veryfast"};
    ASSERT_TRUE(quor::capture::parse_options(14, args, o, error)) << error;
    EXPECT_EQ(o.video, "v.mp4");
    EXPECT_EQ(o.width, 640);
    EXPECT_EQ(o.height, 360);
    EXPECT_EQ(o.fps, 30);
    EXPECT_EQ(o.from, 2.5);
    EXPECT_EQ(o.to, 4.0);
    EXPECT_EQ(o.data_dir, "d");
    EXPECT_EQ(o.preset, "veryfast");

    quor::capture::options d;
    const char* frames[] = {"--frames", "f"};
    ASSERT_TRUE(quor::capture::parse_options(2, frames, d, error)) << error;
    EXPECT_EQ(d.width, 1280);
    EXPECT_EQ(d.height, 720);
    EXPECT_EQ(d.fps, 60);
    EXPECT_EQ(d.from, 0.0);
    EXPECT_LT(d.to, 0.0) << "to the end of the timeline";
}

TEST(Options, BadArgumentsAreRefusedWithTheReason)
{
    const std::vector<std::pair<std::vector<const char*>, std::string>> cases = {
        {{}, "nothing to write"},
        {{"--out", "a.mp4", "--frames", "f"}, "cannot be used together"},
        {{"--out", "a.mp4", "--size", "1280x"}, "--size"},
        {{"--out", "a.mp4", "--size", "1281x720"}, "even"},
        {{"--out", "a.mp4", "--size", "0x720"}, "--size"},
        {{"--out", "a.mp4", "--fps", "60x"}, "--fps"},
        {{"--out", "a.mp4", "--fps", "0"}, "--fps"},
        {{"--out", "a.mp4", "--from", "-1"}, "--from"},
        {{"--out", "a.mp4", "--from", "nan"}, "--from"},
        {{"--out", "a.mp4", "--from", "5", "--to", "5"}, "later than"},
        {{"--out", "a.mp4", "--preset", "quick"}, "--preset"},
        {{"--out"}, "needs a value"},
        {{"--out", "a.mp4", "--loud"}, "unknown option --loud"},
    };
    for (const auto& [args, reason] : cases) {
        quor::capture::options o;
        std::string error;
        EXPECT_FALSE(quor::capture::parse_options(static_cast<int>(args.size()), args.data(), o, error)) << reason;
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    }
}

TEST(FfmpegArguments, MusicStartsAtTheCapturesFirstFrameAndLastsAsLongAsThePictures)
{
    quor::capture::video_settings s;
    s.output = "/o/v.mp4";
    s.width = 640;
    s.height = 360;
    s.fps = 30;
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

    s.music.clear();
    const auto silent = quor::capture::ffmpeg_arguments(s);
    EXPECT_EQ(std::find(silent.begin(), silent.end(), "1:a"), silent.end());
    EXPECT_EQ(std::find(silent.begin(), silent.end(), "-ss"), silent.end());
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

TEST(CapturedPictures, ATwoSecondCaptureMatchesTheDemoAtTheSameDemoTimes)
{
    const std::string data = data_folder();
    ASSERT_FALSE(data.empty()) << "quor-mem could not build the data";
    const std::string out = ::testing::TempDir() + "capture-frames-" + std::to_string(getpid());
    std::filesystem::remove_all(out);
    constexpr int w = 192, h = 108, fps = 15;
    const std::string command = std::string(QUOR_BIN_DIR) + "/quor-capture --data " + data + " --frames " + out +
                                " --size 192x108 --fps 15 --from 21 --to 23 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;

    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(out))
        ++files;
    EXPECT_EQ(files, 30u);

    // The demo itself, in this process, driven through the frame to the same demo times.
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    const auto here = std::filesystem::current_path();
    std::filesystem::current_path(data);
    system::offscreen_context context(w, h);
    ASSERT_TRUE(context.ok());
    system::step_counter ticks(fps);
    system::creation_params params;
    system::create_engine(params);
    system::reshape(w, h);
    factory_counter = &ticks;
    system::create_application(
        [](system::creation_params*) -> system::application* { return new quor::demo::Demo(*factory_counter); },
        &params);
    std::filesystem::current_path(here);

    for (std::uint64_t index : {0, 1, 17, 29}) {
        SCOPED_TRACE(index);
        // A frame whose closing update jumps to the wanted tick, then the frame at that tick.
        ticks.set(21 * fps + index);
        ASSERT_TRUE(system::display());
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

} // namespace
