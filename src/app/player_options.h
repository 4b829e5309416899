// The demo player's command line: window or full screen, looping, start time, sound, anti-aliasing
// and the data folder. Read after GLUT has removed its own options; no option changes anything
// the plain demo does when it is not given.
#pragma once

#include <optional>
#include <string>

namespace quor::system {

// The latest --start: the end of the demo's timeline, which the demo checks against its own.
constexpr double latest_start = 31.0;

struct window_size {
    int width = 1280;
    int height = 720;
};

// Adding an option takes one field here and one line in `parse_options`, for a flag
// `app.add_flag("--name", out.name, "what it does");`.
struct player_options {
    std::optional<window_size> window; // --window[=WxH]: a resizable window; unset: full screen
    bool full_screen = false;           // --fullscreen was given (full screen is also the default)
    bool loop = false;                  // --loop: the timeline starts again at its end
    double start = 0.0;                 // --start: demo time of the first frame in seconds, 0 or more
    bool mute = false;                  // --mute: no music and no audio device
    int msaa = 0;                       // --msaa: 2, 4 or 8 samples a pixel; 0 without
    std::string data_dir;               // --data: folder to change to before data is looked for; empty: stay
    bool edit = false;                  // --edit: the workbench overlay; a window unless --fullscreen
};

// In app/command_line.h.
struct parse_outcome;

// Parses argv[1..argc-1] into `out`. A bad command line gives one line naming the culprit and
// pointing at --help; `out` is then unspecified.
parse_outcome parse_options(int argc, const char* const* argv, player_options& out);

// True when an argument asks for help or the version: those are answered before the window system
// starts, so they also work without a display.
bool asks_for_information(int argc, const char* const* argv);

} // namespace quor::system
