// CLOCK_MONOTONIC in nanoseconds (frequency 1e9); the wall clock for the millisecond fallback.
#include "platform/monotonic_clock.h"

#include <time.h>

namespace quor::platform {

bool monotonic_frequency(std::uint64_t& out)
{
    timespec ts;
    if (clock_getres(CLOCK_MONOTONIC, &ts) != 0)
        return false;
    out = 1000000000ull;
    return true;
}

bool monotonic_ticks(std::uint64_t& out)
{
    timespec ts;
    if (clock_gettime(CLOCK_MONOTONIC, &ts) != 0)
        return false;
    out = static_cast<std::uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<std::uint64_t>(ts.tv_nsec);
    return true;
}

std::uint32_t milliseconds()
{
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ts.tv_sec) * 1000u + ts.tv_nsec / 1000000);
}

} // namespace quor::platform
