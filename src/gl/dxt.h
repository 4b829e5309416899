// Sizes of S3TC (DXT) compressed levels: 4x4 texel blocks of 8 bytes (DXT1) or 16 (DXT3, DXT5),
// each mipmap level half the size of the one above with a side of 0 counting as 1. The texture
// upload, the DDS reader and the data file's layout all size levels here.
#pragma once

#include <cstdint>

namespace quor::gl {

inline constexpr int dxt1_block_bytes = 8;
inline constexpr int dxt35_block_bytes = 16;

// The block size of DXT variant `dxt` (1, 3 or 5).
constexpr int dxt_block_bytes(int dxt) { return dxt == 1 ? dxt1_block_bytes : dxt35_block_bytes; }

// A side of mipmap level `level` of a texture whose level 0 has that side `side`.
constexpr std::uint64_t dxt_level_side(std::uint64_t side, int level)
{
    return (side >> level) == 0 ? 1 : side >> level;
}

// The bytes of a w x h level: whole blocks, so a side below 4 still takes one block.
constexpr std::uint64_t dxt_level_bytes(std::uint64_t w, std::uint64_t h, std::uint64_t block_bytes)
{
    return ((w + 3) / 4) * ((h + 3) / 4) * block_bytes;
}

} // namespace quor::gl
