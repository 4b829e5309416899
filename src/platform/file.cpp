// POSIX descriptors behind platform/file.h. Binary mode is implied on this platform; interrupted
// calls are retried, and short reads and writes are continued until done or refused.
#include "platform/file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quor::platform {

const char data_search_path[] = "./;../";

namespace {

// One read or write may move fewer bytes than asked for; go on until all of them or a refusal.
template <typename Byte, typename Call>
std::size_t transfer(int fd, Byte* bytes, std::size_t size, Call call)
{
    std::size_t total = 0;
    while (total < size) {
        const ssize_t n = call(fd, bytes + total, size - total);
        if (n == -1 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        total += static_cast<std::size_t>(n);
    }
    return total;
}

} // namespace

// Looked at before it is opened (opening a FIFO waits for a writer, opening a device may act on
// it), and again once open, in case the name was given to something else in between.
int open_for_input(const char* path, open_result* result)
{
    open_result how = open_result::opened;
    int fd = no_file;
    struct stat st;
    if (::stat(path, &st) != 0) {
        how = errno == ENOENT || errno == ENOTDIR ? open_result::missing : open_result::unreadable;
    } else if (!S_ISREG(st.st_mode)) {
        how = open_result::not_regular;
    } else {
        do
            fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        while (fd == -1 && errno == EINTR);
        if (fd == -1) {
            how = errno == ENOENT ? open_result::missing : open_result::unreadable;
        } else if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            fd = no_file;
            how = open_result::not_regular;
        } else {
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        }
    }
    if (result)
        *result = how;
    return fd;
}

int create_file(const char* path, unsigned permissions)
{
    int fd;
    do
        fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, static_cast<mode_t>(permissions));
    while (fd == -1 && errno == EINTR);
    return fd;
}

bool copy_permissions(const char* like, int fd)
{
    struct stat st;
    return ::stat(like, &st) == 0 && ::fchmod(fd, st.st_mode & 07777) == 0;
}

void close_file(int fd)
{
    if (fd != no_file)
        ::close(fd);
}

long long file_length(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return -1;
    return static_cast<long long>(st.st_size);
}

std::size_t read_full(int fd, void* buffer, std::size_t size)
{
    return transfer(fd, static_cast<char*>(buffer), size, [](int f, char* p, std::size_t n) { return ::read(f, p, n); });
}

std::size_t write_full(int fd, const void* data, std::size_t size)
{
    return transfer(fd, static_cast<const char*>(data), size,
                    [](int f, const char* p, std::size_t n) { return ::write(f, p, n); });
}

long long seek(int fd, long long offset, bool relative)
{
    return static_cast<long long>(::lseek(fd, static_cast<off_t>(offset), relative ? SEEK_CUR : SEEK_SET));
}

bool flush_to_disk(int fd)
{
    int r;
    do
        r = ::fsync(fd);
    while (r == -1 && errno == EINTR);
    return r == 0;
}

bool stamp_of(const char* path, file_stamp& out)
{
    struct stat st;
    if (::stat(path, &st) != 0)
        return false;
    out.device = static_cast<std::uint64_t>(st.st_dev);
    out.inode = static_cast<std::uint64_t>(st.st_ino);
    out.size = static_cast<long long>(st.st_size);
    out.modified_ns = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

bool folder_writable(const char* folder) { return ::access(folder, W_OK | X_OK) == 0; }

std::size_t copy_range(int from, long long offset, int to, std::size_t size)
{
    auto in = static_cast<off_t>(offset);
    std::size_t total = 0;
    while (total < size) {
        const ssize_t n = ::copy_file_range(from, &in, to, nullptr, size - total, 0);
        if (n == -1 && errno == EINTR)
            continue;
        if (n == -1 && total == 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP))
            break; // file systems or kernels without it: copy through a buffer below
        if (n <= 0)
            return total;
        total += static_cast<std::size_t>(n);
    }
    std::vector<char> buffer(total < size ? std::size_t{1} << 20 : 0);
    while (total < size) {
        const std::size_t want = std::min(buffer.size(), size - total);
        ssize_t n;
        do
            n = ::pread(from, buffer.data(), want, in);
        while (n == -1 && errno == EINTR);
        if (n <= 0 || write_full(to, buffer.data(), static_cast<std::size_t>(n)) != static_cast<std::size_t>(n))
            break;
        in += n;
        total += static_cast<std::size_t>(n);
    }
    return total;
}

const char* map_input(int fd, std::size_t size)
{
    void* p = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    return p == MAP_FAILED ? nullptr : static_cast<const char*>(p);
}

void unmap(const char* data, std::size_t size)
{
    if (data)
        ::munmap(const_cast<char*>(data), size);
}

bool is_folder(const char* path)
{
    struct stat st;
    return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

bool make_folder(const char* path)
{
    return ::mkdir(path, 0777) == 0 || errno == EEXIST;
}

bool can_write_into(const char* folder)
{
    return ::access(folder, W_OK | X_OK) == 0;
}

bool rename_over(const char* from, const char* to)
{
    return std::rename(from, to) == 0;
}

void remove_file(const char* path)
{
    std::remove(path);
}

std::string last_error()
{
    return std::strerror(errno);
}

} // namespace quor::platform
