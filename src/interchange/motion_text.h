// The motion records of the data file as editable text. Envelopes are written as LightWave scene
// files write their envelope blocks, so keys can be copied between the two; the text holds no
// more than the data file can (no tangent parameters, Constant behaviours only).
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "anim/record.h"
#include "demo/scene_section.h"
#include "interchange/envelope_block.h"

namespace quor::interchange {

// The three records of the scene section, in section order: animated object, quad, camera.
using motion_records = demo::section_records;
constexpr std::size_t motion_record_count = std::tuple_size_v<motion_records>;
// Their names in the text and on the command line.
constexpr std::array<const char*, motion_record_count> motion_record_names{"object", "quad", "camera"};
// The nine channel names of the text, in record order: words of its format, like LightWave's.
constexpr std::array<const char*, record::transformation_channels> motion_channel_names{
    "position.x", "position.y", "position.z", "yaw", "pitch", "bank", "scale.x", "scale.y", "scale.z"};

// The text of all three records. Numbers are written in their shortest exact form, so parsing
// the text gives back the same floats.
std::string motion_text(const motion_records& records);

// The records a text lists (each at most once; a record it does not list stays empty), or the
// first syntax or range error: unknown words, counts that do not match, numbers that do not
// fit, keys out of time order or before 0, tangent parameters other than 0, behaviours other
// than Constant, an object or quad record longer than its 72 bytes, a camera record longer
// than the scene section.
struct parsed_motion {
    std::array<std::optional<record::transformation>, motion_record_count> records;
};
bool parse_motion_text(std::string_view text, parsed_motion& out, text_error& err);

} // namespace quor::interchange
