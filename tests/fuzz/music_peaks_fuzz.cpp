// Arbitrary bytes as the workbench's cache of the music's peaks: whatever reads writes back the
// same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "interchange/music_peaks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace quor::interchange;
    // The size and hash the header names, so that the rest of the reader is reached.
    std::uint64_t music_size = 0, hash = 0;
    constexpr std::size_t at = sizeof "quor-peaks 1\n" - 1;
    if (size >= at + 16) {
        std::memcpy(&music_size, data + at, 8);
        std::memcpy(&hash, data + at + 8, 8);
    }
    const std::span<const char> bytes(reinterpret_cast<const char*>(data), size);
    music_peaks p;
    if (!read_peaks(bytes, music_size, hash, p))
        return 0;
    if (p.low.size() != p.high.size())
        std::abort();
    music_peaks back;
    if (!read_peaks(write_peaks(p, music_size, hash), music_size, hash, back) || !(back.low == p.low))
        std::abort();
    return 0;
}
