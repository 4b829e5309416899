// Write beside, flush, read back, check, rename over. The check sees what the disk gives back,
// not what was meant to be written, so a short or failed write cannot slip through. A region is
// replaced without bringing the rest of the file through memory: the unchanged bytes are copied
// file to file by the kernel, and the check reads back through a mapping only the pages it
// looks at.
#include "io/replace_file.h"

#include <algorithm>
#include <utility>

#include "platform/file.h"
#include "platform/interrupt.h"

namespace quor {
namespace {

bool fail(std::string* error, std::string why)
{
    if (error)
        *error = std::move(why);
    return false;
}

// Reads the flushed temporary back through a mapping and hands it to the check.
bool read_back_and_check(const std::string& temporary, std::size_t expected, const file_check& check,
                         std::string* error)
{
    const int fd = platform::open_for_input(temporary.c_str());
    if (fd == platform::no_file)
        return fail(error, "cannot read " + temporary + ": " + platform::last_error());
    const long long length = platform::file_length(fd);
    if (length < 0 || static_cast<std::size_t>(length) != expected) {
        platform::close_file(fd);
        return fail(error, "cannot write " + temporary + ": " + std::to_string(length < 0 ? 0 : length) + " of " +
                               std::to_string(expected) + " bytes arrived");
    }
    if (!check) {
        platform::close_file(fd);
        return true;
    }
    const char* bytes = expected > 0 ? platform::map_input(fd, expected) : nullptr;
    const std::string why = platform::last_error();
    platform::close_file(fd);
    if (expected > 0 && !bytes)
        return fail(error, "cannot read " + temporary + ": " + why);
    std::string refusal = check(std::span<const char>(bytes, expected));
    platform::unmap(bytes, expected);
    return refusal.empty() || fail(error, std::move(refusal));
}

// Creates the temporary beside the file, with the file's own permissions when it exists so the
// replacement does not change who may read it. Whatever an earlier, interrupted run left under
// that name (a file, a link) goes first, so that nothing is written through it; until `finish`, a
// termination signal takes the new one away with it.
int create_temporary(const std::string& path, const std::string& temporary, std::string* error)
{
    platform::remove_file(temporary.c_str());
    platform::remove_on_interruption(temporary.c_str());
    const int fd = platform::create_file(temporary.c_str(), 0666);
    if (fd == platform::no_file) {
        fail(error, "cannot write " + temporary + ": " + platform::last_error());
        platform::remove_on_interruption(nullptr);
        return fd;
    }
    platform::copy_permissions(path.c_str(), fd);
    return fd;
}

// The temporary is written (fd still open, `written` says whether all of it arrived): flush it,
// check it and put it in place, or remove it.
bool finish(int fd, bool written, const std::string& temporary, const std::string& path, std::size_t expected,
            const file_check& check, std::string* error)
{
    bool ok = written || fail(error, "cannot write " + temporary + ": " + platform::last_error());
    ok = ok && (platform::flush_to_disk(fd) || fail(error, "cannot flush " + temporary + ": " + platform::last_error()));
    platform::close_file(fd);
    ok = ok && read_back_and_check(temporary, expected, check, error);
    ok = ok && (platform::rename_over(temporary.c_str(), path.c_str()) ||
                fail(error, "cannot rename " + temporary + " to " + path + ": " + platform::last_error()));
    if (!ok)
        platform::remove_file(temporary.c_str());
    platform::remove_on_interruption(nullptr);
    return ok;
}

} // namespace

bool replace_file(const std::string& path, std::span<const char> bytes, const file_check& check, std::string* error)
{
    const std::string temporary = path + ".tmp";
    const int fd = create_temporary(path, temporary, error);
    if (fd == platform::no_file)
        return false;
    const bool written = platform::write_full(fd, bytes.data(), bytes.size()) == bytes.size();
    return finish(fd, written, temporary, path, bytes.size(), check, error);
}

bool replace_region(const std::string& path, std::size_t offset, std::size_t replaced, std::span<const char> bytes,
                    const file_check& check, std::string* error)
{
    const int old = platform::open_for_input(path.c_str());
    const long long length = old == platform::no_file ? -1 : platform::file_length(old);
    if (length < 0) {
        const std::string why = platform::last_error();
        platform::close_file(old);
        return fail(error, "cannot read " + path + ": " + why);
    }
    const auto size = static_cast<std::size_t>(length);
    if (offset > size) {
        platform::close_file(old);
        return fail(error, "cannot replace bytes at " + std::to_string(offset) + " of " + path + ": it holds " +
                               std::to_string(size));
    }
    const std::size_t cut = std::min(replaced, size - offset);
    const std::size_t tail = size - offset - cut;

    const std::string temporary = path + ".tmp";
    const int fd = create_temporary(path, temporary, error);
    if (fd == platform::no_file) {
        platform::close_file(old);
        return false;
    }
    const bool written = platform::copy_range(old, 0, fd, offset) == offset &&
                         platform::write_full(fd, bytes.data(), bytes.size()) == bytes.size() &&
                         platform::copy_range(old, static_cast<long long>(offset + cut), fd, tail) == tail;
    platform::close_file(old);
    return finish(fd, written, temporary, path, offset + bytes.size() + tail, check, error);
}

} // namespace quor
