// The command line of quor-capture: what to render (size, rate, stretch of the timeline) and
// where to write it (a video through ffmpeg or a PNG sequence).
#pragma once

#include <string>

namespace quor::capture {

struct options {
    int width = 1280;
    int height = 720;
    int fps = 60;
    double from = 0.0; // seconds of demo time
    double to = -1.0;  // seconds of demo time; -1: to the end of the exit countdown
    std::string video; // --out: a video file with the music
    std::string frames_dir; // --frames: a folder of frame_NNNNN.png
    std::string data_dir;   // --data: folder to run from; empty: the current one
    std::string preset = "ultrafast"; // the H.264 encoder's speed/size trade-off
    int benchmark = 0;      // frames to time live and captured; 0: a normal capture
    bool help = false;
};

extern const char* const usage;

// Fills `out` from the arguments after the program name. On a bad argument returns false with
// `error` saying which one and why, in a few words.
bool parse_options(int argc, const char* const* argv, options& out, std::string& error);

} // namespace quor::capture
