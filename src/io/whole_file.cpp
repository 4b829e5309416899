// One open, one size look, one read, over the platform's descriptor calls.
#include "io/whole_file.h"

#include "platform/file.h"

namespace quor {

bool read_whole_file(const std::string& path, std::size_t limit, std::string& out, std::string* error)
{
    platform::open_result how;
    const int fd = platform::open_for_input(path.c_str(), &how);
    const long long length = fd == platform::no_file ? -1 : platform::file_length(fd);
    const std::string why = how == platform::open_result::missing       ? "no such file"
                            : how == platform::open_result::not_regular ? "not a regular file"
                            : length < 0                                ? platform::last_error()
                            : static_cast<unsigned long long>(length) > limit
                                ? std::to_string(length) + " bytes, more than the " + std::to_string(limit >> 20) +
                                      " MiB it may have"
                                : std::string();
    if (!why.empty()) {
        platform::close_file(fd);
        *error = path + ": cannot be opened: " + why;
        return false;
    }
    out.resize(static_cast<std::size_t>(length));
    const bool read = platform::read_full(fd, out.data(), out.size()) == out.size();
    platform::close_file(fd);
    if (!read)
        *error = path + ": read failed";
    return read;
}

} // namespace quor
