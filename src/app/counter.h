// The tick counter behind the clock: a monotonic counter with its frequency, and a millisecond
// counter to fall back on. The clock takes it by reference so that tests and the offscreen
// capture can drive time themselves.
#pragma once

#include <cstdint>

namespace quor::system {

class counter {
public:
    virtual ~counter() = default;
    // Counts per second; false when the high-resolution counter is unavailable.
    virtual bool frequency(std::uint64_t& out) = 0;
    // Current count; false when the counter fails (the clock then uses `milliseconds`).
    virtual bool sample(std::uint64_t& out) = 0;
    virtual std::uint32_t milliseconds() = 0;
};

// The platform's monotonic counter (nanoseconds, frequency 1e9), with a millisecond fallback.
counter& system_counter();

} // namespace quor::system
