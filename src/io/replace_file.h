// Safe replacement of a file on disk: the new bytes go to a new file beside it, are flushed to
// disk, read back through the descriptor that wrote them and checked, and only then put in place
// of the old one in one step. Writers take the old file's lock first, so two of them change it
// one after the other. Any failure, SIGINT or SIGTERM leaves the old file exactly as it was and
// no new file behind; what a writer killed outright (SIGKILL, a power cut) leaves where new files
// need a name goes with the next replacement of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/file.h"

namespace quor {

// Judges the new file's complete bytes as read back from disk: an empty result accepts them,
// anything else is one line saying why they are refused.
using file_check = std::function<std::string(std::span<const char> bytes)>;

// How long a writer waits for another one that holds the file (a 131 MB data file takes a few
// seconds to write and flush on a loaded machine).
inline constexpr int default_lock_wait_ms = 30000;

struct replace_options {
    // Milliseconds to wait while another writer holds the file; 0 refuses at once.
    int lock_wait_ms = default_lock_wait_ms;
    // The version of the file the caller last read: nothing is written unless it is still the one.
    std::optional<platform::file_stamp> unchanged_since;
    // Receives the new file's stamp once it is in place.
    platform::file_stamp* placed = nullptr;
};

// Puts `bytes` in place of the file at `path` (created when missing) after they came back from
// disk and passed `check` (an empty `check` accepts anything). A symbolic link is followed: the
// file it points at is replaced and the link stays. The new file keeps the old one's permissions
// and owner. Refused, with nothing changed, while another writer holds the file past the wait,
// when the file has other names (hard links, which a replacement would leave with the old
// bytes), when it is read-only or this process may not write it, and when its owner cannot be
// kept. False with one line in *error on any refusal or failure: what could not be done to which
// file and why, or the check's own line.
bool replace_file(const std::string& path, std::span<const char> bytes, const file_check& check, std::string* error,
                  const replace_options& options = {});

// `replaced` counts to the end of the file.
inline constexpr std::size_t to_end = SIZE_MAX;

// A change to part of a file: `replaced` bytes from `offset` (to_end: the rest of the file) give
// way to `bytes`; the file grows or shrinks when the counts differ.
struct region_change {
    std::size_t offset = 0;
    std::size_t replaced = 0;
    std::vector<char> bytes;
};
// Works out the change from the file as it is once its lock is held, so that what it is based on
// cannot change before it is written: an empty result goes on, anything else refuses (one line).
using region_edit = std::function<std::string(std::span<const char> current, region_change& change)>;

// Replaces the existing `path` by a copy changed as `edit` says, as replace_file does. Refused
// when the change's offset lies past the end of the file; a region that runs past the end is cut
// there.
bool change_region(const std::string& path, const region_edit& edit, const file_check& check, std::string* error,
                   const replace_options& options = {});

// change_region with a change known beforehand.
bool replace_region(const std::string& path, std::size_t offset, std::size_t replaced, std::span<const char> bytes,
                    const file_check& check, std::string* error, const replace_options& options = {});

} // namespace quor
