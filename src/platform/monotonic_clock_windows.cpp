// The performance counter (QueryPerformanceFrequency, QueryPerformanceCounter) and the multimedia
// timer's milliseconds (timeGetTime) as the fallback.
#include "platform/monotonic_clock.h"

#include <windows.h>

#include <mmsystem.h>

namespace quor::platform {

bool monotonic_frequency(std::uint64_t& out)
{
    LARGE_INTEGER f;
    if (!QueryPerformanceFrequency(&f))
        return false;
    out = static_cast<std::uint64_t>(f.QuadPart);
    return true;
}

bool monotonic_ticks(std::uint64_t& out)
{
    LARGE_INTEGER now;
    if (!QueryPerformanceCounter(&now))
        return false;
    out = static_cast<std::uint64_t>(now.QuadPart);
    return true;
}

std::uint32_t milliseconds() { return timeGetTime(); }

} // namespace quor::platform
