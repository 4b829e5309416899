// The data file read for a change and changed safely: a change goes through the shared safe
// replacement (written beside, flushed, read back, checked as the demo's load checks, renamed
// over), so any failure leaves the old file as it was, byte for byte.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "demo/data_check.h"
#include "io/replace_file.h"

namespace quor::demo {

// Reads the file at path (no more than the demo's block) and checks it as the demo's load does.
// False with one line in *error, naming the file, when it cannot be read or is refused.
bool read_data_file(const std::string& path, std::vector<char>& data, demo::data_check_result& checked,
                    std::string* error);

// The three motion records of the data file at path, read from its scene section alone with the
// bounds the demo's load applies. False with one line in *error naming the file.
bool read_records(const std::string& path, demo::section_records& records, std::string* error);

// The check a new data file for `path` must pass: the demo's own.
file_check loads_as_the_demo(const std::string& path);

// Replaces `replaced` bytes from `offset` of the data file at path by `bytes` (to_end: the rest
// of the file), refusing a result the demo would not load.
bool change_data_file(const std::string& path, std::size_t offset, std::size_t replaced, std::span<const char> bytes,
                      std::string* error);

// The data file with the given records in place of its own (absent ones stay as they are).
bool change_records(const std::string& path, const demo::section_records& current,
                    const std::array<std::optional<record::transformation>, 3>& records, std::string* error);

} // namespace quor::demo
