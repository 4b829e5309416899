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

// The format, as the command line's help and the manual give it.
constexpr const char* motion_text_format =
    "The motion text lists records (object, quad, camera) as `Record NAME { ... }`, each with its\n"
    "nine channels by name (position.x, position.y, position.z, yaw, pitch, bank, scale.x, scale.y,\n"
    "scale.z) in any order; a text may list only the records it changes. A channel is\n"
    "`Constant VALUE`, an envelope block, or a mixer of envelope blocks:\n"
    "\n"
    "  Record camera\n"
    "  {\n"
    "    Channel position.x\n"
    "    { Envelope\n"
    "      2\n"
    "      Key 0 0 3 0 0 0 0 0 0\n"
    "      Key 4 2.5 0 0.3 0 0 0 0 0\n"
    "      Behaviors 1 1\n"
    "    }\n"
    "    Channel position.y Constant 1.5\n"
    "    Channel scale.x\n"
    "    { Mixer\n"
    "      1\n"
    "      { Envelope\n"
    "        0\n"
    "        Behaviors 1 1\n"
    "      }\n"
    "    }\n"
    "    ...\n"
    "  }\n"
    "\n"
    "A key line is `Key value time shape tension continuity bias p4 p5 p6`, as LightWave scene\n"
    "files write it; shapes 0 TCB, 1 Hermite, 2 Bezier, 3 Linear, 4 Stepped, 5 2D Bezier. Times are\n"
    "seconds, angles radians; `#` starts a comment. Keys go in time order from 0 on; tension,\n"
    "continuity and bias from -1 to 1. The data file keeps no tangent parameters (p4-p6 are 0)\n"
    "and no behaviours (`Behaviors 1 1`, Constant). The object and quad records hold nine constants\n"
    "only. Reading an envelope puts a key of value 0 at time 0 ahead of its keys: a path should\n"
    "start from 0 at time 0, or lead in with a Linear key at 0 and one at its first key's time,\n"
    "both of the first key's value. A refusal says FILE:LINE:COLUMN and changes nothing.";

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
