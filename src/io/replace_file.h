// Safe replacement of a file on disk: the new bytes go to a file beside it, are flushed to disk,
// read back and checked, and only then renamed over the old one. Any failure, SIGINT or SIGTERM
// leaves the old file exactly as it was and no temporary file behind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace quor {

// Judges the new file's complete bytes as read back from disk: an empty result accepts them,
// anything else is one line saying why they are refused.
using file_check = std::function<std::string(std::span<const char> bytes)>;

// Writes `bytes` to `path` + ".tmp" (replacing whatever is there), flushes and checks it (an empty
// `check` accepts anything), then renames it over `path`. False with one line in *error on any
// failure: what could not be done to which file and why, or the check's own line.
bool replace_file(const std::string& path, std::span<const char> bytes, const file_check& check, std::string* error);

// `replaced` counts to the end of the file.
inline constexpr std::size_t to_end = SIZE_MAX;

// Replaces the existing `path` by a copy whose `replaced` bytes from `offset` become `bytes` (the
// file grows or shrinks when the counts differ), as replace_file does. Refused when `offset` lies
// past the end of the file; a region that runs past the end is cut there.
bool replace_region(const std::string& path, std::size_t offset, std::size_t replaced, std::span<const char> bytes,
                    const file_check& check, std::string* error);

} // namespace quor
