// The command line of quor-capture: what to render (size, rate, stretch of the timeline,
// anti-aliasing) and where to write it (a video through ffmpeg or a PNG sequence).
#pragma once

#include <cstdint>
#include <string>

namespace quor::capture {

// A frame rate as a fraction, so that 30000/1001 is exact: frame k of a capture shows demo time
// from + k * den / num.
struct frame_rate {
    std::int64_t num = 60;
    std::int64_t den = 1;

    // Seconds from the first frame to frame k, with one rounding.
    double seconds(std::uint64_t k) const { return static_cast<double>(static_cast<std::int64_t>(k) * den) / num; }
    double per_second() const { return static_cast<double>(num) / den; }
    // "60" or "30000/1001", as ffmpeg takes it.
    std::string text() const;
};

// "60", "30000/1001" or "29.97" (a decimal is taken as the fraction it writes, 2997/100), above
// 0 and at most 1000 frames a second; false for anything else.
bool parse_frame_rate(const std::string& text, frame_rate& out);

struct options {
    int width = 1280;
    int height = 720;
    frame_rate fps;
    double from = 0.0; // seconds of demo time
    double to = -1.0;  // seconds of demo time; -1: to the end of the timeline and its countdown
    int msaa = 4;      // samples a pixel; 1: no anti-aliasing
    int crf = -1;      // encoder quality; -1: the container's default
    std::string video; // --out: a video file, its container chosen by the extension
    std::string frames_dir; // --frames: a folder of frame_NNNNN.png and audio.wav
    std::string data_dir;   // --data: folder to run from; empty: the current one
    std::string preset = "ultrafast"; // the H.264 encoder's speed/size trade-off
    int benchmark = 0;      // frames to time live and captured; 0: a normal capture
    bool help = false;
    std::string version; // after --version: the line to print
};

// The --help text.
std::string usage();

// Fills `out` from the arguments after the program name ("--name value" or "--name=value").
// On a bad argument returns false with `error` saying which one and why, in a few words.
bool parse_options(int argc, const char* const* argv, options& out, std::string& error);

} // namespace quor::capture
