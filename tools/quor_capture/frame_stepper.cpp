// The fixed-step schedule over the frame steps of the application frame.
#include "frame_stepper.h"

#include <cmath>

#include "app/system.h"

namespace quor::capture {

frame_stepper::frame_stepper(system::step_counter& counter, std::uint64_t first_frame, std::uint64_t end_frame)
    : ticks(counter), first(first_frame), end(end_frame)
{
}

bool frame_stepper::display()
{
    if (!system::display())
        ended_ = true;
    return !ended_;
}

bool frame_stepper::next()
{
    if (ended_)
        return false;
    if (!started) {
        started = true;
        // The first frame always sees 0; its closing update jumps the clock to `first`.
        if (first > 0) {
            ticks.set(first);
            if (!display())
                return false;
        }
        current = first;
    } else {
        ++current;
    }
    if (current >= end)
        return false;
    ticks.set(current + 1);
    return display();
}

std::uint64_t frame_index(double seconds, int fps)
{
    return static_cast<std::uint64_t>(std::llround(seconds * fps));
}

} // namespace quor::capture
