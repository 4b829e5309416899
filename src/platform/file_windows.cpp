// Names are UTF-8, given to the wide calls. The C runtime's descriptor calls behind platform/file.h (_open, _read, _write, _lseeki64,
// _filelengthi64, _commit, _close), always in binary mode; the 64-bit seek and length so that a
// file past 2 GiB is measured, not wrapped. What the runtime has no call for (mappings, renames
// over a file, file identities) goes to Win32, its errors translated to errno for last_error().
#include "platform/file.h"
#include "platform/wide_text_windows.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace quor::platform {

const char data_search_path[] = ".\\;..\\";

namespace {

// The runtime reads and writes at most an unsigned int at a time.
constexpr std::size_t largest_call = 1u << 30;

// What errno says when another program's open of the file, not shared for what was asked, stood
// in the way (a sharing violation); last_error() words it for the user.
constexpr int held_elsewhere = EBUSY;

bool win32_failed()
{
    switch (GetLastError()) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        errno = ENOENT;
        break;
    case ERROR_SHARING_VIOLATION:
        errno = held_elsewhere;
        break;
    case ERROR_ACCESS_DENIED:
    case ERROR_LOCK_VIOLATION:
        errno = EACCES;
        break;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        errno = ENOMEM;
        break;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        errno = ENOSPC;
        break;
    default:
        errno = EIO;
    }
    return false;
}

HANDLE handle_of(int fd) { return reinterpret_cast<HANDLE>(_get_osfhandle(fd)); }

std::uint64_t wide(DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; }

void fill_from(file_stamp& out, const BY_HANDLE_FILE_INFORMATION& info)
{
    out.device = info.dwVolumeSerialNumber;
    out.inode = wide(info.nFileIndexHigh, info.nFileIndexLow);
    out.size = static_cast<long long>(wide(info.nFileSizeHigh, info.nFileSizeLow));
    // FILETIME counts 100 ns steps from 1601, too many for nanoseconds in 64 bits: counted from
    // 1970, as the Linux file counts them.
    constexpr long long from_1601_to_1970 = 116444736000000000;
    out.modified_ns =
        (static_cast<long long>(wide(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime)) -
         from_1601_to_1970) * 100;
}

// Six random letters and digits in place of the six before ".tmp".
void draw_suffix(std::string& name)
{
    static unsigned long long state = GetTickCount64() ^ GetCurrentProcessId();
    constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    const std::size_t at = name.size() - 4 - 6;
    for (std::size_t i = 0; i < 6; ++i) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        name[at + i] = letters[(state >> 33) % (sizeof letters - 1)];
    }
}

} // namespace

// Looked at before it is opened, so that a folder or a device by that name is passed over, and
// again once open, in case the name was given to something else in between.
int open_for_input(const char* path, open_result* result)
{
    open_result how = open_result::opened;
    int fd = no_file;
    struct _stat64 st;
    if (_wstat64(utf16(path).c_str(), &st) != 0) {
        how = errno == ENOENT ? open_result::missing : open_result::unreadable;
    } else if ((st.st_mode & _S_IFMT) != _S_IFREG) {
        how = open_result::not_regular;
    } else {
        fd = _wopen(utf16(path).c_str(), _O_BINARY | _O_RDONLY);
        if (fd == -1) {
            // The runtime calls a sharing violation a denied access; the system's own code tells.
            if (GetLastError() == ERROR_SHARING_VIOLATION)
                errno = held_elsewhere;
            how = errno == ENOENT ? open_result::missing : open_result::unreadable;
        } else if (_fstat64(fd, &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) {
            _close(fd);
            fd = no_file;
            how = open_result::not_regular;
        }
    }
    if (result)
        *result = how;
    return fd;
}

// Opened to be shared for deletion, so that an interruption can remove the file while it is
// being written, as POSIX unlinks an open file.
int create_file(const char* path, unsigned permissions)
{
    const DWORD attributes = (permissions & 0200) ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
    HANDLE h = CreateFileW(utf16(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           CREATE_ALWAYS, attributes, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        win32_failed();
        return no_file;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_BINARY | _O_WRONLY);
    if (fd == -1)
        CloseHandle(h);
    return fd;
}

// Windows has no unnamed files: the new file has a fresh name from the start, made with
// CREATE_NEW so that nothing already there is written through, and shared for deletion so that
// an interruption can remove it and a rename can move it while it is open.
unplaced_file create_unplaced(const char* beside)
{
    unplaced_file out;
    out.named = true;
    out.name = std::string(beside) + ".XXXXXX.tmp";
    for (int attempt = 0; attempt < 100; ++attempt) {
        draw_suffix(out.name);
        HANDLE h = CreateFileW(utf16(out.name.c_str()).c_str(), GENERIC_READ | GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS)
                continue;
            win32_failed();
            return out;
        }
        out.fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_BINARY | _O_RDWR);
        if (out.fd == -1)
            CloseHandle(h);
        return out;
    }
    errno = EEXIST;
    return out;
}

