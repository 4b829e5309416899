// Write beside, flush, read back, check, rename over. The check sees what the disk gives back,
// not what was meant to be written, so a short or failed write cannot slip through.
#include "io/replace_file.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/file.h"

namespace quor {
namespace {

bool fail(std::string* error, std::string why)
{
    if (error)
        *error = std::move(why);
    return false;
}

// The whole file, or false with the reason.
bool read_whole(const std::string& path, std::vector<char>& out, std::string* error)
{
    const int fd = platform::open_for_input(path.c_str());
    if (fd == platform::no_file)
        return fail(error, "cannot read " + path + ": " + platform::last_error());
    const long long length = platform::file_length(fd);
    bool ok = length >= 0;
    if (ok) {
        out.resize(static_cast<std::size_t>(length));
        ok = platform::read_full(fd, out.data(), out.size()) == out.size();
    }
    const std::string why = platform::last_error();
    platform::close_file(fd);
    return ok || fail(error, "cannot read " + path + ": " + (length >= 0 ? "it ended early" : why));
}

} // namespace

bool replace_file(const std::string& path, std::span<const char> bytes, const file_check& check, std::string* error)
{
    const std::string temporary = path + ".tmp";
    const int fd = platform::create_file(temporary.c_str(), 0666);
    if (fd == platform::no_file)
        return fail(error, "cannot write " + temporary + ": " + platform::last_error());
    bool ok = platform::write_full(fd, bytes.data(), bytes.size()) == bytes.size() ||
              fail(error, "cannot write " + temporary + ": " + platform::last_error());
    ok = ok && (platform::flush_to_disk(fd) || fail(error, "cannot flush " + temporary + ": " + platform::last_error()));
    platform::close_file(fd);

    if (ok) {
        std::vector<char> written;
        ok = read_whole(temporary, written, error);
        if (ok && written.size() != bytes.size())
            ok = fail(error, "cannot write " + temporary + ": " + std::to_string(written.size()) + " of " +
                                 std::to_string(bytes.size()) + " bytes arrived");
        if (ok && check) {
            std::string refusal = check(written);
            if (!refusal.empty())
                ok = fail(error, std::move(refusal));
        }
    }
    ok = ok && (platform::rename_over(temporary.c_str(), path.c_str()) ||
                fail(error, "cannot rename " + temporary + " to " + path + ": " + platform::last_error()));
    if (!ok)
        platform::remove_file(temporary.c_str());
    return ok;
}

bool replace_region(const std::string& path, std::size_t offset, std::size_t replaced, std::span<const char> bytes,
                    const file_check& check, std::string* error)
{
    std::vector<char> old;
    if (!read_whole(path, old, error))
        return false;
    if (offset > old.size())
        return fail(error, "cannot replace bytes at " + std::to_string(offset) + " of " + path + ": it holds " +
                               std::to_string(old.size()));
    const std::size_t cut = std::min(replaced, old.size() - offset);
    std::vector<char> copy;
    copy.reserve(old.size() - cut + bytes.size());
    copy.insert(copy.end(), old.begin(), old.begin() + static_cast<std::ptrdiff_t>(offset));
    copy.insert(copy.end(), bytes.begin(), bytes.end());
    copy.insert(copy.end(), old.begin() + static_cast<std::ptrdiff_t>(offset + cut), old.end());
    old = {};
    return replace_file(path, copy, check, error);
}

} // namespace quor
