// Files through the operating system's descriptor calls: open, read and write in full, move,
// flush to disk, lock, rename and remove. Every call retries when a signal interrupts it; the rest
// of the system reaches files only through this interface.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quor::platform {

// Where data files are looked for: the current folder, then its parent, as directory prefixes
// separated by ';', each ending in this system's path separator ("./;../", ".\;..\").
extern const char data_search_path[];

// What the open calls return when nothing opens.
inline constexpr int no_file = -1;

// How open_for_input went.
enum class open_result { opened, missing, not_regular, unreadable };

// Read-only, and only a regular file: a folder, FIFO, socket or device by that name is passed over
// without being opened, so the call never blocks. no_file when nothing opens; *result (when given)
// says which way it went, and for `unreadable` last_error() says why.
int open_for_input(const char* path, open_result* result = nullptr);
// Write-only, created or truncated, with `permissions` (POSIX mode bits, narrowed by the umask).
int create_file(const char* path, unsigned permissions);
void close_file(int fd);

// A new, empty file in the folder of `beside`, open for writing and reading back, that is to take
// the place of `beside` (place_file). Where the file system allows it the file has no name until
// then, so nothing of it remains when the process ends first; elsewhere it has a fresh name
// `beside`.XXXXXX.tmp that no other file had. `name` is the name it has or will be linked under:
// the one to remove, should the process be interrupted, until place_file returns.
struct unplaced_file {
    int fd = no_file;
    std::string name;
    bool named = false;
};
// fd is no_file when nothing could be created (last_error() says why).
unplaced_file create_unplaced(const char* beside);
// Removes what writers killed before place_file left of their new files beside `beside`: the
// regular files named as create_unplaced names them. Call it only while holding the lock of
// `beside`, so that no living writer of it is between create_unplaced and place_file. Where
// place_file lets the lock go a moment before its rename, a file changed in the last minute stays.
void remove_leftovers(const char* beside);
// Whether `name`, in the folder of `beside`, is one create_unplaced gives: the name of `beside`,
// '.', six letters or digits, ".tmp".
inline bool unplaced_name(std::string_view name, std::string_view beside)
{
    const std::string_view base = beside.substr(beside.find_last_of("/\\") + 1);
    if (name.size() != base.size() + 11 || !name.starts_with(base) || !name.ends_with(".tmp") || name[base.size()] != '.')
        return false;
    const std::string_view suffix = name.substr(base.size() + 1, 6);
    return std::all_of(suffix.begin(), suffix.end(), [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); });
}
// Puts the file in place of `path` in one step: `path` is never seen half written. False (and
// nothing named left behind, nothing at `path` changed) when it cannot be done. `replaced` is this
// process's descriptor of the file at `path` (the one holding its lock), or no_file: a system that
// cannot rename over an open file closes it first, and the lock goes a moment before the rename.
bool place_file(unplaced_file& file, const char* path, int& replaced);

// How lock_exclusive went.
enum class lock_result { locked, busy, failed };
// An exclusive advisory lock on the open file, held until its descriptor is closed. Writers that
// replace a file take it on the file first, so that they change it one after another. Waits up to
// `wait_ms` milliseconds (0: not at all) while another open file holds it, then says `busy`.
lock_result lock_exclusive(int fd, int wait_ms);
// Whether `path` still names the file open as `fd` (a rename over the name gives it another file).
bool names_file(const char* path, int fd);

// What a replacement of an open file must respect and carry over.
struct file_facts {
    unsigned permissions = 0; // POSIX mode bits
    unsigned long links = 1;  // names the file has (hard links)
    unsigned owner = 0;
    unsigned group = 0;
};
bool facts_of(int fd, file_facts& out);
// Whether this process may write the file at `path` and its permissions let anyone write it at all
// (a file nobody may write is read-only on purpose, even to the superuser).
bool may_write(const char* path);
// Gives the open file `fd` the permission bits (exactly, not narrowed by the umask), then the owner
// and group in `facts`. False when the bits cannot be set or the owner cannot be given (only a
// superuser gives files away); a group the process may not give is left as it is.
bool carry_over(const file_facts& facts, int fd);

// `path` with every symbolic link on the way followed, so that a replacement replaces the file a
// link points at, not the link; `path` as given when it does not lead to an existing file.
std::string resolve_links(const char* path);

// The file's size in bytes; -1 when it has none.
long long file_length(int fd);
// Reads until `size` bytes have arrived, the file ends or an error occurs; returns the count.
std::size_t read_full(int fd, void* buffer, std::size_t size);
// Writes until `size` bytes are out or an error occurs; returns the count.
std::size_t write_full(int fd, const void* data, std::size_t size);
// Moves to `offset` from the start, or from the current position when `relative`; returns the
// new position, -1 on error (`offset` 0 relative asks for the position).
long long seek(int fd, long long offset, bool relative);
// Makes the written bytes durable before the call returns.
bool flush_to_disk(int fd);
// Copies `size` bytes of `from`, starting at `offset`, to the current position of `to`, which
// moves on; inside the kernel where the file systems allow it (sharing the blocks where they
// can), through a buffer otherwise. Returns the count copied: less when `from` ends or a call fails.
std::size_t copy_range(int from, long long offset, int to, std::size_t size);

// The file's first `size` bytes (size > 0) mapped read-only, or null when they cannot be; pages
// are read from the file as they are touched. Release with unmap.
const char* map_input(int fd, std::size_t size);
void unmap(const char* data, std::size_t size);

// What tells one version of a file from another without reading it: device and inode (a rename
// over the file gives a new inode), size, and modification time to the nanosecond.
struct file_stamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    long long size = 0;
    long long modified_ns = 0;
    bool operator==(const file_stamp&) const = default;
};
// The stamp of `path` now; false when it cannot be looked at (missing, no permission).
bool stamp_of(const char* path, file_stamp& out);
// The stamp of the open file.
bool stamp_of(int fd, file_stamp& out);
// Whether this process may create files in `folder` (its permissions, a read-only mount).
bool folder_writable(const char* folder);

// Whether `path` names a folder.
bool is_folder(const char* path);
// Creates the folder unless it exists (as anything); false when it can be neither.
bool make_folder(const char* path);
// Whether new files can be made in the folder.
bool can_write_into(const char* folder);

// Renames `from` over `to` in one step: `to` is never seen half written.
bool rename_over(const char* from, const char* to);
void remove_file(const char* path);

// Why the last failed call of this interface failed, one short phrase.
std::string last_error();
// Whether the last failed call failed because another program has the file open and the system
// lets nobody open or replace a file while a program holds it so (Windows's sharing modes);
// never so where open files can be replaced (POSIX).
bool held_by_another_program();

} // namespace quor::platform
