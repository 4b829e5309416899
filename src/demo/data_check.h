// Validation of a data file held in memory, before anything is built over it: the file fits
// the layout of data_layout.h, its vertex, index and texture regions are not all zeros, every
// index stays inside its vertices and the three motion records read within their bounds, with
// channel tags of the format only. The demo's load refuses what this refuses; the inspector
// prints what it finds.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "demo/data_layout.h"
#include "demo/scene_section.h"

namespace quor::demo {

struct index_list_stats {
    std::uint32_t min_index = 0;
    std::uint32_t max_index = 0;
};

struct data_check_result {
    bool ok = false;
    // One line naming the file, what is wrong and where; empty when ok.
    std::string message;
    std::size_t file_size = 0;
    // Filled up to the first fault: index ranges of the five lists, then the three records.
    std::array<index_list_stats, layout::index_lists.size()> lists{};
    std::array<std::size_t, 3> record_bytes{};
    // The records as read, once, by the check: animated object, quad, camera (the camera's scale
    // channels are kept for inspection). The scene is built from these, not from the bytes again.
    section_records records;
    // The section's bytes around the records, for a writer that keeps them.
    section_surround surround;
};

// Checks `size` bytes of file data at `data` (the block may be longer; nothing past `size` is
// read). `name` prefixes the message.
data_check_result check_data(const char* data, std::size_t size, const std::string& name = layout::data_file_name);

} // namespace quor::demo
