// A new version is read into a fresh block of the layout's size, the stamp taken before and
// after the read so that a file still being written is not mistaken for a damaged one.
#include "edit/data_reload.h"

#include "demo/data_check.h"
#include "demo/data_layout.h"
#include "io/disk_binfile.h"

namespace quor::edit {

namespace layout = demo::layout;

namespace {

std::optional<platform::file_stamp> stamp_now(const std::string& path)
{
    platform::file_stamp stamp;
    if (!platform::stamp_of(path.c_str(), stamp))
        return std::nullopt;
    return stamp;
}

} // namespace

data_reload::data_reload(std::string path) : file(std::move(path)), seen(stamp_now(file)) {}

reload_outcome data_reload::poll(bool unsaved_edits)
{
    const std::optional<platform::file_stamp> now = stamp_now(file);
    // A file missing for a moment is being replaced by a tool that does not rename.
    if (!now || now == seen)
        return {};
    if (unsaved_edits) {
        reload_outcome out;
        out.what = reload_outcome::kind::ask;
        out.message = file + " changed on disk while edits are unsaved";
        return out;
    }
    return load(*now);
}

reload_outcome data_reload::take()
{
    const std::optional<platform::file_stamp> now = stamp_now(file);
    return now ? load(*now) : reload_outcome{};
}

void data_reload::keep()
{
    seen = stamp_now(file);
}

reload_outcome data_reload::load(const platform::file_stamp& stamp)
{
    reload_outcome out;
    const auto size = static_cast<std::size_t>(stamp.size);
    if (size > layout::max_file_size) {
        // The check weighs the size before it reads anything.
        seen = stamp;
        out.what = reload_outcome::kind::refused;
        out.message = demo::check_data(nullptr, size, file).message;
        return out;
    }
    std::unique_ptr<char[]> block(new char[layout::block_size]);
    DiskBinfile reader("");
    const bool read = reader.open(file.c_str()) &&
                      static_cast<std::size_t>(reader.read(block.get(), static_cast<int>(size))) == size;
    reader.close();
    if (stamp_now(file) != stamp)
        return out;
    seen = stamp;
    if (!read) {
        out.what = reload_outcome::kind::refused;
        out.message = file + ": cannot be read";
        return out;
    }
    const demo::data_check_result check = demo::check_data(block.get(), size, file);
    if (!check.ok) {
        out.what = reload_outcome::kind::refused;
        out.message = check.message;
        return out;
    }
    out.what = reload_outcome::kind::reloaded;
    out.block = std::move(block);
    out.size = size;
    return out;
}

} // namespace quor::edit
