// Writers of the packed motion records, the exact inverse of the readers: used by the data
// builder and by round-trip tests. Each appends little-endian bytes to out.
#pragma once

#include <cstdint>
#include <vector>

#include "anim/envelope.h"

namespace quor::record {

void write_u32(std::vector<char>& out, std::uint32_t v);
void write_f32(std::vector<char>& out, float v);

// Envelope record: key count, per key value, time, shape, tension, continuity, bias (params and
// behaviours are not part of the format), then the 8 uninterpreted bytes as zeros.
void write_envelope(std::vector<char>& out, const std::vector<Key>& keys);

// Channel records (tag included).
void write_constant_channel(std::vector<char>& out, float value);
void write_envelope_channel(std::vector<char>& out, const std::vector<Key>& keys);
void write_mixer_channel(std::vector<char>& out, const std::vector<std::vector<Key>>& entries);

} // namespace quor::record
