// The data file's one owner: read and checked once as the demo's load checks it, its scene
// section and textures replaced safely (written beside, read back, checked, renamed over, so any
// failure leaves the old file as it was, byte for byte), the records' sizes and room, and the
// channels' names.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "demo/data_check.h"
#include "io/replace_file.h"

namespace quor::demo {

// The nine channels of a record, in record order, as messages and summaries name them.
constexpr std::array<const char*, record::transformation_channels> channel_names{
    "position x", "position y", "position z", "yaw", "pitch", "bank", "scale x", "scale y", "scale z"};

// Bytes a record takes in the scene section, written by the records' writers.
std::size_t record_size(const record::transformation& rec);
// The most bytes record r (section order) may take: an object's 72-byte slot; for the camera,
// what the section leaves after the object slots and the `tail` bytes that follow the record.
constexpr std::size_t record_room(std::size_t r, std::size_t tail = 0)
{
    return r + 1 < record_offsets.size() ? layout::object_record_limit
                                         : layout::scene_section_capacity - layout::camera_record - tail;
}

// A data file in a block of the layout's size, its first `size` bytes the file's, and what the
// check found in it: the records the scene is built from, or the message that refuses it.
struct data_file {
    std::unique_ptr<char[]> block;
    std::size_t size = 0;
    data_check_result check;
};

// Checks a block read elsewhere, once; `name` prefixes the check's message.
data_file check_block(std::unique_ptr<char[]> block, std::size_t size, const std::string& name);

// Reads the file at path (no more than the demo's block) and checks it. False with one line in
// *error, naming the file, when it cannot be read or is refused.
bool read_data_file(const std::string& path, data_file& out, std::string* error);

// The three motion records of the data file at path and the bytes around them, read from its
// scene section alone with the bounds the demo's load applies. False with one line in *error
// naming the file.
bool read_records(const std::string& path, section_records& records, section_surround& surround, std::string* error);

// The check a new data file for `path` must pass: the demo's own.
file_check loads_as_the_demo(const std::string& path);

// The data file at path with `section` as its scene section, everything before it as it was.
bool replace_section(const std::string& path, std::span<const char> section, std::string* error);
// The data file at path with `chain` as texture `slot`'s mip chain.
bool replace_texture(const std::string& path, std::size_t slot, std::span<const char> chain, std::string* error);
// The data file at path with the given records in place of its own; absent ones, and the bytes
// around the records, stay as they are.
bool replace_records(const std::string& path, const std::array<std::optional<record::transformation>, 3>& records,
                     std::string* error);

} // namespace quor::demo
