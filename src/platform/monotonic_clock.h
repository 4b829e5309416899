// The platform's tick counters: a monotonic counter with its frequency, and a millisecond
// counter to fall back on. The clock reaches them through the counter interface of app/.
#pragma once

#include <cstdint>

namespace quor::platform {

// Counts per second of `monotonic_ticks`; false when the monotonic counter is unavailable.
bool monotonic_frequency(std::uint64_t& out);
// The monotonic counter now; false when it cannot be read.
bool monotonic_ticks(std::uint64_t& out);
// The millisecond timer (the wall clock, or the time since the system started), wrapping at 2^32.
std::uint32_t milliseconds();

} // namespace quor::platform
