// Files in a web page: the files of the page's folder, fetched over HTTP. The page lists them
// (files.json) before the program starts and begins their downloads at once; a read streams the
// download straight into the caller's buffer, waiting for it there (the one place where the
// program waits on the page), so the data lies once in memory. A page writes no files: those
// calls refuse.
#include "platform/file.h"

#include <emscripten.h>

#include <string>

// The page's side of these calls is Module.quor.files in web/player.js.
EM_JS(int, quor_file_open, (const char* path), { return Module.quor.files.open(UTF8ToString(path)); });
EM_JS(double, quor_file_length, (int fd), { return Module.quor.files.length(fd); });
EM_JS(double, quor_file_position, (int fd), { return Module.quor.files.position(fd); });
EM_ASYNC_JS(double, quor_file_read, (int fd, char* buffer, double size),
            { return await Module.quor.files.read(fd, buffer, size); });
EM_JS(void, quor_file_close, (int fd), { Module.quor.files.close(fd); });

namespace quor::platform {

// The page's folder, then its parent, which the page does not serve: the data is found beside it.
const char data_search_path[] = "./;../";

namespace {

std::string failure;

std::string page_path(const char* path)
{
    std::string p = path;
    while (p.rfind("./", 0) == 0)
        p.erase(0, 2);
    return p;
}

} // namespace

int open_for_input(const char* path, open_result* result)
{
    // Names outside the page's folder (the parent of the search path) are not served.
    const std::string name = page_path(path);
    const int fd = name.find("..") == std::string::npos ? quor_file_open(name.c_str()) : no_file;
    if (result)
        *result = fd == no_file ? open_result::missing : open_result::opened;
    return fd;
}

int create_file(const char*, unsigned)
{
    failure = "a web page writes no files";
    return no_file;
}

void close_file(int fd)
{
    if (fd != no_file)
        quor_file_close(fd);
}

long long file_length(int fd) { return static_cast<long long>(quor_file_length(fd)); }

std::size_t read_full(int fd, void* buffer, std::size_t size)
{
    return static_cast<std::size_t>(quor_file_read(fd, static_cast<char*>(buffer), static_cast<double>(size)));
}

std::size_t write_full(int, const void*, std::size_t) { return 0; }

// A download only goes forward: the position can be asked for, not moved.
long long seek(int fd, long long offset, bool relative)
{
    const auto position = static_cast<long long>(quor_file_position(fd));
    if (position < 0)
        return -1;
    return (relative ? offset == 0 : offset == position) ? position : -1;
}

bool flush_to_disk(int) { return false; }

std::size_t copy_range(int, long long, int, std::size_t) { return 0; }

const char* map_input(int, std::size_t) { return nullptr; }

void unmap(const char*, std::size_t) {}

bool stamp_of(const char*, file_stamp&) { return false; }

bool stamp_of(int, file_stamp&) { return false; }

unplaced_file create_unplaced(const char*)
{
    failure = "a web page writes no files";
    return {};
}

bool place_file(unplaced_file&, const char*, int&)
{
    failure = "a web page writes no files";
    return false;
}

// Nothing writes, so there is no one to wait for.
lock_result lock_exclusive(int, int) { return lock_result::locked; }

bool names_file(const char*, int) { return true; }

// The page's files are read-only to it.
bool facts_of(int, file_facts& out)
{
    out = {};
    out.permissions = 0444;
    return true;
}

bool may_write(const char*) { return false; }

bool carry_over(const file_facts&, int) { return false; }

std::string resolve_links(const char* path) { return path; }

// The page's folder is the only one there is, and nothing is written into it.
bool is_folder(const char* path) { return page_path(path).empty() || page_path(path) == "."; }

bool make_folder(const char*) { return false; }

bool can_write_into(const char*) { return false; }

bool rename_over(const char*, const char*)
{
    failure = "a web page writes no files";
    return false;
}

void remove_leftovers(const char*) {}

void remove_file(const char*) {}

std::string last_error() { return failure; }

bool held_by_another_program() { return false; }

} // namespace quor::platform