// place_file lets the lock go a moment before its rename, so a writer may still be about to
// move its file: only one unchanged for a minute is a dead writer's.
void remove_leftovers(const char* beside)
{
    const std::string path = beside;
    const std::size_t slash = path.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(utf16((path + ".??????.tmp").c_str()).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) { return (ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
    constexpr ULONGLONG minute = 60ull * 10000000; // in 100 ns ticks
    do {
        const std::string name = utf8(found.cFileName);
        if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
            unplaced_name(name, path) && ticks(now) > ticks(found.ftLastWriteTime) + minute)
            remove_file((folder + name).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// A file open here cannot be renamed over, even shared for deletion.
bool place_file(unplaced_file& file, const char* path, int& replaced)
{
    close_file(replaced);
    replaced = no_file;
    if (rename_over(file.name.c_str(), path))
        return true;
    const int why = errno;
    remove_file(file.name.c_str());
    errno = why;
    return false;
}

// Windows locks are mandatory for the bytes they cover: the lock is taken on a byte far past any
// data file's end, which readers never touch.
lock_result lock_exclusive(int fd, int wait_ms)
{
    const ULONGLONG until = GetTickCount64() + static_cast<ULONGLONG>(wait_ms);
    for (;;) {
        OVERLAPPED at = {};
        at.OffsetHigh = 0x7fffffff;
        if (LockFileEx(handle_of(fd), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at))
            return lock_result::locked;
        if (GetLastError() != ERROR_LOCK_VIOLATION) {
            win32_failed();
            return lock_result::failed;
        }
        if (GetTickCount64() >= until)
            return lock_result::busy;
        Sleep(20);
    }
}

bool names_file(const char* path, int fd)
{
    file_stamp named, open;
    return stamp_of(path, named) && stamp_of(fd, open) && named.device == open.device && named.inode == open.inode;
}

// A Windows file's one permission is its read-only attribute; owners are not carried over.
bool facts_of(int fd, file_facts& out)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle_of(fd), &info))
        return win32_failed();
    out = {};
    out.links = info.nNumberOfLinks;
    out.permissions = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    return true;
}

bool may_write(const char* path)
{
    const DWORD attributes = GetFileAttributesW(utf16(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY);
}

bool carry_over(const file_facts&, int) { return true; }

// The full name the system gives the file once open (symbolic links and junctions followed),
// with '/' between folders as on the other systems, so that callers compare and split it alike.
std::string resolve_links(const char* path)
{
    HANDLE h = CreateFileW(utf16(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return path;
    std::wstring name(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(h, name.data(), static_cast<DWORD>(name.size()), FILE_NAME_NORMALIZED);
    if (length >= name.size()) {
        name.assign(length, L'\0');
        length = GetFinalPathNameByHandleW(h, name.data(), length, FILE_NAME_NORMALIZED);
    }
    CloseHandle(h);
    if (length == 0 || length >= name.size())
        return path;
    name.resize(length);
    // The name comes in the long form "\\?\C:\..." or "\\?\UNC\server\share\...".
    if (name.starts_with(L"\\\\?\\UNC\\"))
        name = L"\\\\" + name.substr(8);
    else if (name.starts_with(L"\\\\?\\"))
        name = name.substr(4);
    std::string out = utf8(name.c_str());
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

void close_file(int fd)
{
    if (fd != no_file)
        _close(fd);
}

long long file_length(int fd) { return _filelengthi64(fd); }

std::size_t read_full(int fd, void* buffer, std::size_t size)
{
    auto* bytes = static_cast<char*>(buffer);
    std::size_t total = 0;
    while (total < size) {
        const int n = _read(fd, bytes + total, static_cast<unsigned>(std::min(size - total, largest_call)));
        if (n <= 0)
            break;
        total += static_cast<std::size_t>(n);
    }
    return total;
}

std::size_t write_full(int fd, const void* data, std::size_t size)
{
    const auto* bytes = static_cast<const char*>(data);
    std::size_t total = 0;
    while (total < size) {
        const int n = _write(fd, bytes + total, static_cast<unsigned>(std::min(size - total, largest_call)));
        if (n <= 0)
            break;
        total += static_cast<std::size_t>(n);
    }
    return total;
}

long long seek(int fd, long long offset, bool relative) { return _lseeki64(fd, offset, relative ? SEEK_CUR : SEEK_SET); }

bool flush_to_disk(int fd) { return _commit(fd) == 0; }

// The volume's serial number and the file's index are what device and inode are on POSIX.
bool stamp_of(const char* path, file_stamp& out)
{
    HANDLE h = CreateFileW(utf16(path).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return win32_failed();
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = GetFileInformationByHandle(h, &info) != 0 || win32_failed();
    CloseHandle(h);
    if (ok)
        fill_from(out, info);
    return ok;
}

bool stamp_of(int fd, file_stamp& out)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle_of(fd), &info))
        return win32_failed();
    fill_from(out, info);
    return true;
}

std::size_t copy_range(int from, long long offset, int to, std::size_t size)
{
    if (_lseeki64(from, offset, SEEK_SET) != offset)
        return 0;
    std::vector<char> buffer(std::min(size, std::size_t{1} << 20));
    std::size_t total = 0;
    while (total < size) {
        const std::size_t want = std::min(buffer.size(), size - total);
        const std::size_t got = read_full(from, buffer.data(), want);
        if (got == 0 || write_full(to, buffer.data(), got) != got)
            break;
        total += got;
    }
    return total;
}

const char* map_input(int fd, std::size_t size)
{
    HANDLE mapping = CreateFileMappingA(handle_of(fd), nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping) {
        win32_failed();
        return nullptr;
    }
    // The view keeps the mapping, and the file, for itself.
    void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, size);
    if (!view)
        win32_failed();
    CloseHandle(mapping);
    return static_cast<const char*>(view);
}

void unmap(const char* data, std::size_t)
{
    if (data)
        UnmapViewOfFile(data);
}

bool folder_writable(const char* folder)
{
    const DWORD attributes = GetFileAttributesW(utf16(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           _waccess(utf16(folder).c_str(), 2) == 0;
}

bool is_folder(const char* path)
{
    const DWORD attributes = GetFileAttributesW(utf16(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool make_folder(const char* path)
{
    return CreateDirectoryW(utf16(path).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS || win32_failed();
}

bool can_write_into(const char* folder) { return folder_writable(folder); }

// Windows refuses to rename over a file another program holds open without sharing it for
// deletion (as nearly every program opens files), and calls that a denied access: a second look,
// asking for nothing but deletion, tells it from a file this user may not replace.
bool rename_over(const char* from, const char* to)
{
    const std::wstring target = utf16(to);
    if (MoveFileExW(utf16(from).c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    const DWORD why = GetLastError();
    if (why == ERROR_ACCESS_DENIED) {
        HANDLE h = CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        else if (GetLastError() == ERROR_SHARING_VIOLATION)
            return win32_failed();
    }
    SetLastError(why);
    return win32_failed();
}

void remove_file(const char* path) { _wremove(utf16(path).c_str()); }

std::string last_error()
{
    return errno == held_elsewhere ? "it is open in another program" : std::strerror(errno);
}

bool held_by_another_program() { return errno == held_elsewhere; }

} // namespace quor::platform
