// Reading the data file for a change, and putting the changed file in its place: the new file is
// written beside the old one, checked as the demo's load checks it and renamed over it, so any
// failure leaves the old file as it was, byte for byte.
#pragma once

#include <string>
#include <vector>

#include "demo/data_check.h"

namespace quor::tools {

// The whole file and the demo's check of it. False with *error (naming the file) when it cannot
// be read or the check refuses it.
bool read_data_file(const std::string& path, std::vector<char>& data, demo::data_check_result& checked,
                    std::string* error);

// Replaces the file at path by data, which the demo's check must accept.
bool replace_data_file(const std::string& path, const std::vector<char>& data, std::string* error);

} // namespace quor::tools
