// Lock, write beside, flush, read back, check, put in place. The lock is taken on the file being
// replaced and held until the new one is in place, and the old bytes a region change keeps are
// read through the locked descriptor, so a writer never builds on a version another one is
// replacing. The check sees what the disk gives back through the descriptor that wrote it, so
// neither a short write nor another process can slip other bytes under it. A region is replaced
// without bringing the rest of the file through memory: the unchanged bytes are copied file to
// file by the kernel, and the edit and the check see the files through mappings that read only
// the pages they look at.
#include "io/replace_file.h"

#include <algorithm>
#include <utility>

#include "platform/interrupt.h"

namespace quor {
namespace {

bool fail(std::string* error, std::string why)
{
    if (error)
        *error = std::move(why);
    return false;
}

// Where the system lets no file be replaced while another program has it open (Windows), the
// user closes it there: a failure they can mend, and the file is as it was.
bool held_elsewhere(std::string* error, const std::string& path)
{
    return fail(error, "cannot change " + path + ": it is open in another program; close it there and try again "
                       "(nothing was changed)");
}

// A read-only view of an open file's first `size` bytes, released with the object.
class mapped {
public:
    mapped(int fd, std::size_t size) : size_(size), bytes_(size > 0 ? platform::map_input(fd, size) : nullptr) {}
    ~mapped() { platform::unmap(bytes_, size_); }
    mapped(const mapped&) = delete;
    mapped& operator=(const mapped&) = delete;
    bool ok() const { return size_ == 0 || bytes_; }
    std::span<const char> bytes() const { return {bytes_, size_}; }

private:
    std::size_t size_;
    const char* bytes_;
};

// The file a writer replaces, locked, with what the replacement must respect; `fd` is no_file
// when there is no file yet (nothing to lock: a new file replaces nothing another writer built on).
struct held_file {
    int fd = platform::no_file;
    platform::file_facts facts;
    std::size_t size = 0;

