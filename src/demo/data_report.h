// The data report: validates a data file exactly as the demo's load does and prints what it holds.
#pragma once

#include <ostream>
#include <string>

#include "demo/data_check.h"

namespace quor::demo {

// Prints the summary of a valid file: regions, index lists, textures and the motion channels
// with their kinds and value ranges over 0 to 32 s.
void print_summary(const demo::data_check_result& r, std::ostream& out);

// Reads `path` and checks it. Prints the summary to `out` and returns 0 when valid; otherwise one
// line to `err` saying what is wrong and where, and returns 1.
int check_file(const std::string& path, std::ostream& out, std::ostream& err);

} // namespace quor::demo
