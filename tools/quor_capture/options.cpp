// Option parsing: every value is checked whole ("60x" is not a rate), ranges are checked here
// so that the capture itself never sees a size or rate it cannot use.
#include "options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace quor::capture {

const char* const usage =
    "usage: quor-capture (--out FILE.mp4 | --frames DIR) [options]\n"
    "Renders the demo's timeline offscreen at a fixed step and writes it as a video with the music\n"
    "(H.264 + AAC through the ffmpeg program) or as PNG images frame_00000.png, frame_00001.png, ...\n"
    "The data files (tesk.mem, demo.mp3) are found as the demo finds them: run it from the data folder.\n"
    "  --out FILE       write a video (mp4 or anything ffmpeg can mux H.264 and AAC into)\n"
    "  --frames DIR     write a PNG sequence into DIR (created if missing)\n"
    "  --size WxH       picture size (default 1280x720)\n"
    "  --fps N          frames per second of demo time (default 60)\n"
    "  --from S         first frame at demo time S seconds (default 0)\n"
    "  --to S           stop before demo time S (default: the end of the timeline)\n"
    "  --preset NAME    H.264 encoder preset, ultrafast (default) to veryslow: slower presets take\n"
    "                   more time and make smaller files (veryfast: about a quarter of the size)\n"
    "  --data DIR       change to DIR before loading the data files\n"
    "  --benchmark N    time N frames drawn live (no read-back) and N captured, print both rates\n"
    "  --help           this text\n";

namespace {

bool parse_int(const char* text, int low, int high, int& out)
{
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < low || v > high)
        return false;
    out = static_cast<int>(v);
    return true;
}

bool parse_seconds(const char* text, double& out)
{
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (errno != 0 || end == text || *end != '\0' || !std::isfinite(v) || v < 0.0 || v > 3600.0)
        return false;
    out = v;
    return true;
}

// "WxH" with both sides even: the video's 4:2:0 chroma needs even sizes, and one rule for both
// outputs keeps a PNG sequence and a video of the same capture alike.
bool parse_size(const char* text, int& width, int& height)
{
    const char* x = std::strchr(text, 'x');
    if (!x)
        return false;
    const std::string w(text, x);
    return parse_int(w.c_str(), 2, 8192, width) && parse_int(x + 1, 2, 8192, height) && width % 2 == 0 &&
           height % 2 == 0;
}

bool known_preset(const std::string& name)
{
    for (const char* p : {"ultrafast", "superfast", "veryfast", "faster", "fast", "medium", "slow", "slower",
                          "veryslow"})
        if (name == p)
            return true;
    return false;
}

} // namespace

bool parse_options(int argc, const char* const* argv, options& out, std::string& error)
{
    for (int i = 0; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            out.help = true;
            return true;
        }
        const bool takes_value = name == "--out" || name == "--frames" || name == "--size" || name == "--fps" ||
                                 name == "--from" || name == "--to" || name == "--data" || name == "--benchmark" ||
                                 name == "--preset";
        if (!takes_value) {
            error = "unknown option " + name;
            return false;
        }
        if (i + 1 >= argc) {
            error = name + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        bool ok = true;
        if (name == "--out")
            ok = *value != '\0' && (out.video = value, true);
        else if (name == "--frames")
            ok = *value != '\0' && (out.frames_dir = value, true);
        else if (name == "--data")
            ok = *value != '\0' && (out.data_dir = value, true);
        else if (name == "--preset")
            ok = known_preset(value) && (out.preset = value, true);
        else if (name == "--size")
            ok = parse_size(value, out.width, out.height);
        else if (name == "--fps")
            ok = parse_int(value, 1, 1000, out.fps);
        else if (name == "--from")
            ok = parse_seconds(value, out.from);
        else if (name == "--to")
            ok = parse_seconds(value, out.to);
        else
            ok = parse_int(value, 1, 1000000, out.benchmark);
        if (!ok) {
            error = "bad value for " + name + ": '" + value + "'" +
                    (name == "--size" ? " (expected WxH, even sizes from 2 to 8192)" : "");
            return false;
        }
    }
    if (out.video.empty() == out.frames_dir.empty()) {
        error = out.video.empty() ? "nothing to write: give --out FILE or --frames DIR"
                                  : "--out and --frames cannot be used together";
        return false;
    }
    if (out.to >= 0.0 && out.to <= out.from) {
        error = "--to must be later than --from";
        return false;
    }
    return true;
}

} // namespace quor::capture
