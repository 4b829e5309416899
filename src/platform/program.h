// Where the running program lies, so that files installed beside it are found wherever the
// installed tree was put.
#pragma once

#include <string>

namespace quor::platform {

// The folder of the running executable, symbolic links resolved, ending in its separator; empty
// when the system does not say.
std::string program_folder();

} // namespace quor::platform
