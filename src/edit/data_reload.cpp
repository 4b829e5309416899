// A new version is read and checked as the data file's owner reads it, the stamp taken before
// and after the read so that a file still being written is not mistaken for a damaged one.
#include "edit/data_reload.h"

namespace quor::edit {

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

reload_outcome data_reload::read(const platform::file_stamp& stamp) const
{
    reload_outcome out;
    const bool checked = demo::read_data_file(file, out.data, &out.message);
    if (stamp_now(file) != stamp)
        return {};
    out.what = checked ? reload_outcome::kind::reloaded : reload_outcome::kind::refused;
    return out;
}

reload_outcome data_reload::load(const platform::file_stamp& stamp)
{
    reload_outcome out = read(stamp);
    if (out.what == reload_outcome::kind::none)
        return out;
    seen = stamp;
    if (out.what == reload_outcome::kind::refused)
        out.data = {};
    return out;
}

} // namespace quor::edit
