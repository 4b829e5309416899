// The wall clock's calendar in the local time zone, for names that people read (screenshots).
#pragma once

#include <cstdint>

namespace quor::platform {

struct calendar_time {
    int year = 1970;
    int month = 1; // 1..12
    int day = 1;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Milliseconds since 1970-01-01 UTC as local calendar time.
calendar_time local_time(std::int64_t unix_milliseconds);

} // namespace quor::platform
