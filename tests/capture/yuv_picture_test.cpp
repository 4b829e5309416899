// The colour conversion for the video: BT.709, video range, upright, chroma from 2x2 blocks.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "capture/yuv_picture.h"

namespace {

// BT.709 in floating point, video range, for an RGB colour.
struct yuv709 {
    double y, u, v;
    yuv709(double r, double g, double b)
        : y(16 + 219 * (0.2126 * r + 0.7152 * g + 0.0722 * b) / 255),
          u(128 + 224 * (-0.1146 * r - 0.3854 * g + 0.5 * b) / 255),
          v(128 + 224 * (0.5 * r - 0.4542 * g - 0.0458 * b) / 255)
    {
    }
};

TEST(YuvPicture, BT709VideoRangeUprightWithChromaFromEach2x2Block)
{
    // 4 x 2 pixels, B G R x, bottom row first as OpenGL reads them.
    const int bottom[4][3] = {{255, 255, 255}, {0, 0, 0}, {255, 0, 0}, {255, 0, 0}}; // white black red red
    const int top[4][3] = {{128, 128, 128}, {0, 0, 255}, {0, 255, 0}, {10, 200, 30}}; // grey blue green mixed
    std::vector<std::uint8_t> bgra;
    for (const auto* row : {bottom, top})
        for (int x = 0; x < 4; ++x)
            bgra.insert(bgra.end(), {static_cast<std::uint8_t>(row[x][2]), static_cast<std::uint8_t>(row[x][1]),
                                     static_cast<std::uint8_t>(row[x][0]), 0});
    std::vector<std::uint8_t> yuv(quor::capture::i420_bytes(4, 2));
    ASSERT_EQ(yuv.size(), 12u);
    quor::capture::bgra_to_i420(bgra.data(), 4, 2, yuv.data());

    for (int x = 0; x < 4; ++x) {
        EXPECT_NEAR(yuv[x], yuv709(top[x][0], top[x][1], top[x][2]).y, 1.0) << "top row first, pixel " << x;
        EXPECT_NEAR(yuv[4 + x], yuv709(bottom[x][0], bottom[x][1], bottom[x][2]).y, 1.0) << "pixel " << x;
    }
    EXPECT_EQ(yuv[4], 235) << "white";
    EXPECT_EQ(yuv[5], 16) << "black";
    for (int block = 0; block < 2; ++block) {
        double rgb[3] = {0, 0, 0};
        for (int x = 2 * block; x < 2 * block + 2; ++x)
            for (int c = 0; c < 3; ++c)
                rgb[c] += (top[x][c] + bottom[x][c]) / 4.0;
        const yuv709 mean(rgb[0], rgb[1], rgb[2]);
        EXPECT_NEAR(yuv[8 + block], mean.u, 1.0) << "block " << block;
        EXPECT_NEAR(yuv[10 + block], mean.v, 1.0) << "block " << block;
    }

    // Neutral colours keep neutral chroma; the extremes stay in the video range.
    for (std::uint8_t level : {0, 77, 255}) {
        const std::vector<std::uint8_t> grey(2 * 2 * 4, level);
        std::vector<std::uint8_t> g(quor::capture::i420_bytes(2, 2));
        quor::capture::bgra_to_i420(grey.data(), 2, 2, g.data());
        EXPECT_EQ(g[4], 128) << int(level);
        EXPECT_EQ(g[5], 128) << int(level);
    }
}

} // namespace
