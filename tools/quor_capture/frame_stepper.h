// Runs the application frame at a fixed step: the clock's counter reads tick k + 1 while frame k
// is drawn, so the update that ends frame k - 1 made the demo time of frame k exactly k / fps
// (frame 0 sees 0). A later first frame is reached by one jump, from a frame that is not kept.
#pragma once

#include <cstdint>

#include "app/step_counter.h"

namespace quor::capture {

class frame_stepper {
public:
    // Frames `first` up to (not including) `end` of the timeline at `counter`'s rate.
    frame_stepper(system::step_counter& counter, std::uint64_t first, std::uint64_t end);

    // Draws the next frame to keep through system::display(). False when there is none: either
    // `end` was reached (the application is still alive) or the exit countdown completed (the
    // frame's shutdown has run; see `ended`).
    bool next();
    // Timeline index of the frame the last successful `next` drew.
    std::uint64_t frame() const { return current; }
    // True once display() reported the end of the exit countdown.
    bool ended() const { return ended_; }

private:
    bool display();

    system::step_counter& ticks;
    std::uint64_t first;
    std::uint64_t end;
    std::uint64_t current = 0;
    bool started = false;
    bool ended_ = false;
};

// The timeline index of demo time `seconds` at `fps`, rounded to the nearest frame.
std::uint64_t frame_index(double seconds, int fps);

} // namespace quor::capture
