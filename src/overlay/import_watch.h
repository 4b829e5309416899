// Motion imported from another tool's file into one record, and that file watched: when the
// exporting tool writes it again, the next frame imports it again and the time stays. A version
// caught while it is still being written is tried again; one that still does not import once it
// has stood still for a moment is refused with the importer's message and changes nothing.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "edit/workbench.h"
#include "interchange/motion_import.h"
#include "platform/file.h"

namespace quor::overlay {

struct import_request {
    std::string path;
    interchange::motion_source source;
    std::size_t record = 0;
    // The time whose values an object's or the quad's record takes.
    double at = 0;
    // With it, the record's envelopes are simplified within it after each import.
    std::optional<interchange::simplify_tolerance> simplify;
};

class import_watch {
public:
    // How long a version that does not import must stand still before it is refused (seconds).
    static constexpr double settle = 0.5;

    // Imports now, as one undo step, the outcome and the importer's notes on the status line;
    // with `watch`, keeps watching the file afterwards (even when this import failed).
    bool start(edit::workbench& bench, import_request request, bool watch);
    void stop() { watching_ = false; }
    bool watching() const { return watching_; }
    const import_request& request() const { return wanted; }

    // Once a frame, `now` in seconds: a new version of the watched file is imported.
    void poll(edit::workbench& bench, double now);
    // Imports made since the start, the first included.
    int imports() const { return done_count; }

private:
    // One import, its outcome on the status line unless it failed; *message says why it failed.
    bool import(edit::workbench& bench, std::string& message);

    import_request wanted;
    bool watching_ = false;
    int done_count = 0;
    // The version last imported or refused, and a failing one being given time to settle.
    std::optional<platform::file_stamp> handled;
    std::optional<platform::file_stamp> failing;
    double failing_since = 0;
};

} // namespace quor::overlay
