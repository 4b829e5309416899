// Binary files over the platform's descriptor calls. The search path entries end in the
// system's separator.
#include "io/disk_binfile.h"

#include <climits>
#include <cstring>
#include <iostream>

#include "platform/file.h"

namespace quor {

namespace {

void warn(const char* message, const char* name)
{
    std::cerr << message << name << std::endl;
}

} // namespace

DiskBinfile::DiskBinfile(const std::string& path) : search_path(path) {}

DiskBinfile::DiskBinfile(const DiskBinfile& other) : Binfile(), search_path(other.search_path) {}

DiskBinfile::~DiskBinfile()
{
    close();
}

bool DiskBinfile::open(const char* name)
{
    if (fd != -1)
        return false;
    // The first candidate that is there but does not open, and why, for the message.
    std::string unreadable, why;
    auto try_open = [&](const std::string& path) {
        platform::open_result how;
        fd = platform::open_for_input(path.c_str(), &how);
        if (fd != -1)
            this->path = path;
        else if (how == platform::open_result::unreadable && unreadable.empty()) {
            unreadable = path;
            why = platform::last_error();
        }
        return fd != -1;
    };
    if (!try_open(name)) {
        const char* colon = std::strrchr(name, ':');
        const char* base = colon ? colon + 1 : name;
        std::string candidate;
        candidate.reserve(std::strlen(name) + search_path.size() + 1);
        std::size_t start = 0;
        while (fd == -1 && start < search_path.size()) {
            std::size_t end = search_path.find(';', start);
            if (end == std::string::npos)
                end = search_path.size();
            candidate.assign(search_path, start, end - start);
            candidate += base;
            try_open(candidate);
            start = end + 1;
        }
    }
    if (fd == -1) {
        if (unreadable.empty()) {
            failure = open_failure::not_found;
            warn("WARNING: file not found: ", name);
        } else {
            failure = open_failure::unreadable;
            warn("WARNING: file cannot be read: ", (unreadable + ": " + why).c_str());
        }
        return false;
    }
    const long long size = platform::file_length(fd);
    // `length` is an int; a longer file would make every later size wrong.
    if (size < 0 || size > INT_MAX) {
        close();
        failure = open_failure::too_large;
        warn("WARNING: file too large: ", name);
        return false;
    }
    failure = open_failure::none;
    length = static_cast<int>(size);
    return true;
}

bool DiskBinfile::create(const char* name)
{
    if (fd != -1)
        return false;
    // Owner read and write only.
    fd = platform::create_file(name, 0600);
    length = 0;
    return fd != -1;
}

void DiskBinfile::close()
{
    if (fd == -1)
        return;
    platform::close_file(fd);
    fd = -1;
    length = 0;
}

int DiskBinfile::read(void* buffer, int size)
{
    if (size <= 0 || fd == -1)
        return 0;
    return static_cast<int>(platform::read_full(fd, buffer, static_cast<std::size_t>(size)));
}

int DiskBinfile::write(const void* data, int size)
{
    if (size <= 0 || fd == -1)
        return 0;
    const int count = static_cast<int>(platform::write_full(fd, data, static_cast<std::size_t>(size)));
    length += count;
    return count;
}

bool DiskBinfile::seek(int offset)
{
    return platform::seek(fd, offset, false) != -1;
}

bool DiskBinfile::skip(int offset)
{
    return platform::seek(fd, offset, true) != -1;
}

int DiskBinfile::tell()
{
    const long long position = platform::seek(fd, 0, true);
    return position > INT_MAX ? -1 : static_cast<int>(position);
}

DiskBinfile* DiskBinfile::clone()
{
    return new DiskBinfile(search_path);
}

bool DiskBinfile::load(const char* name, void* buffer, int)
{
    if (!open(name) || read(buffer, length) != length)
        return false;
    close();
    return true;
}

int file_length(const char* name)
{
    const int fd = platform::open_for_input(name);
    if (fd == -1)
        return 0;
    const long long size = platform::file_length(fd);
    platform::close_file(fd);
    return size < 0 || size > INT_MAX ? 0 : static_cast<int>(size);
}

bool file_exists(const char* name)
{
    DiskBinfile file(default_search_path);
    return file.open(name);
}

} // namespace quor
