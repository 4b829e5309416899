// The scene section's three records at their fixed offsets: each is read from its own offset,
// whatever the length of the one before, so the writer fills the object slots to 72 bytes, with
// the bytes that were there or with zeros.
#include "demo/scene_section.h"

#include <algorithm>

namespace quor::demo {

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
    }
    const std::size_t camera_end = layout::camera_record + r.record_bytes[2];
    r.surround.object_slots.assign(section, section + layout::camera_record);
    r.surround.tail.assign(section + camera_end, file_end);
    return r;
}

bool assemble_scene_section(const std::array<std::vector<char>, 3>& records, const section_surround& surround,
                            std::vector<char>& out, std::string* error)
{
    out = surround.object_slots;
    out.resize(layout::camera_record, 0);
    for (std::size_t i = 0; i + 1 < records.size(); ++i) {
        if (records[i].size() > layout::object_record_limit) {
            *error = std::string("the ") + record_names[i] + " record takes " + std::to_string(records[i].size()) +
                     " bytes, more than its " + std::to_string(layout::object_record_limit);
            return false;
        }
        std::copy(records[i].begin(), records[i].end(), out.begin() + static_cast<std::ptrdiff_t>(record_offsets[i]));
    }
    out.insert(out.end(), records[2].begin(), records[2].end());
    out.insert(out.end(), surround.tail.begin(), surround.tail.end());
    if (out.size() > layout::scene_section_capacity) {
        *error = "the scene section takes " + std::to_string(out.size()) + " bytes, more than its " +
                 std::to_string(layout::scene_section_capacity);
        return false;
    }
    return true;
}

bool write_scene_section(const section_records& records, std::vector<char>& out, std::string* error,
                         const section_surround& surround)
{
    std::array<std::vector<char>, 3> bytes;
    for (std::size_t i = 0; i < records.size(); ++i)
        record::write_transformation(bytes[i], records[i]);
    return assemble_scene_section(bytes, surround, out, error);
}

} // namespace quor::demo
