// Layout of the packed motion records of the scene section (little-endian, no padding) and
// bounds-checked walkers over them. Readers, writers and inspection tools share this file.
//
//   channel record   u32 tag, then: 0 -> f32 value | 1 -> envelope record | 2 -> mixer record
//                    | any other tag -> nothing
//   envelope record  u32 key count n, n key records, 8 bytes not interpreted
//   key record       f32 value, f32 time, i32 shape, f32 tension, f32 continuity, f32 bias
//   mixer record     u32 entry count m, m x (4 bytes not interpreted, envelope record)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quor::record {

constexpr std::uint32_t constant_tag = 0;
constexpr std::uint32_t envelope_tag = 1;
constexpr std::uint32_t mixer_tag = 2;

constexpr std::size_t word_bytes = 4;
constexpr std::size_t key_bytes = 24;
constexpr std::size_t envelope_trailer_bytes = 8;
constexpr std::size_t mixer_entry_skip_bytes = 4;
// The smallest envelope record (no keys) and the smallest mixer entry.
constexpr std::size_t empty_envelope_bytes = word_bytes + envelope_trailer_bytes;
constexpr std::size_t min_mixer_entry_bytes = mixer_entry_skip_bytes + empty_envelope_bytes;

// Why a record could not be read: `at` is the first byte of the field that failed (the caller
// turns it into an offset against its own base), `reason` one short line without the offset.
struct read_error {
    const char* at = nullptr;
    std::string reason;
};

// Each walker checks a record that starts at pos and must end at or before end, and returns the
// position just past it, or nullptr (filling *err when given) if any field or count runs past
// end. They allocate nothing but the error text, whatever the counts say.
const char* skip_envelope(const char* pos, const char* end, read_error* err = nullptr);
const char* skip_mixer(const char* pos, const char* end, read_error* err = nullptr);
const char* skip_channel(const char* pos, const char* end, read_error* err = nullptr);

// Field access by memcpy: records sit at any alignment. Callers have checked the bounds.
std::uint32_t load_u32(const char* pos);
float load_f32(const char* pos);

} // namespace quor::record
