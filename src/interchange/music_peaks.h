// What the workbench draws of the music and the beat found in it, worked out once and cached
// beside the music ("demo.peaks" beside "demo.mp3"): the lowest and highest sample of every
// 1/peaks_per_second of a second, and the tempo estimate. The cache names the music's length and
// a hash of all its bytes, so a changed music is never drawn with an old one's peaks.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "interchange/beat_estimate.h"

namespace quor::interchange {

constexpr int peaks_per_second = 200;

struct music_peaks {
    // Per peak, the lowest and highest sample of both channels' average, -1 to 1.
    std::vector<float> low, high;
    // Whether a beat was found, and which.
    bool beat_found = false;
    beat_estimate beat;
    bool operator==(const music_peaks&) const = default;
};

// The peaks of `mono` at `rate`.
music_peaks compute_peaks(std::span<const float> mono, int rate);

// A 64-bit FNV-1a hash of `bytes`.
std::uint64_t bytes_hash(std::span<const char> bytes);

// "demo.peaks" for "demo.mp3" (the extension replaced, or added).
std::string peaks_path(const std::string& music_path);

// The cache's bytes for peaks of music of `music_size` bytes hashing to `hash`, and back. Reading
// is false when the bytes are not such a cache, or are one for other music (length or hash); the
// samples are kept to 8 bits.
std::vector<char> write_peaks(const music_peaks& peaks, std::uint64_t music_size, std::uint64_t hash);
bool read_peaks(std::span<const char> bytes, std::uint64_t music_size, std::uint64_t hash, music_peaks& out);

// The peaks of the music file at `music_path`: from its cache when that is the music's, else
// decoded and worked out (with the beat), then cached the safe way. `from_cache` says which;
// a cache that cannot be written is no failure (an installed demo's folder). False, with *error,
// when the music does not read.
bool load_music_peaks(const std::string& music_path, music_peaks& out, bool& from_cache, std::string* error);

} // namespace quor::interchange
