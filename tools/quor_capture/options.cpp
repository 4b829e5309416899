// Option parsing through CLI11: it splits "--name=value" and "--name value" and finds unknown
// options; every value is then checked whole here ("60x" is not a rate), so that the capture
// itself never sees a size, rate or stretch it cannot use.
#include "options.h"

#include <CLI/CLI.hpp>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <numeric>
#include <vector>

#include "demo/data_layout.h"
#include "ffmpeg_video.h"
#include "version.h"

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

bool parse_int(const std::string& text, int low, int high, int& out)
{
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end == text.c_str() || *end != '\0' || v < low || v > high)
        return false;
    out = static_cast<int>(v);
    return true;
}

bool parse_seconds(const std::string& text, double& out)
{
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (errno != 0 || end == text.c_str() || *end != '\0' || !std::isfinite(v) || v < 0.0 || v > 3600.0)
        return false;
    out = v;
    return true;
}

// "WxH" with both sides even: the video's 4:2:0 chroma needs even sizes, and one rule for both
// outputs keeps a PNG sequence and a video of the same capture alike.
bool parse_size(const std::string& text, int& width, int& height)
{
    const std::size_t x = text.find('x');
    return x != std::string::npos && parse_int(text.substr(0, x), 2, 8192, width) &&
           parse_int(text.substr(x + 1), 2, 8192, height) && width % 2 == 0 && height % 2 == 0;
}

bool known_preset(const std::string& name)
{
    for (const char* p : {"ultrafast", "superfast", "veryfast", "faster", "fast", "medium", "slow", "slower",
                          "veryslow"})
        if (name == p)
            return true;
    return false;
}

// Digits only, at most nine of them: the fraction's parts stay far from overflow.
bool parse_digits(const std::string& text, std::int64_t& out)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    out = std::stoll(text);
    return true;
}

} // namespace

std::string frame_rate::text() const { return den == 1 ? std::to_string(num) : std::to_string(num) + "/" + std::to_string(den); }

bool parse_frame_rate(const std::string& text, frame_rate& out)
{
    std::int64_t num = 0, den = 1;
    const std::size_t slash = text.find('/'), dot = text.find('.');
    if (slash != std::string::npos) {
        if (!parse_digits(text.substr(0, slash), num) || !parse_digits(text.substr(slash + 1), den))
            return false;
    } else if (dot != std::string::npos) {
        const std::string decimals = text.substr(dot + 1);
        if (!parse_digits(text.substr(0, dot) + decimals, num) || decimals.empty() || decimals.size() > 6)
            return false;
        for (std::size_t i = 0; i < decimals.size(); ++i)
            den *= 10;
    } else if (!parse_digits(text, num)) {
        return false;
    }
    if (num == 0 || den == 0 || num > 1000 * den)
        return false;
    const std::int64_t g = std::gcd(num, den);
    out = {num / g, den / g};
    return true;
}

