// What simplifying an import would do, shown before Import is pressed: the source is imported
// once (again only when the choice or the file changes) and simplified afresh, from that copy,
// whenever the tolerance changes; nothing reaches the document.
#pragma once

#include <optional>
#include <string>

#include "overlay/import_watch.h"
#include "platform/file.h"

namespace quor::overlay {

class import_preview {
public:
    // The line for `request` simplified within `tolerance`: the keys before and after and the
    // largest deviation (interchange::simplify_note), or why it would not import, or why the
    // tolerance is not one. `failed()` says which.
    const std::string& line(const import_request& request, const interchange::simplify_tolerance& tolerance);
    bool failed() const { return trouble; }

private:
    std::string path, label;
    std::size_t record = 0;
    std::optional<platform::file_stamp> stamp;
    bool imported = false;
    record::transformation rec;
    std::string error;
    std::optional<interchange::simplify_tolerance> simplified_at;
    std::string text;
    bool trouble = false;
};

} // namespace quor::overlay
