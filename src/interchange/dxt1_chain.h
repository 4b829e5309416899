// Mip chains for the data file: each level box-filtered from the one above in linear light,
// converted to sRGB-like 8-bit and compressed to opaque DXT1 blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quor::interchange {

// Linear RGB, row-major, three floats a texel; row 0 is t = 0.
struct image {
    int width = 0;
    int height = 0;
    std::vector<float> rgb;

    float* at(int x, int y) { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
    const float* at(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
};

// The next level: 2x2 (or 2x1, 1x2) texel averages; a side of 1 stays 1.
image half_size(const image& img);

// The complete DXT1 chain from the full size down to 1x1, levels back to back.
std::vector<std::uint8_t> compress_chain(const image& img);

// One 4x4 block of RGBA8 texels to 8 opaque DXT1 bytes (never the transparent index).
void compress_block(const std::uint8_t rgba[64], std::uint8_t out[8]);

// Decodes one DXT1 block into 16 RGBA8 texels; alpha 0 marks a transparent texel.
void decode_block(const std::uint8_t in[8], std::uint8_t rgba[64]);

} // namespace quor::interchange
