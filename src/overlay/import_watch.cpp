// Each version of the file is looked at by its stamp (inode, size, modification time): a rename
// over it and a write in place both make a new one.
#include "overlay/import_watch.h"

#include <utility>

#include "demo/scene_section.h"

namespace quor::overlay {
namespace {

std::string file_name(const std::string& path) { return path.substr(path.rfind('/') + 1); }

} // namespace

bool import_watch::start(edit::workbench& bench, import_request request, bool watch)
{
    wanted = std::move(request);
    watching_ = watch;
    failing.reset();
    handled.reset();
    platform::file_stamp stamp;
    if (platform::stamp_of(wanted.path.c_str(), stamp))
        handled = stamp;
    std::string message;
    if (import(bench, message))
        return true;
    bench.set_status("not imported: " + message, true);
    return false;
}

void import_watch::poll(edit::workbench& bench, double now)
{
    platform::file_stamp stamp;
    // A file missing for a moment is being replaced: its next version is awaited.
    if (!watching_ || !platform::stamp_of(wanted.path.c_str(), stamp) || handled == stamp)
        return;
    if (failing == stamp && now - failing_since < settle)
        return;
    std::string message;
    if (import(bench, message)) {
        handled = stamp;
        failing.reset();
        return;
    }
    if (failing != stamp) {
        failing = stamp;
        failing_since = now;
        return;
    }
    handled = stamp;
    failing.reset();
    bench.set_status("not imported: " + message, true);
}

bool import_watch::import(edit::workbench& bench, std::string& message)
{
    record::transformation rec;
    std::vector<std::string> notes;
    if (!interchange::import_record(wanted.path, wanted.source, wanted.record, wanted.at, rec, notes, &message,
                                    wanted.simplify ? &*wanted.simplify : nullptr))
        return false;
    const edit::edit_result r = bench.edit([&](edit::motion_document& d) { return d.replace_record(wanted.record, rec); });
    if (!r.ok) {
        message = r.reason;
        return false;
    }
    ++done_count;
    std::string line = "imported " + wanted.source.label() + " from " + file_name(wanted.path) + " into the " +
                       demo::record_names[wanted.record];
    for (const std::string& note : notes)
        line += "; " + note;
    bench.set_status(line, false);
    return true;
}

} // namespace quor::overlay
