// A rate's text read exactly: digits only, so that no float rounds a fraction on the way in.
#include "app/frame_rate.h"

#include <charconv>
#include <numeric>

namespace quor::system {

namespace {

// At most nine digits: a fraction's parts stay far from overflow.
bool parse_digits(std::string_view text, std::int64_t& out)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string_view::npos)
        return false;
    std::from_chars(text.data(), text.data() + text.size(), out);
    return true;
}

} // namespace

std::string frame_rate::text() const
{
    return den == 1 ? std::to_string(num) : std::to_string(num) + "/" + std::to_string(den);
}

bool parse_frame_rate(std::string_view text, frame_rate& out)
{
    std::int64_t num = 0, den = 1;
    const std::size_t slash = text.find('/'), dot = text.find('.');
    if (slash != std::string_view::npos) {
        if (!parse_digits(text.substr(0, slash), num) || !parse_digits(text.substr(slash + 1), den))
            return false;
    } else if (dot != std::string_view::npos) {
        const std::string_view decimals = text.substr(dot + 1);
        if (!parse_digits(std::string(text.substr(0, dot)) + std::string(decimals), num) || decimals.empty() ||
            decimals.size() > 6)
            return false;
        for (std::size_t i = 0; i < decimals.size(); ++i)
            den *= 10;
    } else if (!parse_digits(text, num)) {
        return false;
    }
    if (num == 0 || den == 0 || num > 1000 * den)
        return false;
    const std::int64_t g = std::gcd(num, den);
    out = {num / g, den / g};
    return true;
}

} // namespace quor::system
