// DXT1 decoding for a GL without compressed textures: palettes of both modes, block order, levels
// smaller than a block, and short input.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gl/dxt1_decode.h"

namespace {

using quor::gl::decode_dxt1;
using texel = std::vector<std::uint8_t>;

// A block of colours c0, c1 whose sixteen texels take the indices of `rows` (2 bits a texel, x=0 lowest).
std::vector<std::uint8_t> block(unsigned c0, unsigned c1, std::uint8_t r0, std::uint8_t r1, std::uint8_t r2,
                                std::uint8_t r3)
{
    return {std::uint8_t(c0 & 255), std::uint8_t(c0 >> 8), std::uint8_t(c1 & 255), std::uint8_t(c1 >> 8), r0, r1, r2, r3};
}

texel at(const std::vector<std::uint8_t>& image, int width, int x, int y)
{
    const auto* p = image.data() + (y * width + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

TEST(Dxt1Decode, FourColourAndThreeColourBlocksGiveTheirPalettes)
{
    std::vector<std::uint8_t> out;
    // Red 0xF800 over black: indices 0,1,2,3 across the first row.
    const auto four = block(0xF800, 0x0000, 0b11100100, 0, 0, 0);
    ASSERT_TRUE(decode_dxt1(four.data(), four.size(), 4, 4, out));
    ASSERT_EQ(out.size(), 64u);
    EXPECT_EQ(at(out, 4, 0, 0), (texel{255, 0, 0, 255}));
    EXPECT_EQ(at(out, 4, 1, 0), (texel{0, 0, 0, 255}));
    EXPECT_EQ(at(out, 4, 2, 0), (texel{170, 0, 0, 255}));
    EXPECT_EQ(at(out, 4, 3, 0), (texel{85, 0, 0, 255}));
    EXPECT_EQ(at(out, 4, 3, 3), (texel{255, 0, 0, 255}));

    // First colour not the larger: a midway colour and transparent black. Green 0x07E0, blue 0x001F.
    const auto three = block(0x001F, 0x07E0, 0, 0, 0, 0b11100100);
    ASSERT_TRUE(decode_dxt1(three.data(), three.size(), 4, 4, out));
    EXPECT_EQ(at(out, 4, 0, 3), (texel{0, 0, 255, 255}));
    EXPECT_EQ(at(out, 4, 1, 3), (texel{0, 255, 0, 255}));
    EXPECT_EQ(at(out, 4, 2, 3), (texel{0, 127, 127, 255}));
    EXPECT_EQ(at(out, 4, 3, 3), (texel{0, 0, 0, 0}));
    // Equal colours are the three-colour mode too.
    const auto equal = block(0xFFFF, 0xFFFF, 0xFF, 0, 0, 0);
    ASSERT_TRUE(decode_dxt1(equal.data(), equal.size(), 4, 4, out));
    EXPECT_EQ(at(out, 4, 0, 0), (texel{0, 0, 0, 0}));
    EXPECT_EQ(at(out, 4, 0, 1), (texel{255, 255, 255, 255}));
}

TEST(Dxt1Decode, BlocksRunAcrossThenDownAndSmallLevelsKeepTheirCorner)
{
    std::vector<std::uint8_t> data;
    for (unsigned c : {0xF800u, 0x07E0u, 0x001Fu, 0xFFFFu}) {
        const auto b = block(c, 0, 0, 0, 0, 0);
        data.insert(data.end(), b.begin(), b.end());
    }
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(decode_dxt1(data.data(), data.size(), 8, 8, out));
    EXPECT_EQ(at(out, 8, 3, 3), (texel{255, 0, 0, 255}));
    EXPECT_EQ(at(out, 8, 4, 0), (texel{0, 255, 0, 255}));
    EXPECT_EQ(at(out, 8, 0, 4), (texel{0, 0, 255, 255}));
    EXPECT_EQ(at(out, 8, 7, 7), (texel{255, 255, 255, 255}));

    // A 2x1 level is one block, of which it takes the top left texels.
    const auto small = block(0xF800, 0x0000, 0b0100, 0xFF, 0xFF, 0xFF);
    ASSERT_TRUE(decode_dxt1(small.data(), small.size(), 2, 1, out));
    EXPECT_EQ(out, (std::vector<std::uint8_t>{255, 0, 0, 255, 0, 0, 0, 255}));
}

TEST(Dxt1Decode, RefusesInputShorterThanItsBlocksAndEmptySizes)
{
    const std::vector<std::uint8_t> data(15);
    std::vector<std::uint8_t> out{1, 2, 3};
    EXPECT_FALSE(decode_dxt1(data.data(), data.size(), 8, 4, out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(decode_dxt1(data.data(), data.size(), 0, 4, out));
    EXPECT_TRUE(decode_dxt1(data.data(), 8, 4, 4, out));
}

} // namespace
