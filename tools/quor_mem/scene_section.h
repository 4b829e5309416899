// The scene section seen as its three motion records: what a data file holds, and the section
// bytes with some records replaced. The object and quad records stand in 72-byte slots; the
// camera's runs on to the end of the file.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "demo/data_check.h"
#include "motion_text.h"

namespace quor::tools {

// The scene section of a checked data file: its bytes from the section's start to the file's end.
std::vector<char> section_of(const std::vector<char>& data);

// The three records of a checked file's section.
motion_records read_records(const std::vector<char>& section);

// Writes each given record into its slot of the section (an object slot padded with zeros, the
// camera's record ending the section) and leaves the others as they were. False with *error
// when a record does not fit its slot; the section is then unchanged.
bool replace_records(std::vector<char>& section,
                     const std::array<std::optional<record::transformation>, motion_record_count>& records,
                     std::string* error);

} // namespace quor::tools
