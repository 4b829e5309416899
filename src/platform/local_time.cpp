// Local calendar time through the C library's time-zone rules.
#include "platform/local_time.h"

#include <time.h>

namespace quor::platform {

calendar_time local_time(std::int64_t unix_milliseconds)
{
    const time_t seconds = static_cast<time_t>(unix_milliseconds / 1000);
    tm parts{};
    localtime_r(&seconds, &parts);
    calendar_time out;
    out.year = parts.tm_year + 1900;
    out.month = parts.tm_mon + 1;
    out.day = parts.tm_mday;
    out.hour = parts.tm_hour;
    out.minute = parts.tm_min;
    out.second = parts.tm_sec;
    out.millisecond = static_cast<int>(unix_milliseconds % 1000);
    return out;
}

} // namespace quor::platform
