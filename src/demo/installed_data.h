// Where an installed demo keeps its data files: share/quor beside the programs' bin/, found from
// the running program, so that an installed tree works wherever it was put.
#pragma once

#include <string>

namespace quor::demo {

// The installed data folder, ending in its separator; empty when the program's own folder is unknown.
std::string installed_data_folder();

} // namespace quor::demo
