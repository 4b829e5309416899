// DXT1 decoding: each 4x4 block holds two RGB565 end colours and sixteen 2-bit indices; the two
// inner colours lie a third and two thirds between them, or (first colour not the larger) one
// midway colour and transparent black. Mixes truncate, as the Mesa decoder the native picture
// comes from does.
#include "gl/dxt1_decode.h"

#include <array>

#include "gl/dxt.h"

namespace quor::gl {

namespace {

using rgba = std::array<std::uint8_t, 4>;

rgba expand(unsigned c)
{
    const unsigned r = (c >> 11) & 31, g = (c >> 5) & 63, b = c & 31;
    return {static_cast<std::uint8_t>((r << 3) | (r >> 2)), static_cast<std::uint8_t>((g << 2) | (g >> 4)),
            static_cast<std::uint8_t>((b << 3) | (b >> 2)), 255};
}

rgba mix(const rgba& a, const rgba& b, unsigned wa, unsigned wb)
{
    rgba out{};
    for (int i = 0; i < 3; ++i)
        out[i] = static_cast<std::uint8_t>((wa * a[i] + wb * b[i]) / (wa + wb));
    out[3] = 255;
    return out;
}

} // namespace

bool decode_dxt1(const std::uint8_t* data, std::uint64_t bytes, int width, int height,
                 std::vector<std::uint8_t>& out)
{
    out.clear();
    if (width <= 0 || height <= 0)
        return false;
    const int across = (width + 3) / 4, down = (height + 3) / 4;
    if (bytes < dxt_level_bytes(width, height, dxt1_block_bytes))
        return false;
    out.resize(std::size_t(width) * height * 4);
    for (int by = 0; by < down; ++by)
        for (int bx = 0; bx < across; ++bx) {
            const std::uint8_t* block = data + (std::size_t(by) * across + bx) * dxt1_block_bytes;
            const unsigned c0 = block[0] | (block[1] << 8), c1 = block[2] | (block[3] << 8);
            std::array<rgba, 4> palette{expand(c0), expand(c1), {}, {}};
            if (c0 > c1) {
                palette[2] = mix(palette[0], palette[1], 2, 1);
                palette[3] = mix(palette[0], palette[1], 1, 2);
            } else {
                palette[2] = mix(palette[0], palette[1], 1, 1);
                palette[3] = {0, 0, 0, 0};
            }
            for (int y = 0; y < 4 && by * 4 + y < height; ++y) {
                const unsigned row = block[4 + y];
                for (int x = 0; x < 4 && bx * 4 + x < width; ++x) {
                    const rgba& texel = palette[(row >> (2 * x)) & 3];
                    const std::size_t at = (std::size_t(by * 4 + y) * width + bx * 4 + x) * 4;
                    for (int i = 0; i < 4; ++i)
                        out[at + i] = texel[i];
                }
            }
        }
    return true;
}

} // namespace quor::gl
