// The running executable's path from Linux's /proc/self/exe.
#include "platform/program.h"

#include <unistd.h>

#include <climits>

namespace quor::platform {

std::string program_folder()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path)
        return {};
    std::string folder(path, static_cast<std::size_t>(length));
    return folder.substr(0, folder.rfind('/') + 1);
}

} // namespace quor::platform
