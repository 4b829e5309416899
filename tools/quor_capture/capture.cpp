// One capture run: check the output, build the offscreen context, the engine and the demo, step
// the frames, read each picture back into a writer buffer, finish the output.
#include "capture.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <limits>
#include <memory>
#include <sstream>

#include "app/offscreen_context.h"
#include "app/report.h"
#include "app/step_counter.h"
#include "app/system.h"
#include "demo/data_layout.h"
#include "demo/demo.h"
#include "ffmpeg_video.h"
#include "frame_stepper.h"
#include "frame_writer.h"
#include "gl/api.h"
#include "png_sequence.h"
#include "progress.h"

namespace quor::capture {

namespace {

constexpr int countdown_frames = 30; // display callbacks from the exit request to the shutdown

// The factory has no context argument: the demo's counter is handed over here.
system::step_counter* demo_ticks = nullptr;
system::application* make_capture_demo(system::creation_params*) { return new demo::Demo(*demo_ticks); }

bool complain(const std::string& why)
{
    system::report(why);
    return false;
}

int refuse(const std::string& why)
{
    complain(why);
    return 1;
}

// The engine and the demo, loaded and started at tick 0, for frames of `w` x `h`. False when the
// demo refused its data, after saying why.
bool start_demo(system::step_counter& ticks, int w, int h)
{
    system::creation_params params;
    params.width = w;
    params.height = h;
    system::create_engine(params);
    system::reshape(w, h);
    demo_ticks = &ticks;
    return system::create_application(make_capture_demo, &params);
}

void read_picture(std::vector<std::uint8_t>& bgra, int w, int h)
{
    gl::api.PixelStorei(GL_PACK_ALIGNMENT, 4);
    gl::api.ReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, bgra.data());
}

// `start` is the demo time of the first picture, where the music must start too.
std::unique_ptr<frame_sink> make_sink(const options& o, double start)
{
    if (!o.frames_dir.empty())
        return std::make_unique<png_sequence>(o.frames_dir, o.width, o.height);
    video_settings v;
    v.output = o.video;
    v.width = o.width;
    v.height = o.height;
    v.fps = o.fps;
    v.preset = o.preset;
    // Like the demo, the music is taken from the current folder; without it the video is silent.
    if (access(demo::layout::music_file_name, R_OK) == 0) {
        char here[4096];
        v.music = std::string(getcwd(here, sizeof here) ? here : ".") + "/" + demo::layout::music_file_name;
        v.music_offset = start;
    }
    return std::make_unique<ffmpeg_video>(v);
}

struct stretch {
    std::uint64_t first;
    std::uint64_t end;
};

bool select_frames(const options& o, stretch& s)
{
    s.first = frame_index(o.from, o.fps);
    s.end = o.to >= 0.0 ? frame_index(o.to, o.fps) : std::numeric_limits<std::uint64_t>::max();
    return s.end > s.first;
}

// Steps the started demo and captures frames until the stretch or the timeline ends, or the
// sink fails; the frame is shut down afterwards.
bool capture_frames(const options& o, const stretch& s, system::step_counter& ticks, frame_sink& sink,
                    progress* report, std::uint64_t& frames)
{
    frame_stepper stepper(ticks, s.first, s.end);
    frame_writer writer(sink, static_cast<std::size_t>(o.width) * o.height * 4);
    double demo_time = 0.0;
    while (stepper.next()) {
        std::vector<std::uint8_t>* picture = writer.acquire();
        if (!picture)
            break;
        read_picture(*picture, o.width, o.height);
        writer.submit(picture);
        ++frames;
        demo_time = static_cast<double>(stepper.frame()) / o.fps;
        if (report)
            report->frame(frames, demo_time);
    }
    if (!stepper.ended())
        system::shutdown();
    const bool ok = writer.finish();
    if (report)
        report->done(frames, demo_time);
    return ok;
}

// What a pass needs before the demo starts: the frames selected, the output checked, the
// offscreen context current.
struct session {
    stretch frames;
    std::unique_ptr<frame_sink> sink;
    std::unique_ptr<system::offscreen_context> context;
};

// False, after saying why, when the pass cannot start.
bool prepare(const options& o, session& s)
{
    if (!select_frames(o, s.frames))
        return complain("--from and --to select no frame at this rate");
    s.sink = make_sink(o, static_cast<double>(s.frames.first) / o.fps);
    if (!s.sink->check())
        return complain(s.sink->error());
    s.context = std::make_unique<system::offscreen_context>(o.width, o.height);
    return s.context->ok(); // the context says why it failed
}

// Starts the output once the demo is loaded; on a failure the frame is shut down.
bool open_output(frame_sink& sink)
{
    if (sink.open())
        return true;
    system::shutdown();
    return complain(sink.error());
}

// Wall and processor time of one benchmark pass, the encoder process's included.
struct pass_figures {
    std::uint64_t frames = 0;
    double seconds = 0.0;
    double cpu_seconds = 0.0;
    double rate() const { return seconds > 0.0 ? frames / seconds : 0.0; }
    double cpu_ms() const { return frames > 0 ? 1000.0 * cpu_seconds / frames : 0.0; }
    void keep_best(const pass_figures& p)
    {
        if (frames == 0 || p.rate() > rate())
            *this = p;
    }
};

class pass_meter {
public:
    pass_meter() : wall(std::chrono::steady_clock::now()), cpu(cpu_now()) {}
    pass_figures stop(std::uint64_t frames) const
    {
        return {frames, std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count(),
                cpu_now() - cpu};
    }

private:
    static double cpu_now()
    {
        double total = 0.0;
        for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
            rusage u{};
            getrusage(who, &u);
            total += u.ru_utime.tv_sec + u.ru_stime.tv_sec + 1e-6 * (u.ru_utime.tv_usec + u.ru_stime.tv_usec);
        }
        return total;
    }
    std::chrono::steady_clock::time_point wall;
    double cpu;
};

} // namespace

