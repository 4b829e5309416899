// The installed data folder from the program's folder and the install layout the build was
// configured with.
#include "demo/installed_data.h"

#include <filesystem>

#include "build_config.h"
#include "platform/program.h"
#include "io/utf8_path.h"

namespace quor::demo {

std::string installed_data_folder()
{
    const std::string programs = platform::program_folder();
    if (programs.empty())
        return programs;
    // "/usr/bin/../share/quor" reads better in messages as "/usr/share/quor".
    return io::utf8_text((io::utf8_path(programs) / QUOR_DATA_FROM_PROGRAMS).lexically_normal() / "");
}

} // namespace quor::demo
