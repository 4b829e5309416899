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

void data_reload::saved()
{
    seen = stamp_now(file);
}

reload_outcome data_reload::load(const platform::file_stamp& stamp)
{
    reload_outcome out;
    std::string error;
    const bool read = demo::read_data_file(file, out.data, &error);
    if (stamp_now(file) != stamp)
        return {};
    seen = stamp;
    if (!read) {
        out.what = reload_outcome::kind::refused;
        out.message = error;
        out.data = {};
        return out;
    }
    out.what = reload_outcome::kind::reloaded;
    return out;
}

} // namespace quor::edit