std::uint64_t timeline_frames(int fps)
{
    std::uint64_t k = static_cast<std::uint64_t>(demo::layout::timeline_end) * static_cast<std::uint64_t>(fps);
    while (static_cast<double>(static_cast<float>(static_cast<long double>(k) / fps)) <= demo::layout::timeline_end)
        ++k;
    return k + countdown_frames;
}

int run(const options& o)
{
    session run;
    if (!prepare(o, run))
        return 1;
    system::step_counter ticks(static_cast<std::uint64_t>(o.fps));
    if (!start_demo(ticks, o.width, o.height) || !open_output(*run.sink))
        return 1;
    const std::uint64_t last = std::min(run.frames.end, timeline_frames(o.fps));
    progress report(std::cerr, last > run.frames.first ? last - run.frames.first : 0, isatty(STDERR_FILENO) != 0);
    std::uint64_t frames = 0;
    if (!capture_frames(o, run.frames, ticks, *run.sink, &report, frames))
        return refuse(run.sink->error());
    std::ostringstream done;
    done << "wrote " << frames << " frames (" << static_cast<double>(frames) / o.fps << " s) to "
         << (o.video.empty() ? o.frames_dir : o.video);
    system::report(done.str());
    return 0;
}

int benchmark(const options& o)
{
    options b = o;
    b.to = o.from + static_cast<double>(o.benchmark) / o.fps;
    session run;
    if (!prepare(b, run))
        return 1;
    const stretch& s = run.frames;

    // Passes alternate so that a machine busy with other work slows both alike; the best
    // pass of each kind is the one least disturbed.
    constexpr int rounds = 2;
    pass_figures live, captured;
    for (int round = 0; round < rounds; ++round) {
        // Live: the frames as the demo draws them, each finished before the next as a buffer
        // swap would have it; nothing is read back.
        system::step_counter ticks(static_cast<std::uint64_t>(o.fps));
        if (!start_demo(ticks, o.width, o.height))
            return 1;
        frame_stepper stepper(ticks, s.first, s.end);
        pass_meter live_meter;
        std::uint64_t frames = 0;
        while (stepper.next()) {
            gl::api.Finish();
            ++frames;
        }
        if (!stepper.ended())
            system::shutdown();
        live.keep_best(live_meter.stop(frames));

        system::step_counter capture_ticks(static_cast<std::uint64_t>(o.fps));
        if (!start_demo(capture_ticks, o.width, o.height) || !open_output(*run.sink))
            return 1;
        pass_meter capture_meter;
        std::uint64_t frames_captured = 0;
        if (!capture_frames(b, s, capture_ticks, *run.sink, nullptr, frames_captured))
            return refuse(run.sink->error());
        captured.keep_best(capture_meter.stop(frames_captured));
    }

    std::printf("%dx%d, %llu frames from %.2f s, best of %d passes each\n", o.width, o.height,
                static_cast<unsigned long long>(live.frames), o.from, rounds);
    std::printf("live     %8.1f fps  %6.1f ms CPU a frame\n", live.rate(), live.cpu_ms());
    std::printf("capture  %8.1f fps  %6.1f ms CPU a frame (encoder included)  %.2f of live, to %s\n",
                captured.rate(), captured.cpu_ms(), captured.rate() / live.rate(),
                o.video.empty() ? "png" : "video");
    return 0;
}

} // namespace quor::capture
