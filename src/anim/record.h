// The packed motion records of the scene section (little-endian, no padding): their plain-data
// form, the bounded readers (into plain records, and the named readers into live channels) and the
// writers that are the readers' exact inverse. The demo, the builder and the tools share this file.
//
//   transformation   nine channel records: position x, y, z, yaw, pitch, bank, scale x, y, z
//   channel record   u32 tag, then: 0 -> f32 value | 1 -> envelope record | 2 -> mixer record
//                    | any other tag -> nothing
//   envelope record  u32 key count n, n key records, 8 bytes not interpreted
//   key record       f32 value, f32 time, i32 shape, f32 tension, f32 continuity, f32 bias
//   mixer record     u32 entry count m, m x (4 bytes not interpreted, envelope record)
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "anim/envelope.h"

namespace quor {

class Channel;

namespace record {

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
constexpr std::size_t transformation_channels = 9;

// Why a record could not be read: `at` is the first byte of the field that failed (the caller
// turns it into an offset against its own base), `reason` one short line without the offset.
struct read_error {
    const char* at = nullptr;
    std::string reason;
};

// One channel record as stored. `tag` says which payload counts: constant_tag `value`,
// envelope_tag `keys`, mixer_tag `entries` (one key list per mixer entry); other tags carry
// nothing. Keys carry no params: only value, time, shape, tension, continuity and bias are stored.
struct channel {
    std::uint32_t tag = constant_tag;
    float value = 0;
    std::vector<Key> keys;
    std::vector<std::vector<Key>> entries;
};

// A transformation record: its nine channel records in order.
using transformation = std::array<channel, transformation_channels>;

// Bounded readers into plain records. Each reads the record at pos, which must end at or before
// end, and returns the position just past it; a record that runs past end returns nullptr and
// fills *err when given (out is then unspecified). Every count is weighed against the bytes left
// before anything is allocated, whatever the counts say.
const char* read_envelope(const char* pos, const char* end, std::vector<Key>& keys, read_error* err = nullptr);
const char* read_mixer(const char* pos, const char* end, std::vector<std::vector<Key>>& entries,
                       read_error* err = nullptr);
const char* read_channel(const char* pos, const char* end, channel& out, read_error* err = nullptr);
// Names the failing channel ("channel 4 ...") in the reason.
const char* read_transformation(const char* pos, const char* end, transformation& out, read_error* err = nullptr);

// Where a record holds a number that is not finite (a NaN or an infinity, which would spread
// through every matrix built from it). `channel` is -1 when every number is finite; `key` is -1
// for a constant's value, `entry` -1 outside a mixer.
struct non_finite {
    int channel = -1;
    long entry = -1;
    long key = -1;
    // "value", "time", "tension", "continuity" or "bias".
    const char* field = "";
    float number = 0;
};
non_finite first_non_finite(const transformation& rec);

// What a channel record does to a live channel: tag 0 sets `value`; tag 1 appends the keys after
// make_envelope; tag 2 adds one new envelope per entry after make_mixer; other tags change nothing.
void apply(const channel& rec, Channel& c);
// Appends keys to e in order, as read_envelope does.
void append_keys(Envelope& e, const std::vector<Key>& keys);

// Writers: each appends the record's bytes to out. The uninterpreted bytes (mixer entry prefixes,
// envelope trailers) are written as zeros, and a key's params and behaviours are not stored.
void write_u32(std::vector<char>& out, std::uint32_t v);
void write_f32(std::vector<char>& out, float v);
void write_envelope(std::vector<char>& out, const std::vector<Key>& keys);
void write_mixer(std::vector<char>& out, const std::vector<std::vector<Key>>& entries);
void write_channel(std::vector<char>& out, const channel& rec);
void write_transformation(std::vector<char>& out, const transformation& rec);
// Channel records from their payload alone (tag included).
void write_constant_channel(std::vector<char>& out, float value);
void write_envelope_channel(std::vector<char>& out, const std::vector<Key>& keys);
void write_mixer_channel(std::vector<char>& out, const std::vector<std::vector<Key>>& entries);

} // namespace record

// The readers into live objects. Each returns the position just past its record; a record that
// runs past end changes nothing and returns nullptr, describing the fault in *err when given.
// Appends the envelope record's keys to e (params zero, behaviours untouched).
const char* read_envelope(const char* pos, const char* end, Envelope& e, record::read_error* err = nullptr);
// make_mixer on c, then one new entry per envelope of the mixer record.
const char* read_mixer(const char* pos, const char* end, Channel& c, record::read_error* err = nullptr);
// One channel record (tag, then payload) into c, as record::apply says.
const char* read_channel(const char* pos, const char* end, Channel& c, record::read_error* err = nullptr);

} // namespace quor
