// Binary files over POSIX descriptors. Binary mode is implied on this platform; the search path
// entries end in '/'.
#include "io/disk_binfile.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <iostream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quor {

namespace {

// -1 when the descriptor has no size.
long long descriptor_length(int fd)
{
    struct stat st;
    if (fstat(fd, &st) != 0)
        return -1;
    return static_cast<long long>(st.st_size);
}

int open_for_input(const char* path)
{
    int fd;
    do
        fd = ::open(path, O_RDONLY | O_CLOEXEC);
    while (fd == -1 && errno == EINTR);
    return fd;
}

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

bool DiskBinfile::open_descriptor(const char* path)
{
    fd = open_for_input(path);
    return fd != -1;
}

bool DiskBinfile::open(const char* name)
{
    if (fd != -1)
        return false;
    if (!open_descriptor(name)) {
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
            open_descriptor(candidate.c_str());
            start = end + 1;
        }
    }
    if (fd == -1) {
        warn("WARNING: file not found: ", name);
        return false;
    }
    const long long size = descriptor_length(fd);
    // `length` is an int; a longer file would make every later size wrong.
    if (size < 0 || size > INT_MAX) {
        ::close(fd);
        fd = -1;
        warn("WARNING: file too large: ", name);
        return false;
    }
    length = static_cast<int>(size);
    return true;
}

bool DiskBinfile::create(const char* name)
{
    if (fd != -1)
        return false;
    fd = ::open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, S_IRUSR | S_IWUSR);
    length = 0;
    return fd != -1;
}

void DiskBinfile::close()
{
    if (fd == -1)
        return;
    ::close(fd);
    fd = -1;
    length = 0;
}

int DiskBinfile::read(void* buffer, int size)
{
    if (size <= 0)
        return 0;
    ssize_t n;
    do
        n = ::read(fd, buffer, static_cast<std::size_t>(size));
    while (n == -1 && errno == EINTR);
    return n < 0 ? 0 : static_cast<int>(n);
}

int DiskBinfile::write(const void* data, int size)
{
    if (size <= 0)
        return 0;
    ssize_t n;
    do
        n = ::write(fd, data, static_cast<std::size_t>(size));
    while (n == -1 && errno == EINTR);
    const int count = n < 0 ? 0 : static_cast<int>(n);
    length += count;
    return count;
}

bool DiskBinfile::seek(int offset)
{
    return ::lseek(fd, offset, SEEK_SET) != -1;
}

bool DiskBinfile::skip(int offset)
{
    return ::lseek(fd, offset, SEEK_CUR) != -1;
}

int DiskBinfile::tell()
{
    const off_t position = ::lseek(fd, 0, SEEK_CUR);
    return position > INT_MAX ? -1 : static_cast<int>(position);
}

DiskBinfile* DiskBinfile::clone()
{
    return new DiskBinfile(search_path);
}

// One read() may return fewer bytes than asked for; keep reading until `length` or the end.
bool DiskBinfile::read_all(void* buffer)
{
    char* out = static_cast<char*>(buffer);
    int total = 0;
    while (total < length) {
        const int n = read(out + total, length - total);
        if (n == 0)
            break;
        total += n;
    }
    return total == length;
}

bool DiskBinfile::load(const char* name, void* buffer, int)
{
    if (!open(name) || !read_all(buffer))
        return false;
    close();
    return true;
}

bool DiskBinfile::load_within(const char* name, void* buffer, std::size_t capacity)
{
    if (!open(name))
        return false;
    if (static_cast<std::size_t>(length) > capacity) {
        close();
        warn("WARNING: file too large: ", name);
        return false;
    }
    if (!read_all(buffer))
        return false;
    close();
    return true;
}

int file_length(const char* name)
{
    const int fd = open_for_input(name);
    if (fd == -1)
        return 0;
    const long long size = descriptor_length(fd);
    ::close(fd);
    return size < 0 || size > INT_MAX ? 0 : static_cast<int>(size);
}

bool file_exists(const char* name)
{
    DiskBinfile file(default_search_path);
    return file.open(name);
}

} // namespace quor
