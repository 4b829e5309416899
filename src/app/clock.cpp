// Clock arithmetic: unsigned 64-bit tick differences, extended-precision division, results
// rounded to single precision where the timeline stores them.
#include "app/clock.h"

#include <cmath>

namespace quor::system {

clock::clock(counter& c) : source(&c)
{
    std::uint64_t f = 0;
    if (source->frequency(f) && f != 0)
        frequency = f;
}

std::uint64_t clock::sample_count()
{
    std::uint64_t now = 0;
    if (!source->sample(now))
        now = source->milliseconds();
    return now;
}

void clock::start()
{
    if (running)
        return;
    base_count += sample_count() - stop_count;
    running = true;
}

void clock::stop()
{
    if (!running)
        return;
    stop_count = sample_count();
    running = false;
}

float clock::elapsed()
{
    const std::uint64_t now = running ? sample_count() : stop_count;
    const std::uint64_t ticks = now - base_count;
    return static_cast<float>(static_cast<long double>(ticks) / static_cast<long double>(frequency));
}

void clock::update()
{
    const float a = elapsed();
    const float b = std::fabs(a - last_sample);
    if (static_cast<double>(b) > 1e-6) {
        ++frame_count;
        step = b * scale;
        total_time += step;
        const float d = std::fabs(a - rate_mark);
        if (d >= 0.5f) {
            frames_per_second = static_cast<float>(frame_count) / d;
            frame_count = 0;
            rate_mark = a;
        }
    }
    last_sample = a;
}

} // namespace quor::system
