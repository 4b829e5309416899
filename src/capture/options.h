// The command line of quor-capture: what to render (size, rate, stretch of the timeline,
// anti-aliasing) and where to write it (a video through ffmpeg or a PNG sequence).
#pragma once

#include <string>

#include "app/frame_rate.h"

namespace quor::system {
struct parse_outcome;
}

namespace quor::capture {

// Frame rates are fractions, so that 30000/1001 is exact: frame k of a capture shows demo time
// from + k * den / num.
using system::frame_rate;
using system::parse_frame_rate;

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
};

// Fills `out` from argv[1..] ("--name value" or "--name=value"). --help, --version and a bad
// command line end the program as the outcome says.
system::parse_outcome parse_options(int argc, const char* const* argv, options& out);

} // namespace quor::capture
