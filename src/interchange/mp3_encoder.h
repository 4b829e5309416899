// MP3 encoding of the soundtrack through libmp3lame: 44.1 kHz joint stereo at a constant bit rate.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "interchange/stereo_pcm.h"

namespace quor::interchange {

constexpr int mp3_bit_rate = 160;

// The encoded stream at sample_rate, from samples at `in_rate` (the encoder resamples), or an
// empty vector with *error set when the encoder refuses.
std::vector<std::uint8_t> encode_mp3(const stereo_pcm& pcm, std::string* error, int in_rate = sample_rate);

} // namespace quor::interchange
