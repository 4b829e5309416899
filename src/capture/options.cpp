// Option parsing through the programs' command-line layer: it splits "--name=value" and "--name
// value", finds unknown options and checks sizes, rates and seconds whole with the shared
// validators; what only the capture knows (the other values, how they go together) is checked
// here, so that the capture itself never sees a size, rate or stretch it cannot use.
#include "capture/options.h"

#include <charconv>
#include <cmath>

#include "app/command_line.h"
#include "capture/ffmpeg_video.h"
#include "demo/data_layout.h"

namespace quor::capture {

namespace {

constexpr const char* description =
    "quor-capture (--out FILE | --frames DIR) [options]\n"
    "Renders the demo's timeline offscreen, each frame at its exact demo time, and writes it as a\n"
    "video with the music (through the ffmpeg program; the container follows the extension: .mp4\n"
    "and .mkv H.264 + AAC, .webm VP9 + Opus, .gif with a palette a picture, no sound and at most 50 frames a second) or as PNG\n"
    "images frame_00000.png, frame_00001.png, ... with the music of the same stretch in audio.wav.\n"
    "The data files (tesk.mem, demo.mp3) are found as the demo finds them: run it from the data\n"
    "folder or give --data.";

// Sizes: the video's 4:2:0 chroma needs even sides, and one rule for both outputs keeps a PNG
// sequence and a video of the same capture alike.
constexpr int smallest_side = 2;
constexpr int largest_side = 8192;
constexpr double longest_time = 3600.0;

bool parse_int(const std::string& text, int low, int high, int& out)
{
    int v = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (error != std::errc() || end != text.data() + text.size() || text.empty() || v < low || v > high)
        return false;
    out = v;
    return true;
}

bool known_preset(const std::string& name)
{
    for (const char* p : {"ultrafast", "superfast", "veryfast", "faster", "fast", "medium", "slow", "slower",
                          "veryslow"})
        if (name == p)
            return true;
    return false;
}

// Values as typed: sizes, rates and seconds are checked by the parse, the rest after it, so
// that the message can name each.
struct typed_values {
    std::string size, fps, from, to, msaa, crf, preset, benchmark;
};

void describe(CLI::App& app, options& o, typed_values& v)
{
    app.add_option("--out", o.video, "write a video; its extension chooses the container")->type_name("FILE");
    app.add_option("--frames", o.frames_dir, "write a PNG sequence and audio.wav into DIR (created if missing)")
        ->type_name("DIR");
    app.add_option("--size", v.size, "picture size, even sides (default 1280x720)")
        ->check(system::size_check(smallest_side, largest_side, true))
        ->type_name("WxH");
    app.add_option("--fps", v.fps, "frames per second of demo time: 60 (default), 30000/1001, 29.97, ...")
        ->check(system::rate_check())
        ->type_name("RATE");
    app.add_option("--from,--start", v.from, "first frame at demo time S seconds (default 0); --start as the player says it")
        ->check(system::seconds_check(longest_time))
        ->type_name("S");
    app.add_option("--to", v.to, "stop before demo time S (default: the end of the timeline and its countdown)")
        ->check(system::seconds_check(longest_time))
        ->type_name("S");
    app.add_option("--msaa", v.msaa, "samples a pixel: 1 (no anti-aliasing), 2, 4 (default), 8 or 16")
        ->type_name("N");
    app.add_option("--crf", v.crf, "video quality, lower is better: 0-51 for H.264 (default 18), 0-63 for VP9 "
                                   "(default 32); not for .gif")
        ->type_name("N");
    app.add_option("--preset", v.preset, "H.264 encoder preset, ultrafast (default) to veryslow: slower presets "
                                         "take more time and make smaller files")
        ->type_name("NAME");
    app.add_option("--data", o.data_dir, "change to DIR before loading the data files")->type_name("DIR");
    app.add_option("--benchmark", v.benchmark, "time N frames drawn live (no read-back) and N captured, print "
                                               "both rates")
        ->type_name("N");
}

// The first value that does not hold, as the option's name and why; an empty name if all hold.
std::pair<std::string, std::string> check_values(const CLI::App& app, const typed_values& v, options& o)
{
    auto given = [&app](const char* name) { return app.count(name) > 0; };
    auto bad = [](const std::string& name, const std::string& value, const std::string& expected) {
        return std::pair(name, "'" + value + "' is not " + expected);
    };
    if (given("--out") && o.video.empty())
        return bad("--out", o.video, "a file name");
    if (given("--frames") && o.frames_dir.empty())
        return bad("--frames", o.frames_dir, "a folder name");
    if (given("--data") && o.data_dir.empty())
        return bad("--data", o.data_dir, "a folder name");
    if (given("--size"))
        system::parse_size(v.size, smallest_side, largest_side, true, o.width, o.height);
    if (given("--fps"))
        parse_frame_rate(v.fps, o.fps);
    if (given("--from"))
        system::parse_seconds(v.from, longest_time, o.from);
    if (given("--to"))
        system::parse_seconds(v.to, longest_time, o.to);
    if (given("--msaa") && (!parse_int(v.msaa, 1, 16, o.msaa) || (o.msaa & (o.msaa - 1)) != 0))
        return bad("--msaa", v.msaa, "1, 2, 4, 8 or 16");
    if (given("--crf") && !parse_int(v.crf, 0, 63, o.crf))
        return bad("--crf", v.crf, "from 0 to 51 for H.264, 0 to 63 for VP9");
    if (given("--preset") && !known_preset(v.preset))
        return bad("--preset", v.preset,
                   "ultrafast, superfast, veryfast, faster, fast, medium, slow, slower or veryslow");
    if (given("--preset"))
        o.preset = v.preset;
    if (given("--benchmark") && !parse_int(v.benchmark, 1, 1000000, o.benchmark))
        return bad("--benchmark", v.benchmark, "a count of frames from 1 to 1000000");
    return {};
}

} // namespace

system::parse_outcome parse_options(int argc, const char* const* argv, options& out)
{
    typed_values v;
    system::command_line line("quor-capture", description);
    describe(line.app(), out, v);
    if (system::parse_outcome parsed = line.parse(argc, argv); !parsed.run)
        return parsed;
    if (const auto [what, why] = check_values(line.app(), v, out); !what.empty())
        return line.refuse(what, why);
    if (out.video.empty() && out.frames_dir.empty())
        return line.refuse("--out or --frames", "nothing to write: give --out FILE or --frames DIR");
    if (!out.video.empty() && !out.frames_dir.empty())
        return line.refuse("--frames", "cannot be used with --out");
    if (!out.video.empty() && out.crf >= 0) {
        const container c = container_of(out.video);
        if (highest_crf(c) < 0)
            return line.refuse("--crf", "does not apply to a GIF");
        if (out.crf > highest_crf(c))
            return line.refuse("--crf", "'" + v.crf + "' is not from 0 to " + std::to_string(highest_crf(c)) +
                                            " for this container");
    }
    if (out.from > demo::layout::timeline_end)
        return line.refuse("--from", v.from + " is past the end of the timeline (" +
                                         std::to_string(static_cast<int>(demo::layout::timeline_end)) + " s)");
    if (out.to >= 0.0 && out.to <= out.from)
        return line.refuse("--to", "must be later than --from");
    return {};
}

} // namespace quor::capture
