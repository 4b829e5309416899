// Paths as the system's text, UTF-8, in and out of std::filesystem. A path made from a plain
// string takes it in the system's narrow encoding, which on Windows is an ANSI code page that
// cannot hold most names; made from UTF-8 it holds every name on every system.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quor::io {

inline std::filesystem::path utf8_path(std::string_view text) { return std::u8string(text.begin(), text.end()); }

inline std::string utf8_text(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

} // namespace quor::io
