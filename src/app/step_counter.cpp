// The fixed-step counter: ticks set by its owner, read back unchanged.
#include "app/step_counter.h"

#include <cassert>

namespace quor::system {

step_counter::step_counter(std::uint64_t ticks_per_second) : rate(ticks_per_second) { assert(rate > 0); }

bool step_counter::frequency(std::uint64_t& out)
{
    out = rate;
    return true;
}

bool step_counter::sample(std::uint64_t& out)
{
    out = now;
    return true;
}

std::uint32_t step_counter::milliseconds() { return static_cast<std::uint32_t>(now * 1000 / rate); }

} // namespace quor::system