namespace {

// Values as typed; each is checked after the parse, so that the message can name it.
struct typed_values {
    std::string size, fps, from, to, msaa, crf, preset, benchmark;
};

void describe(CLI::App& app, options& o, typed_values& v)
{
    app.set_help_flag("--help,-h", "this text");
    app.set_version_flag("--version", std::string("quor-capture ") + QUOR_VERSION, "print the version and exit");
    app.allow_extras(); // reported as ours: "unknown option"
    app.add_option("--out", o.video, "write a video; its extension chooses the container")->type_name("FILE");
    app.add_option("--frames", o.frames_dir, "write a PNG sequence and audio.wav into DIR (created if missing)")
        ->type_name("DIR");
    app.add_option("--size", v.size, "picture size, even sides (default 1280x720)")->type_name("WxH");
    app.add_option("--fps", v.fps, "frames per second of demo time: 60 (default), 30000/1001, 29.97, ...")
        ->type_name("RATE");
    app.add_option("--from", v.from, "first frame at demo time S seconds (default 0)")->type_name("S");
    app.add_option("--to", v.to, "stop before demo time S (default: the end of the timeline and its countdown)")
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

// The first value that does not hold, as "bad value for NAME: 'VALUE'" and a hint; empty if all do.
std::string check_values(const CLI::App& app, const typed_values& v, options& o)
{
    auto given = [&app](const char* name) { return app.count(name) > 0; };
    auto bad = [](const std::string& name, const std::string& value, const std::string& hint = {}) {
        return "bad value for " + name + ": '" + value + "'" + (hint.empty() ? "" : " (" + hint + ")");
    };
    if (given("--out") && o.video.empty())
        return bad("--out", o.video);
    if (given("--frames") && o.frames_dir.empty())
        return bad("--frames", o.frames_dir);
    if (given("--data") && o.data_dir.empty())
        return bad("--data", o.data_dir);
    if (given("--size") && !parse_size(v.size, o.width, o.height))
        return bad("--size", v.size, "expected WxH, even sizes from 2 to 8192");
    if (given("--fps") && !parse_frame_rate(v.fps, o.fps))
        return bad("--fps", v.fps, "a rate above 0 and up to 1000, such as 60, 30000/1001 or 29.97");
    if (given("--from") && !parse_seconds(v.from, o.from))
        return bad("--from", v.from);
    if (given("--to") && !parse_seconds(v.to, o.to))
        return bad("--to", v.to);
    if (given("--msaa") && (!parse_int(v.msaa, 1, 16, o.msaa) || (o.msaa & (o.msaa - 1)) != 0))
        return bad("--msaa", v.msaa, "1, 2, 4, 8 or 16");
    if (given("--crf") && !parse_int(v.crf, 0, 63, o.crf))
        return bad("--crf", v.crf, "0 to 51 for H.264, 0 to 63 for VP9");
    if (given("--preset") && !known_preset(v.preset))
        return bad("--preset", v.preset, "ultrafast, superfast, veryfast, faster, fast, medium, slow, slower or veryslow");
    if (given("--preset"))
        o.preset = v.preset;
    if (given("--benchmark") && !parse_int(v.benchmark, 1, 1000000, o.benchmark))
        return bad("--benchmark", v.benchmark);
    return {};
}

} // namespace

std::string usage()
{
    options o;
    typed_values v;
    CLI::App app(description, "quor-capture");
    describe(app, o, v);
    return app.help();
}

bool parse_options(int argc, const char* const* argv, options& out, std::string& error)
{
    typed_values v;
    CLI::App app(description, "quor-capture");
    describe(app, out, v);
    std::vector<std::string> args(argv, argv + argc);
    std::reverse(args.begin(), args.end()); // CLI11 takes them last first
    try {
        app.parse(args);
    } catch (const CLI::CallForHelp&) {
        out.help = true;
        return true;
    } catch (const CLI::CallForVersion& e) {
        out.version = e.what();
        return true;
    } catch (const CLI::ArgumentMismatch& e) {
        // "--out: 1 required TEXT missing": the option name leads the message.
        const std::string what = e.what();
        error = what.substr(0, what.find(':')) + " needs a value";
        return false;
    } catch (const CLI::ParseError& e) {
        error = e.what();
        return false;
    }
    if (!app.remaining().empty()) {
        const std::string first = app.remaining().front();
        error = (first.rfind("-", 0) == 0 ? "unknown option " : "unexpected argument ") + first;
        return false;
    }
    error = check_values(app, v, out);
    if (!error.empty())
        return false;
    if (out.video.empty() == out.frames_dir.empty()) {
        error = out.video.empty() ? "nothing to write: give --out FILE or --frames DIR"
                                  : "--out and --frames cannot be used together";
        return false;
    }
    if (!out.video.empty() && out.crf >= 0) {
        const container c = container_of(out.video);
        if (highest_crf(c) < 0) {
            error = "--crf does not apply to a GIF";
            return false;
        }
        if (out.crf > highest_crf(c)) {
            error = "bad value for --crf: '" + v.crf + "' (0 to " + std::to_string(highest_crf(c)) + " for this container)";
            return false;
        }
    }
    if (out.from > demo::layout::timeline_end) {
        error = "--from " + v.from + " is past the end of the timeline (" +
                std::to_string(static_cast<int>(demo::layout::timeline_end)) + " s)";
        return false;
    }
    if (out.to >= 0.0 && out.to <= out.from) {
        error = "--to must be later than --from";
        return false;
    }
    return true;
}

} // namespace quor::capture
