// The data file's scene section as three plain motion records (animated object, quad, camera):
// read with the bounds the demo's load applies, and written back at their fixed offsets over the
// bytes around them. What the load, the builder and editors of the motion share.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "anim/record.h"
#include "demo/data_layout.h"

namespace quor::demo {

using section_records = std::array<record::transformation, 3>;

// Names and section offsets of the three records, in section order, for messages and summaries.
constexpr std::array<const char*, 3> record_names{"animated object", "quad", "camera"};
constexpr std::array<std::size_t, 3> record_offsets{layout::animated_record, layout::quad_record,
                                                   layout::camera_record};

// The bytes of a section that no record of it covers, as read: the object slots (the section's
// first 144 bytes, the records in them included) and whatever follows the camera's record. A
// writer keeps them; a new section has none.
struct section_surround {
    std::vector<char> object_slots;
    std::vector<char> tail;
};

struct scene_section_read {
    // Empty when all three records read; else one line (without a file name) saying which record
    // failed, how, and at which scene offset.
    std::string fault;
    // Filled up to the first fault.
    section_records records;
    std::array<std::size_t, 3> record_bytes{};
    // Filled when all three records read.
    section_surround surround;
};

// Reads the records of a section whose `size` bytes at `section` run to the end of the file. The
// object records may take at most their 72 bytes; the camera's runs on to the end.
scene_section_read read_scene_section(const char* section, std::size_t size);

// The section's bytes: the three records' bytes each at its offset over `surround`, the camera's
// record followed by the surround's tail; without a surround the object slots' gaps are zero and
// the section ends with the camera's record. False with one line in *error when an object record
// needs more than its 72 bytes or the whole is larger than the section's capacity.
bool assemble_scene_section(const std::array<std::vector<char>, 3>& records, const section_surround& surround,
                            std::vector<char>& out, std::string* error);
// The same for plain records, through the records' writers.
bool write_scene_section(const section_records& records, std::vector<char>& out, std::string* error,
                         const section_surround& surround = {});

} // namespace quor::demo
