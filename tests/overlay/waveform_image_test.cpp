// The waveform's picture: which texels each column of peaks lights, and that the texture is
// worked out again only when what it shows changes, while every frame still draws its quad.
#include <gtest/gtest.h>

#include <imgui.h>
#include <imgui_internal.h>

#include <string>
#include <vector>

#include "gl_recorder.h"
#include "overlay/waveform_image.h"

namespace {

using namespace quor;
using overlay::waveform_image;
using overlay::waveform_texels;

// Peaks whose (low, high) pairs are given in order.
interchange::music_peaks peaks_of(const std::vector<std::pair<float, float>>& pairs)
{
    interchange::music_peaks p;
    for (const auto& [lo, hi] : pairs) {
        p.low.push_back(lo);
        p.high.push_back(hi);
    }
    return p;
}

// Column `x` of the texels as a string of '#' (lit) and '.', top row first.
std::string column(const std::vector<unsigned char>& texels, int width, int height, int x)
{
    std::string out;
    for (int y = 0; y < height; ++y)
        out += texels[static_cast<std::size_t>(y * width + x)] == 255 ? '#' : texels[static_cast<std::size_t>(y * width + x)] == 0 ? '.' : '?';
    return out;
}

constexpr double peak = 1.0 / interchange::peaks_per_second;

TEST(WaveformTexels, EachColumnSpansItsPeaksFromTheHighestDownToALowestPixel)
{
    // Two peaks a column, 10 rows: the middle row (5) is silence, row 0 full scale up.
    const auto p = peaks_of({{-1, 1}, {0, 0},          // full scale, whatever the other peak
                             {-0.2f, 0.2f}, {-0.1f, 0.4f}, // highest 0.4 (row 3), lowest -0.2 (rows to 6)
                             {0, 0}, {0, 0},           // silence: the middle row alone
                             {0.2f, 0.6f}, {0.4f, 0.6f}}); // above the middle: rows 2 to 4
    std::vector<unsigned char> texels{1, 2, 3};
    waveform_texels(p, 0, 8 * peak, 4, 10, texels);
    ASSERT_EQ(texels.size(), 40u);
    EXPECT_EQ(column(texels, 4, 10, 0), "##########");
    EXPECT_EQ(column(texels, 4, 10, 1), "...####...");
    EXPECT_EQ(column(texels, 4, 10, 2), ".....#....");
    EXPECT_EQ(column(texels, 4, 10, 3), "..###.....");
}

TEST(WaveformTexels, TimeOutsideTheMusicStaysEmptyAndStretchedTimeRepeatsAPeak)
{
    const auto p = peaks_of({{-1, 1}, {0, 0}});
    std::vector<unsigned char> texels;
    // A column a peak, from one peak before the start to one past the end.
    waveform_texels(p, -peak, 3 * peak, 4, 4, texels);
    EXPECT_EQ(column(texels, 4, 4, 0), "....");
    EXPECT_EQ(column(texels, 4, 4, 1), "####");
    EXPECT_EQ(column(texels, 4, 4, 2), "..#.");
    EXPECT_EQ(column(texels, 4, 4, 3), "....");
    // Zoomed in to two columns a peak: each shows the peak under it.
    waveform_texels(p, 0, 2 * peak, 4, 4, texels);
    EXPECT_EQ(column(texels, 4, 4, 0), "####");
    EXPECT_EQ(column(texels, 4, 4, 1), "####");
    EXPECT_EQ(column(texels, 4, 4, 2), "..#.");
    EXPECT_EQ(column(texels, 4, 4, 3), "..#.");
    // Nothing to show: no texels, or none lit.
    waveform_texels(p, 1, 1, 4, 4, texels);
    EXPECT_EQ(texels, std::vector<unsigned char>(16, 0));
    waveform_texels(p, 0, 1, 0, 4, texels);
    EXPECT_TRUE(texels.empty());
    waveform_texels(interchange::music_peaks{}, 0, 1, 2, 2, texels);
    EXPECT_EQ(texels, std::vector<unsigned char>(4, 0));
}

struct WaveformImage : testing::Test {
    test::gl_recorder gl;
    ImDrawListSharedData shared;
    ImDrawList list{&shared};
    interchange::music_peaks peaks = peaks_of(std::vector<std::pair<float, float>>(400, {-0.5f, 0.5f}));

