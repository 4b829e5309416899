// Floats as the base64 of their bytes, for the data URIs of glTF files written by tests.
#pragma once

#include <string>
#include <vector>

namespace quor::test {

inline std::string base64(const std::vector<float>& floats)
{
    static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const auto* b = reinterpret_cast<const unsigned char*>(floats.data());
    const std::size_t n = floats.size() * 4;
    std::string out;
    for (std::size_t i = 0; i < n; i += 3) {
        const unsigned v = (b[i] << 16) | ((i + 1 < n ? b[i + 1] : 0) << 8) | (i + 2 < n ? b[i + 2] : 0);
        out += digits[(v >> 18) & 63];
        out += digits[(v >> 12) & 63];
        out += i + 1 < n ? digits[(v >> 6) & 63] : '=';
        out += i + 2 < n ? digits[v & 63] : '=';
    }
    return out;
}

} // namespace quor::test
