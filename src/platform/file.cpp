// POSIX descriptors behind platform/file.h. Binary mode is implied on this platform; interrupted
// calls are retried, and short reads and writes are continued until done or refused.
#include "platform/file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <random>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
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

void fill_from(file_stamp& out, const struct stat& st)
{
    out.device = static_cast<std::uint64_t>(st.st_dev);
    out.inode = static_cast<std::uint64_t>(st.st_ino);
    out.size = static_cast<long long>(st.st_size);
    out.modified_ns = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

// Six random letters and digits in place of the last six characters of `name` ("XXXXXX" at first).
void draw_suffix(std::string& name)
{
    static std::random_device seed;
    static std::mt19937 draw(seed());
    constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::uniform_int_distribution<std::size_t> pick(0, sizeof letters - 2);
    const std::size_t at = name.size() - std::string_view(".tmp").size() - 6;
    for (std::size_t i = 0; i < 6; ++i)
        name[at + i] = letters[pick(draw)];
}

long long now_ms()
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
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

// O_TMPFILE makes a file without a name; file systems without it get a fresh name, created
// exclusively so that no other file (or link planted under that name) is ever written through.
unplaced_file create_unplaced(const char* beside)
{
    unplaced_file out;
    const std::string path = beside;
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    out.name = path + ".XXXXXX.tmp";
    draw_suffix(out.name);
    do
        out.fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
    while (out.fd == -1 && errno == EINTR);
    if (out.fd != -1 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return out;
    out.named = true;
    for (int attempt = 0; attempt < 100; ++attempt) {
        out.fd = ::open(out.name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (out.fd != -1 || (errno != EEXIST && errno != EINTR))
            break;
        draw_suffix(out.name);
    }
    return out;
}

// The lock is held through place_file's rename here: any file so named is a dead writer's.
void remove_leftovers(const char* beside)
{
    const std::string path = beside;
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    while (const struct dirent* entry = ::readdir(dir)) {
        struct stat st;
        if (unplaced_name(entry->d_name, path) && ::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(st.st_mode))
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

// An unnamed file is linked under its fresh name first (a link cannot replace a name), then
// renamed over `path` like a named one.
bool place_file(unplaced_file& file, const char* path, int&)
{
    if (!file.named) {
        const std::string self = "/proc/self/fd/" + std::to_string(file.fd);
        for (int attempt = 0; !file.named && attempt < 100; ++attempt) {
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, file.name.c_str(), AT_SYMLINK_FOLLOW) == 0)
                file.named = true;
            else if (errno == EEXIST)
                draw_suffix(file.name);
            else
                return false;
        }
        if (!file.named)
            return false;
    }
    if (std::rename(file.name.c_str(), path) == 0)
        return true;
    const int why = errno;
    ::unlink(file.name.c_str());
    errno = why;
    return false;
}

lock_result lock_exclusive(int fd, int wait_ms)
{
    const long long until = now_ms() + wait_ms;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return lock_result::locked;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return lock_result::failed;
        if (errno == EWOULDBLOCK && now_ms() >= until)
            return lock_result::busy;
        const struct timespec pause = {0, 20 * 1000000};
        ::nanosleep(&pause, nullptr);
    }
}

bool names_file(const char* path, int fd)
{
    struct stat named, open;
    return ::stat(path, &named) == 0 && ::fstat(fd, &open) == 0 && named.st_dev == open.st_dev &&
           named.st_ino == open.st_ino;
}

bool facts_of(int fd, file_facts& out)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return false;
    out.permissions = st.st_mode & 07777;
    out.links = static_cast<unsigned long>(st.st_nlink);
    out.owner = st.st_uid;
    out.group = st.st_gid;
    return true;
}

bool may_write(const char* path)
{
    struct stat st;
    return ::stat(path, &st) == 0 && (st.st_mode & 0222) != 0 && ::faccessat(AT_FDCWD, path, W_OK, AT_EACCESS) == 0;
}

bool carry_over(const file_facts& facts, int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return false;
    // Only a superuser gives a file away; a group the process is not in stays as the folder gave it.
    if ((st.st_uid != facts.owner || st.st_gid != facts.group) && ::fchown(fd, facts.owner, facts.group) != 0 &&
        st.st_uid != facts.owner)
        return false;
    // After the owner: a change of owner clears the set-user-ID and set-group-ID bits.
    return ::fchmod(fd, facts.permissions) == 0;
}

std::string resolve_links(const char* path)
{
    char* resolved = ::realpath(path, nullptr);
    if (!resolved)
        return path;
    std::string out = resolved;
    std::free(resolved);
    return out;
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
    fill_from(out, st);
    return true;
}

bool stamp_of(int fd, file_stamp& out)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return false;
    fill_from(out, st);
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

bool held_by_another_program()
{
    return false;
}

} // namespace quor::platform
