// The exact-time schedule over the display callbacks of the application frame.
#include "capture/frame_stepper.h"

#include <cmath>
#include <limits>

#include "app/system.h"
#include "demo/data_layout.h"

namespace quor::capture {

double capture_end() { return demo::layout::timeline_end + countdown_seconds; }

// The demo draws its scene at single precision: the smallest normal float above 0.
double drawn_time(double t) { return t == 0.0 ? std::numeric_limits<float>::min() : t; }

int countdown_frames(frame_rate rate) { return static_cast<int>(std::ceil(countdown_seconds * rate.per_second())) + 2; }

frame_stepper::frame_stepper(show_fn show_time, double first, frame_rate r, double end, double last_time)
    : show(std::move(show_time)), from(first), rate(r), to(end), last(last_time)
{
}

bool frame_stepper::next()
{
    if (ended_)
        return false;
    const std::uint64_t k = started ? current + 1 : 0;
    const double t = from + rate.seconds(k);
    if (t >= to || t > last)
        return false;
    started = true;
    current = k;
    current_time = t;
    show(drawn_time(t));
    if (!system::display())
        ended_ = true;
    return !ended_;
}

std::uint64_t frame_stepper::count(double from, frame_rate rate, double to, double last)
{
    std::uint64_t k = 0;
    for (double t = from; t < to && t <= last; t = from + rate.seconds(++k)) {
    }
    return k;
}

} // namespace quor::capture
