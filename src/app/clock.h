// The timeline's clock: accumulated, scaled seconds that advance only at `update`, once per
// frame, plus a frame-rate measurement over half-second windows. No allocation.
#pragma once

#include <cstdint>

#include "app/counter.h"

namespace quor::system {

class clock {
public:
    explicit clock(counter& source = system_counter());

    // Starts or resumes; does nothing while running. A pause is excluded from elapsed time.
    void start();
    // Pauses; does nothing while stopped.
    void stop();
    // Counter seconds since the first start, pauses excluded; 0 before the first start.
    float elapsed();
    // Adds the elapsed time since the last update, times `scale`, to `time()`. Increments of
    // 1e-6 s or less are dropped (not carried over) and are not counted as frames.
    void update();
    // Accumulated time as of the last update; constant within a frame.
    float time() const { return total_time; }
    // Moves the accumulated time to t (a seek); later updates add to it as before.
    void set_time(float t) { total_time = t; }

    float step_size() const { return step; }
    float fps() const { return frames_per_second; }
    void set_scale(float s) { scale = s; }
    bool is_running() const { return running; }

private:
    std::uint64_t sample_count();

    counter* source;
    bool running = false;
    std::uint64_t base_count = 0;
    std::uint64_t stop_count = 0;
    std::uint64_t frequency = 1000;
    float total_time = 0.0f;
    float step = 0.0f;
    std::uint32_t frame_count = 0;
    float frames_per_second = 0.0f;
    float last_sample = 0.0f;
    float rate_mark = 0.0f;
    float scale = 1.0f;
};

} // namespace quor::system
