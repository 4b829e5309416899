// Mip filtering and DXT1 compression through stb_dxt (high-quality mode, no alpha).
#include "interchange/dxt1_chain.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#define STB_DXT_IMPLEMENTATION
#include <stb/stb_dxt.h>

#include "demo/data_layout.h"

namespace quor::interchange {
namespace {

std::uint8_t encode(float linear)
{
    const float c = std::clamp(linear, 0.0f, 1.0f);
    return static_cast<std::uint8_t>(std::lround(std::pow(c, 1 / 2.2f) * 255));
}

std::uint16_t colour_word(const std::uint8_t* b, int i) { return static_cast<std::uint16_t>(b[i] | (b[i + 1] << 8)); }

} // namespace

image half_size(const image& img)
{
    image out;
    out.width = std::max(1, img.width / 2);
    out.height = std::max(1, img.height / 2);
    out.rgb.resize(static_cast<std::size_t>(out.width) * out.height * 3);
    const int fx = img.width > 1 ? 2 : 1, fy = img.height > 1 ? 2 : 1;
    const float weight = 1.0f / static_cast<float>(fx * fy);
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            for (int c = 0; c < 3; ++c) {
                float sum = 0;
                for (int dy = 0; dy < fy; ++dy)
                    for (int dx = 0; dx < fx; ++dx)
                        sum += img.at(x * fx + dx, y * fy + dy)[c];
                out.at(x, y)[c] = sum * weight;
            }
    return out;
}

void compress_block(const std::uint8_t rgba[64], std::uint8_t out[8])
{
    stb_compress_dxt_block(out, rgba, 0, STB_DXT_HIGHQUAL);
    // Equal end points select the three-colour mode, whose index 3 is transparent: use index 0.
    if (colour_word(out, 0) <= colour_word(out, 2)) {
        for (int i = 4; i < 8; ++i)
            for (int shift = 0; shift < 8; shift += 2)
                if (((out[i] >> shift) & 3) == 3)
                    out[i] = static_cast<std::uint8_t>(out[i] & ~(3 << shift));
    }
}

void decode_block(const std::uint8_t in[8], std::uint8_t rgba[64])
{
    const std::uint16_t c0 = colour_word(in, 0), c1 = colour_word(in, 2);
    int palette[4][4];
    for (int k = 0; k < 2; ++k) {
        const std::uint16_t c = k == 0 ? c0 : c1;
        palette[k][0] = ((c >> 11) & 31) * 255 / 31;
        palette[k][1] = ((c >> 5) & 63) * 255 / 63;
        palette[k][2] = (c & 31) * 255 / 31;
        palette[k][3] = 255;
    }
    for (int ch = 0; ch < 3; ++ch) {
        if (c0 > c1) {
            palette[2][ch] = (2 * palette[0][ch] + palette[1][ch]) / 3;
            palette[3][ch] = (palette[0][ch] + 2 * palette[1][ch]) / 3;
        } else {
            palette[2][ch] = (palette[0][ch] + palette[1][ch]) / 2;
            palette[3][ch] = 0;
        }
    }
    palette[2][3] = 255;
    palette[3][3] = c0 > c1 ? 255 : 0;
    for (int i = 0; i < 16; ++i) {
        const int index = (in[4 + i / 4] >> ((i % 4) * 2)) & 3;
        for (int ch = 0; ch < 4; ++ch)
            rgba[i * 4 + ch] = static_cast<std::uint8_t>(palette[index][ch]);
    }
}

std::vector<std::uint8_t> compress_chain(const image& full)
{
    using demo::layout::dxt1_chain_bytes;
    using demo::layout::full_chain_levels;
    const std::size_t levels = full_chain_levels(full.width, full.height);
    std::vector<std::uint8_t> out;
    out.reserve(dxt1_chain_bytes(full.width, full.height, levels));
    image level = full;
    for (std::size_t l = 0; l < levels; ++l) {
        if (l > 0)
            level = half_size(level);
        std::vector<std::uint8_t> texels(static_cast<std::size_t>(level.width) * level.height * 4);
        for (int y = 0; y < level.height; ++y)
            for (int x = 0; x < level.width; ++x) {
                std::uint8_t* t = &texels[(static_cast<std::size_t>(y) * level.width + x) * 4];
                for (int c = 0; c < 3; ++c)
                    t[c] = encode(level.at(x, y)[c]);
                t[3] = 255;
            }
        // Blocks that overhang a level smaller than 4 repeat its edge texels.
        for (int by = 0; by < (level.height + 3) / 4; ++by)
            for (int bx = 0; bx < (level.width + 3) / 4; ++bx) {
                std::uint8_t block[64];
                for (int i = 0; i < 16; ++i) {
                    const int x = std::min(bx * 4 + i % 4, level.width - 1);
                    const int y = std::min(by * 4 + i / 4, level.height - 1);
                    std::memcpy(block + i * 4, &texels[(static_cast<std::size_t>(y) * level.width + x) * 4], 4);
                }
                std::uint8_t packed[8];
                compress_block(block, packed);
                out.insert(out.end(), packed, packed + 8);
            }
    }
    return out;
}

} // namespace quor::interchange