    std::size_t uploads() const { return gl.named("glTexImage2D").size(); }
    // Draws one frame's list and returns it.
    ImDrawList& frame(waveform_image& image, unsigned version, ImVec2 size, double from, double to, ImU32 colour)
    {
        list._ResetForNewFrame();
        image.draw(&list, peaks, version, ImVec2(10, 20), size, from, to, colour);
        return list;
    }
};

TEST_F(WaveformImage, WorkedOutOnlyWhenWhatItShowsChangesAndDrawnAsOneQuadEveryFrame)
{
    {
        waveform_image image;
        const ImU32 green = IM_COL32(0, 255, 0, 100), red = IM_COL32(255, 0, 0, 100);
        frame(image, 1, ImVec2(300, 30), 0, 2, green);
        ASSERT_EQ(uploads(), 1u);
        // An alpha texture of the plot's whole pixels, sampled nearest.
        const test::gl_call upload = gl.named("glTexImage2D")[0];
        EXPECT_EQ(std::vector<double>(upload.args.begin(), upload.args.end() - 1),
                  (std::vector<double>{GL_TEXTURE_2D, 0, GL_ALPHA8, 300, 30, 0, GL_ALPHA, GL_UNSIGNED_BYTE}));
        EXPECT_EQ(gl.named("glTexParameteri").size(), 2u);

        // The same again, in another colour or at a fraction of a pixel more: the same texture.
        frame(image, 1, ImVec2(300, 30), 0, 2, green);
        frame(image, 1, ImVec2(300.5f, 30.4f), 0, 2, red);
        EXPECT_EQ(uploads(), 1u);
        // The quad: the texture's name, the whole pixels from the plot's corner, the colour.
        const ImDrawList& drawn = frame(image, 1, ImVec2(300, 30), 0, 2, red);
        ASSERT_EQ(drawn.VtxBuffer.Size, 4);
        ASSERT_EQ(drawn.IdxBuffer.Size, 6);
        EXPECT_EQ(drawn.VtxBuffer[0].pos.x, 10);
        EXPECT_EQ(drawn.VtxBuffer[0].pos.y, 20);
        EXPECT_EQ(drawn.VtxBuffer[2].pos.x, 310);
        EXPECT_EQ(drawn.VtxBuffer[2].pos.y, 50);
        EXPECT_EQ(drawn.VtxBuffer[0].uv.x, 0);
        EXPECT_EQ(drawn.VtxBuffer[2].uv.y, 1);
        EXPECT_EQ(drawn.VtxBuffer[0].col, red);
        bool textured = false;
        for (const ImDrawCmd& cmd : drawn.CmdBuffer)
            textured |= cmd.ElemCount == 6 && cmd.TextureId == reinterpret_cast<ImTextureID>(std::intptr_t{1});
        EXPECT_TRUE(textured);

        // Another stretch (zoom, pan), another size, other peaks: each once, into the same texture.
        frame(image, 1, ImVec2(300, 30), 0.5, 2, red);
        frame(image, 1, ImVec2(300, 30), 0.5, 2, red);
        EXPECT_EQ(uploads(), 2u);
        frame(image, 1, ImVec2(200, 30), 0.5, 2, red);
        EXPECT_EQ(uploads(), 3u);
        frame(image, 2, ImVec2(200, 30), 0.5, 2, red);
        frame(image, 2, ImVec2(200, 30), 0.5, 2, red);
        EXPECT_EQ(uploads(), 4u);
        EXPECT_EQ(gl.named("glGenTextures").size(), 1u);

        // Nothing to draw: no quad and no upload.
        EXPECT_EQ(frame(image, 2, ImVec2(0, 30), 0.5, 2, red).VtxBuffer.Size, 0);
        EXPECT_EQ(frame(image, 2, ImVec2(200, 30), 2, 2, red).VtxBuffer.Size, 0);
        EXPECT_EQ(uploads(), 4u);
        gl.clear();
    }
    // Gone with its owner.
    EXPECT_EQ(gl.named("glDeleteTextures"), (std::vector<test::gl_call>{{"glDeleteTextures", {1, 1}}}));
}

} // namespace
