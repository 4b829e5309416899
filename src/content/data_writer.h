// Assembly of the data file from the generated content, and the build of both output files
// (data and music) with atomic writes: a failed build leaves no partial file behind.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace quor::content {

using progress_fn = std::function<void(const std::string&)>;

// The bytes of the scene section: the records of the animated object, the quad and the camera at
// their offsets. False (with *error) if a record does not fit its place.
bool scene_records(std::vector<char>& out, std::string* error);

// The complete data file: every region, then the scene section; zero where nothing is stored.
// False (with *error) if generated content does not match the layout.
bool assemble_data_file(std::vector<char>& out, const progress_fn& progress, std::string* error);

// Builds DIR/tesk.mem and DIR/demo.mp3, each replacing the old file only once it is complete on
// disk; the data file must also pass the demo's check.
bool build_outputs(const std::string& dir, const progress_fn& progress, std::string* error);

} // namespace quor::content