    held_file() = default;
    held_file(const held_file&) = delete;
    held_file& operator=(const held_file&) = delete;
    ~held_file() { platform::close_file(fd); }
};

// Opens and locks the file at `target` (the resolved `path`), and takes it again when another
// writer put a new version in its place while this one waited.
bool hold(const std::string& path, const std::string& target, const replace_options& options, held_file& held,
          std::string* error)
{
    for (;;) {
        platform::open_result how;
        held.fd = platform::open_for_input(target.c_str(), &how);
        if (held.fd == platform::no_file) {
            if (how == platform::open_result::missing)
                return true;
            if (how == platform::open_result::unreadable && platform::held_by_another_program())
                return held_elsewhere(error, path);
            return fail(error, "cannot replace " + path + ": " +
                                   (how == platform::open_result::not_regular ? std::string("not a regular file")
                                                                              : platform::last_error()));
        }
        switch (platform::lock_exclusive(held.fd, options.lock_wait_ms)) {
        case platform::lock_result::busy:
            return fail(error, "cannot change " + path + ": another program is changing it; try again when it is done");
        case platform::lock_result::failed:
            return fail(error, "cannot lock " + path + ": " + platform::last_error());
        case platform::lock_result::locked:
            break;
        }
        if (platform::names_file(target.c_str(), held.fd))
            break;
        platform::close_file(held.fd);
        held.fd = platform::no_file;
    }
    platform::file_stamp stamp;
    if (!platform::facts_of(held.fd, held.facts) || !platform::stamp_of(held.fd, stamp))
        return fail(error, "cannot read " + path + ": " + platform::last_error());
    held.size = static_cast<std::size_t>(stamp.size);
    if (options.unchanged_since && stamp != *options.unchanged_since)
        return fail(error, "cannot change " + path + ": another program changed it since it was read");
    if (held.facts.links > 1)
        return fail(error, "cannot change " + path + ": it has " + std::to_string(held.facts.links) +
                               " names (hard links), and a replacement would leave the others with the old contents");
    if (!platform::may_write(target.c_str()))
        return fail(error, "cannot change " + path + ": it is read-only" +
                               ((held.facts.permissions & 0222) != 0 ? " to this user" : ""));
    return true;
}

// Hands the flushed new file, read back through its own descriptor, to the check.
bool check_written(int fd, const std::string& path, std::size_t expected, const file_check& check, std::string* error)
{
    const long long length = platform::file_length(fd);
    if (length < 0 || static_cast<std::size_t>(length) != expected)
        return fail(error, "cannot write a new " + path + ": " + std::to_string(length < 0 ? 0 : length) + " of " +
                               std::to_string(expected) + " bytes arrived");
    if (!check)
        return true;
    const mapped view(fd, expected);
    if (!view.ok())
        return fail(error, "cannot read back the new " + path + ": " + platform::last_error());
    std::string refusal = check(view.bytes());
    return refusal.empty() || fail(error, std::move(refusal));
}

// Writes the new file's `expected` bytes to its descriptor (the old file's, when there is one,
// open as `old`); false when not all of them arrive.
using producer = std::function<bool(int fd, int old)>;

// The steps every replacement shares, from the lock to the new file in place. Until then a
// termination signal removes the new file if it has a name; an unnamed one goes with the process.
bool replace(const std::string& path, held_file& held, const std::string& target, std::size_t expected,
             const producer& produce, const file_check& check, std::string* error, const replace_options& options)
{
    // Under the lock no other writer's new file is on its way: one left beside is a dead writer's.
    if (held.fd != platform::no_file)
        platform::remove_leftovers(target.c_str());
    platform::unplaced_file fresh = platform::create_unplaced(target.c_str());
    if (fresh.fd == platform::no_file)
        return fail(error, "cannot write a new file beside " + path + ": " + platform::last_error());
    platform::remove_on_interruption(fresh.name.c_str());
    bool ok = held.fd == platform::no_file || platform::carry_over(held.facts, fresh.fd) ||
              fail(error, "cannot change " + path + ": it belongs to another user, and a new file cannot be given to them");
    ok = ok && (produce(fresh.fd, held.fd) || fail(error, "cannot write a new " + path + ": " + platform::last_error()));
    ok = ok && (platform::flush_to_disk(fresh.fd) ||
                fail(error, "cannot flush the new " + path + ": " + platform::last_error()));
    ok = ok && check_written(fresh.fd, path, expected, check, error);
    // The stamp is the file's own, which its rename does not change; taken before it, while the
    // file still has the name it was opened by (Wine cannot tell a renamed handle's volume).
    platform::file_stamp stamp;
    const bool stamped = ok && options.placed && platform::stamp_of(fresh.fd, stamp);
    ok = ok && (platform::place_file(fresh, target.c_str(), held.fd) ||
                (platform::held_by_another_program() ? held_elsewhere(error, path)
                                                     : fail(error, "cannot put the new " + path + " in place: " + platform::last_error())));
    if (ok && stamped)
        *options.placed = stamp;
    if (!ok && fresh.named)
        platform::remove_file(fresh.name.c_str());
    platform::remove_on_interruption(nullptr);
    platform::close_file(fresh.fd);
    return ok;
}

} // namespace

bool replace_file(const std::string& path, std::span<const char> bytes, const file_check& check, std::string* error,
                  const replace_options& options)
{
    const std::string target = platform::resolve_links(path.c_str());
    held_file held;
    if (!hold(path, target, options, held, error))
        return false;
    const producer write = [&](int fd, int) {
        return platform::write_full(fd, bytes.data(), bytes.size()) == bytes.size();
    };
    return replace(path, held, target, bytes.size(), write, check, error, options);
}

bool change_region(const std::string& path, const region_edit& edit, const file_check& check, std::string* error,
                   const replace_options& options)
{
    const std::string target = platform::resolve_links(path.c_str());
    held_file held;
    if (!hold(path, target, options, held, error))
        return false;
    if (held.fd == platform::no_file)
        return fail(error, "cannot read " + path + ": no such file");
    region_change change;
    {
        const mapped current(held.fd, held.size);
        if (!current.ok())
            return fail(error, "cannot read " + path + ": " + platform::last_error());
        std::string refusal = edit(current.bytes(), change);
        if (!refusal.empty())
            return fail(error, std::move(refusal));
    }
    if (change.offset > held.size)
        return fail(error, "cannot replace bytes at " + std::to_string(change.offset) + " of " + path + ": it holds " +
                               std::to_string(held.size));
    const std::size_t cut = std::min(change.replaced, held.size - change.offset);
    const std::size_t tail = held.size - change.offset - cut;
    const producer write = [&](int fd, int old) {
        return platform::copy_range(old, 0, fd, change.offset) == change.offset &&
               platform::write_full(fd, change.bytes.data(), change.bytes.size()) == change.bytes.size() &&
               platform::copy_range(old, static_cast<long long>(change.offset + cut), fd, tail) == tail;
    };
    return replace(path, held, target, change.offset + change.bytes.size() + tail, write, check, error, options);
}

bool replace_region(const std::string& path, std::size_t offset, std::size_t replaced, std::span<const char> bytes,
                    const file_check& check, std::string* error, const replace_options& options)
{
    const region_edit fixed = [&](std::span<const char>, region_change& change) {
        change = {offset, replaced, std::vector<char>(bytes.begin(), bytes.end())};
        return std::string();
    };
    return change_region(path, fixed, check, error, options);
}

} // namespace quor
