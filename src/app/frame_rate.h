// Frame rates as fractions, as a command line gives them: 30000/1001 stays exact, and frame k's
// time is computed with one rounding.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quor::system {

// Frame k shows time k * den / num.
struct frame_rate {
    std::int64_t num = 60;
    std::int64_t den = 1;

    // Seconds from the first frame to frame k, with one rounding.
    double seconds(std::uint64_t k) const { return static_cast<double>(static_cast<std::int64_t>(k) * den) / num; }
    double per_second() const { return static_cast<double>(num) / den; }
    // "60" or "30000/1001", as ffmpeg takes it.
    std::string text() const;
};

// "60", "30000/1001" or "29.97" (a decimal is taken as the fraction it writes, 2997/100), above 0
// and at most 1000 frames a second; false for anything else.
bool parse_frame_rate(std::string_view text, frame_rate& out);

} // namespace quor::system
