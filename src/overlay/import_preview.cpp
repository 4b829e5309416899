// A file is the same version while its stamp (inode, size, modification time) is: an exporter
// writing it again brings a fresh import into the preview.
#include "overlay/import_preview.h"

#include "demo/data_layout.h"

namespace quor::overlay {

const std::string& import_preview::line(const import_request& request,
                                        const interchange::simplify_tolerance& tolerance)
{
    platform::file_stamp now;
    std::optional<platform::file_stamp> version;
    if (platform::stamp_of(request.path.c_str(), now))
        version = now;
    if (request.path != path || request.source.label() != label || request.record != record || version != stamp) {
        path = request.path;
        label = request.source.label();
        record = request.record;
        stamp = version;
        std::vector<std::string> notes;
        error.clear();
        imported = interchange::import_record(path, request.source, record, request.at, rec, notes, &error);
        simplified_at.reset();
    }
    const auto same = [&](const interchange::simplify_tolerance& t) {
        return t.distance == tolerance.distance && t.degrees == tolerance.degrees;
    };
    if (simplified_at && same(*simplified_at))
        return text;
    simplified_at = tolerance;
    trouble = !imported || !interchange::valid_tolerance(tolerance, &text);
    if (!imported)
        text = error;
    else if (!trouble) {
        record::transformation copy = rec;
        text = interchange::simplify_note(interchange::simplify_record(copy, tolerance, demo::layout::timeline_end));
    }
    return text;
}

} // namespace quor::overlay
