// Records in and out of the scene section, with the slot limits of the data layout.
#include "scene_section.h"

#include <algorithm>

namespace quor::tools {

using namespace demo::layout;

std::vector<char> section_of(const std::vector<char>& data)
{
    return {data.begin() + static_cast<std::ptrdiff_t>(scene_section.offset), data.end()};
}

motion_records read_records(const std::vector<char>& section)
{
    motion_records out;
    for (std::size_t r = 0; r < motion_record_count; ++r) {
        const char* start = section.data() + demo::record_offsets[r];
        const bool object = r + 1 < motion_record_count;
        const char* end = object ? start + object_record_limit : section.data() + section.size();
        record::read_transformation(start, end, out[r]);
    }
    return out;
}

bool replace_records(std::vector<char>& section,
                     const std::array<std::optional<record::transformation>, motion_record_count>& records,
                     std::string* error)
{
    std::vector<char> out = section;
    for (std::size_t r = 0; r < motion_record_count; ++r) {
        if (!records[r])
            continue;
        std::vector<char> bytes;
        record::write_transformation(bytes, *records[r]);
        const bool object = r + 1 < motion_record_count;
        const std::size_t limit = object ? object_record_limit : scene_section_capacity - camera_record;
        if (bytes.size() > limit) {
            *error = std::string("the ") + motion_record_names[r] + " record takes " + std::to_string(bytes.size()) +
                     " bytes, its slot holds " + std::to_string(limit) +
                     (object ? " (nine constants): animated motion fits only the camera" : "");
            return false;
        }
        const std::size_t at = demo::record_offsets[r];
        if (object) {
            bytes.resize(object_record_limit, 0);
            std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
        } else {
            out.resize(at);
            out.insert(out.end(), bytes.begin(), bytes.end());
        }
    }
    section = std::move(out);
    return true;
}

} // namespace quor::tools
