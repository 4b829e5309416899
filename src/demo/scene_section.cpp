// The scene section's three records at their fixed offsets: each is read from its own offset,
// whatever the length of the one before, so the writer pads the object records to 72 bytes.
#include "demo/scene_section.h"

#include <cmath>

namespace quor::demo {
namespace {

// "channel 3 key 5 time inf, which is not a finite number".
std::string non_finite_text(const record::non_finite& bad)
{
    std::string where = "channel " + std::to_string(bad.channel);
    if (bad.entry >= 0)
        where += " mixer entry " + std::to_string(bad.entry);
    if (bad.key >= 0)
        where += " key " + std::to_string(bad.key);
    return where + " " + bad.field + " " + (std::isnan(bad.number) ? "nan" : bad.number > 0 ? "inf" : "-inf") +
           ", which is not a finite number";
}

} // namespace

scene_section_read read_scene_section(const char* section, std::size_t size)
{
    scene_section_read r;
    const char* file_end = section + size;
    for (std::size_t i = 0; i < record_offsets.size(); ++i) {
        const std::string where = std::string("the ") + record_names[i] + " record at scene offset " +
                                  std::to_string(record_offsets[i]);
        if (record_offsets[i] >= size) {
            r.fault = "the file ends before " + where;
            return r;
        }
        const char* start = section + record_offsets[i];
        const bool is_object = i + 1 < record_offsets.size();
        const char* end = file_end;
        if (is_object && size - record_offsets[i] > layout::object_record_limit)
            end = start + layout::object_record_limit;
        record::read_error err;
        const char* past = record::read_transformation(start, end, r.records[i], &err);
        if (!past) {
            const std::string bound = end == file_end ? "the end of the file" : "its 72 bytes";
            r.fault = where + " runs past " + bound + ": " + err.reason + " (scene offset " +
                      std::to_string(err.at ? err.at - section : start - section) + ")";
            return r;
        }
        r.record_bytes[i] = static_cast<std::size_t>(past - start);
        const record::non_finite bad = record::first_non_finite(r.records[i]);
        if (bad.channel >= 0) {
            r.fault = where + " holds " + non_finite_text(bad);
            return r;
        }
    }
    return r;
}

bool write_scene_section(const section_records& records, std::vector<char>& out, std::string* error)
{
    out.clear();
    for (std::size_t i = 0; i < records.size(); ++i) {
        out.resize(record_offsets[i], 0);
        record::write_transformation(out, records[i]);
        const std::size_t bytes = out.size() - record_offsets[i];
        if (i + 1 < records.size() && bytes > layout::object_record_limit) {
            *error = std::string("the ") + record_names[i] + " record takes " + std::to_string(bytes) +
                     " bytes, more than its " + std::to_string(layout::object_record_limit);
            return false;
        }
    }
    if (out.size() > layout::scene_section_capacity) {
        *error = "the scene section takes " + std::to_string(out.size()) + " bytes, more than its " +
                 std::to_string(layout::scene_section_capacity);
        return false;
    }
    return true;
}

} // namespace quor::demo
