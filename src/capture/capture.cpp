// One capture run: check the output, build the offscreen context, the engine and
// the demo, step the frames at their exact times, resolve and read each picture back into a
// writer buffer, finish the output (and the sound of a PNG sequence).
#include "capture/capture.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <limits>
#include <memory>
#include <sstream>

#include "app/offscreen_context.h"
#include "app/player_options.h"
#include "app/report.h"
#include "app/system.h"
#include "capture/ffmpeg_video.h"
#include "capture/frame_stepper.h"
#include "capture/frame_writer.h"
#include "capture/music_track.h"
#include "capture/png_sequence.h"
#include "capture/progress.h"
#include "demo/data_layout.h"
#include "demo/demo.h"
#include "gl/api.h"
#include "platform/interrupt.h"
#include "platform/process.h"

namespace quor::capture {

namespace {

constexpr const char* wav_name = "audio.wav"; // beside a PNG sequence

// Our line; after a line break, the last words of the program that failed (ffmpeg), quoted on a
// line of their own.
bool complain(const std::string& why)
{
    const std::size_t line_break = why.find('\n');
    system::report(why.substr(0, line_break));
    if (line_break != std::string::npos)
        std::cerr << system::printable(why.substr(line_break + 1), std::string::npos) << std::endl;
    return false;
}

int refuse(const std::string& why)
{
    complain(why);
    return 1;
}

// The engine and the demo, loaded and started, for frames of `w` x `h` at `rate`. The exit
// countdown is made to outlast the capture's own end, which comes after the same demo time
// whatever the rate. The demo plays no music: the capture's sound is decoded from the track for
// its own stretch, and a second decoder on a thread of its own would only talk on stderr about a
// damaged one. False when the demo refused its data, after saying why.
bool start_demo(int w, int h, frame_rate rate)
{
    system::player_options muted;
    muted.mute = true;
    system::creation_params params;
    params.options = &muted;
    params.width = w;
    params.height = h;
    system::create_engine(params);
    system::reshape(w, h);
    system::set_countdown_frames(countdown_frames(rate));
    return system::create_application(demo::make_demo, &params);
}

void show_time(double seconds) { static_cast<demo::Demo*>(system::current_application())->show_time(seconds); }

void read_picture(const system::offscreen_context& context, std::vector<std::uint8_t>& bgra, int w, int h)
{
    context.resolve();
    gl::api.PixelStorei(GL_PACK_ALIGNMENT, 4);
    gl::api.ReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, bgra.data());
}

// The music the started demo plays, found beside its data file; empty when the output has no
// sound or, with `why` set, when the track cannot be used.
std::string usable_music(const options& o, std::string& why)
{
    if (o.frames_dir.empty() && container_of(o.video) == container::gif)
        return {};
    const std::string& music = static_cast<demo::Demo*>(system::current_application())->music_file;
    if (!music_readable(music, why))
        return {};
    const std::string here = platform::current_folder();
    return music[0] == '/' ? music : (here.empty() ? "." : here) + "/" + music;
}

std::unique_ptr<frame_sink> make_sink(const options& o)
{
    if (!o.frames_dir.empty())
        return std::make_unique<png_sequence>(o.frames_dir, o.width, o.height);
    video_settings v;
    v.output = o.video;
    v.width = o.width;
    v.height = o.height;
    v.fps = o.fps;
    v.preset = o.preset;
    v.crf = o.crf;
    return std::make_unique<ffmpeg_video>(v);
}

// The stretch of demo time to capture: frames from `from` on, before `to`, up to the end.
struct stretch {
    double from;
    double to;
    double last;
};

stretch select_frames(const options& o)
{
    return {o.from, o.to >= 0.0 ? o.to : std::numeric_limits<double>::infinity(), capture_end()};
}

// Steps the started demo and captures frames until the stretch or the timeline ends, the sink
// fails or a termination signal comes; the frame is shut down afterwards.
bool capture_frames(const options& o, const stretch& s, const system::offscreen_context& context, frame_sink& sink,
                    progress* report, std::uint64_t& frames)
{
    frame_stepper stepper(show_time, s.from, o.fps, s.to, s.last);
    frame_writer writer(sink, static_cast<std::size_t>(o.width) * o.height * 4);
    double demo_time = 0.0;
    while (!platform::interruption() && stepper.next()) {
        std::vector<std::uint8_t>* picture = writer.acquire();
        if (!picture)
            break;
        read_picture(context, *picture, o.width, o.height);
        writer.submit(picture);
        ++frames;
        demo_time = stepper.time();
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
    std::string music;
    bool music_known = false;
    std::unique_ptr<frame_sink> sink;
    std::unique_ptr<system::offscreen_context> context;
};

// False, after saying why, when the pass cannot start.
bool prepare(const options& o, session& s)
{
    s.frames = select_frames(o);
    if (frame_stepper::count(s.frames.from, o.fps, s.frames.to, s.frames.last) == 0)
        return complain("--from and --to select no frame at this rate");
    s.sink = make_sink(o);
    if (!s.sink->check())
        return complain(s.sink->error());
    s.context = std::make_unique<system::offscreen_context>(o.width, o.height,
                                                            system::offscreen_context::target::automatic, o.msaa);
    return s.context->ok(); // the context says why it failed
}

// Starts the output once the demo is loaded, a video with the music from the first picture on;
// on a failure the frame is shut down.
bool open_output(const options& o, session& s)
{
    if (!s.music_known) {
        std::string why;
        s.music = usable_music(o, why);
        s.music_known = true;
        // One line, and the capture goes on without sound.
        if (!why.empty())
            system::report(std::string("warning: ") + demo::layout::music_file_name,
                           why + "; the " + (o.frames_dir.empty() ? "video is made" : "pictures are written") +
                               " without sound");
    }
    auto* video = dynamic_cast<ffmpeg_video*>(s.sink.get());
    if (video && !s.music.empty())
        video->set_music(s.music, s.frames.from,
                         o.fps.seconds(frame_stepper::count(s.frames.from, o.fps, s.frames.to, s.frames.last)));
    if (s.sink->open())
        return true;
    system::shutdown();
    return complain(s.sink->error());
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
    pass_meter() : wall(std::chrono::steady_clock::now()), cpu(platform::processor_seconds()) {}
    pass_figures stop(std::uint64_t frames) const
    {
        return {frames, std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count(),
                platform::processor_seconds() - cpu};
    }

private:
    std::chrono::steady_clock::time_point wall;
    double cpu;
};

} // namespace

int run(const options& o)
{
    session run;
    if (!prepare(o, run))
        return 1;
    if (!start_demo(o.width, o.height, o.fps) || !open_output(o, run))
        return 1;
    const std::uint64_t total = frame_stepper::count(run.frames.from, o.fps, run.frames.to, run.frames.last);
    progress report(std::cerr, total, platform::errors_to_terminal());
    std::uint64_t frames = 0;
    const bool captured = capture_frames(o, run.frames, *run.context, *run.sink, &report, frames);
    // Not committed: the sink removes its incomplete video; the pictures written are whole.
    if (const int signal = platform::interruption()) {
        system::report(std::string("interrupted by ") + platform::signal_name(signal) + " after " +
                           std::to_string(frames) + " frames",
                       o.video.empty() ? "the pictures in " + o.frames_dir + " stop there"
                                       : "nothing written to " + o.video);
        return 128 + signal;
    }
    if (!captured || !run.sink->commit())
        return refuse(run.sink->error());
    const double seconds = o.fps.seconds(frames);
    if (!o.frames_dir.empty() && !run.music.empty()) {
        std::string error;
        if (!write_music_stretch(run.music, o.frames_dir + "/" + wav_name, run.frames.from, seconds, error))
            return refuse(error);
    }
    std::ostringstream done;
    done << "wrote " << frames << " frames (" << seconds << " s) to " << (o.video.empty() ? o.frames_dir : o.video);
    system::report(done.str());
    return 0;
}

int benchmark(const options& o)
{
    options b = o;
    b.to = o.from + o.fps.seconds(static_cast<std::uint64_t>(o.benchmark));
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
        if (!start_demo(o.width, o.height, o.fps))
            return 1;
        frame_stepper stepper(show_time, s.from, o.fps, s.to, s.last);
        pass_meter live_meter;
        std::uint64_t frames = 0;
        while (stepper.next()) {
            gl::api.Finish();
            ++frames;
        }
        if (!stepper.ended())
            system::shutdown();
        live.keep_best(live_meter.stop(frames));

        if (!start_demo(o.width, o.height, o.fps) || !open_output(b, run))
            return 1;
        pass_meter capture_meter;
        std::uint64_t frames_captured = 0;
        if (!capture_frames(b, s, *run.context, *run.sink, nullptr, frames_captured) || !run.sink->commit())
            return refuse(run.sink->error());
        captured.keep_best(capture_meter.stop(frames_captured));
    }

    std::printf("%dx%d, %llu frames from %.2f s, samples a pixel: %d, best of %d passes each\n", o.width, o.height,
                static_cast<unsigned long long>(live.frames), o.from, o.msaa, rounds);
    std::printf("live     %8.1f fps  %6.1f ms CPU a frame\n", live.rate(), live.cpu_ms());
    std::printf("capture  %8.1f fps  %6.1f ms CPU a frame (encoder included)  %.2f of live, to %s\n",
                captured.rate(), captured.cpu_ms(), captured.rate() / live.rate(),
                o.video.empty() ? "png" : "video");
    return 0;
}

} // namespace quor::capture
