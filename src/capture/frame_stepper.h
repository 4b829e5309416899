// Runs the application frame at exact frame times: frame k of a capture shows demo time
// from + k / rate, computed in double precision for each frame on its own (never summed), and
// handed to the application before its display callback.
#pragma once

#include <cstdint>
#include <functional>

#include "capture/options.h"

namespace quor::capture {

// The demo's exit countdown in demo time: 30 display callbacks at the 60 frames a second the
// demo is made for. A capture ends this long after the timeline, whatever its frame rate.
constexpr double countdown_seconds = 0.5;

// The time of the last frame a capture may show: the timeline's end and its countdown.
double capture_end();
// The demo time the frame at demo time t is drawn at: t, except at exactly 0, where every
// envelope read from the data file gives the key its reader seeds there (value 0) and not the
// path, which an imported camera does not start from. That frame shows the path as it leaves 0:
// the smallest time above 0 (the animation frame and the music are those of 0 all the same).
double drawn_time(double t);
// The length a capture at `rate` gives the demo's exit countdown, in display callbacks: more
// than its frames in countdown_seconds, so that the capture's own end always comes first.
int countdown_frames(frame_rate rate);

class frame_stepper {
public:
    // Called with the time each frame is drawn at (drawn_time of its demo time) before it is drawn.
    using show_fn = std::function<void(double)>;

    // Frames from + k / rate for k = 0, 1, ... that lie before `to` and not after `last`.
    frame_stepper(show_fn show, double from, frame_rate rate, double to, double last);

    // Draws the next frame through system::display(). False when there is none: either the
    // stretch is done (the application is still alive) or the exit countdown completed (the
    // frame's shutdown has run; see `ended`).
    bool next();
    // Index k of the frame the last successful `next` drew, and its demo time.
    std::uint64_t frame() const { return current; }
    double time() const { return current_time; }
    // True once display() reported the end of the exit countdown.
    bool ended() const { return ended_; }

    // How many frames the stretch holds.
    static std::uint64_t count(double from, frame_rate rate, double to, double last);

private:
    show_fn show;
    double from;
    frame_rate rate;
    double to;
    double last;
    std::uint64_t current = 0;
    double current_time = 0.0;
    bool started = false;
    bool ended_ = false;
};

} // namespace quor::capture
