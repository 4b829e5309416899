// The progress line on the standard error stream: frame, demo time, capture rate and the time
// left. On a terminal one line is rewritten in place a few times a second; otherwise (a log, a
// CI job) a new line is written every few seconds.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>

namespace quor::capture {

class progress {
public:
    // `total` frames are expected (an estimate; 0 when unknown); `terminal` picks the style.
    progress(std::ostream& out, std::uint64_t total, bool terminal);

    // Frame `done` (1 for the first) of the capture, at `demo_time` seconds, has been queued.
    void frame(std::uint64_t done, double demo_time);
    // The last line, with the frame count and the average rate; ends the line on a terminal.
    void done(std::uint64_t frames, double demo_time);

    // The line itself, for given figures (`left` < 0: unknown).
    static std::string line(std::uint64_t done, std::uint64_t total, double demo_time, double rate, double left);

private:
    using clock = std::chrono::steady_clock;
    void show(std::uint64_t done, double demo_time, bool last);

    std::ostream& out;
    std::uint64_t total;
    bool terminal;
    clock::time_point start = clock::now();
    clock::time_point last_shown = start;
    // Frames and time at the previous line: the rate shown is the recent one, not the average.
    std::uint64_t mark_frames = 0;
    clock::time_point mark = start;
};

} // namespace quor::capture
