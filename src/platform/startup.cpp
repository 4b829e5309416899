// The command line and the standard streams as a POSIX process gets them: the arguments are the
// bytes the user typed (UTF-8 on every system we run on), and the streams are always given.
#include "platform/startup.h"

#include <cstdio>

namespace quor::platform {

std::vector<std::string> utf8_arguments(int argc, char** argv) { return {argv, argv + argc}; }

bool connect_standard_streams() { return true; }

void show_message(const std::string& title, const std::string& text)
{
    std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
}

} // namespace quor::platform
