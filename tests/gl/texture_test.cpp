// Compressed texture creation and binding, checked call by call through the recorder.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gl/texture.h"
#include "gl_recorder.h"

namespace {

using quor::gl::texture;
using quor::test::gl_call;
using quor::test::gl_recorder;

double address(const void* p) { return static_cast<double>(reinterpret_cast<std::uintptr_t>(p)); }

struct level {
    int w, h, size, offset;
};

// The glCompressedTexImage2D calls made by create_compressed over `data`.
std::vector<gl_call> uploads(const char* data, const std::vector<level>& levels)
{
    std::vector<gl_call> out;
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const level& l = levels[i];
        out.emplace_back("glCompressedTexImage2D",
                         std::initializer_list<double>{0x0DE1, double(i), 0x83F1, double(l.w), double(l.h), 0,
                                                       double(l.size), address(data + l.offset)});
    }
    return out;
}

TEST(TextureCreate, NamesBindsThenUploadsEveryLevelFromTheCallersMemory)
{
    gl_recorder rec;
    rec.next_texture_name = 42;
    std::vector<char> data(256);
    texture t;
    t.create_compressed(data.data(), 16, 16, 1, 5);

    std::vector<gl_call> expected = {{"glGenTextures", {1}}, {"glBindTexture", {0x0DE1, 42}}, {"glPixelStorei", {0x0CF5, 1}}};
    for (auto& c : uploads(data.data(), {{16, 16, 128, 0}, {8, 8, 32, 128}, {4, 4, 8, 160}, {2, 2, 8, 168}, {1, 1, 8, 176}}))
        expected.push_back(c);
    EXPECT_EQ(rec.calls, expected);
    EXPECT_EQ(t.name(), 42u);
    EXPECT_EQ(t.source(), data.data());
    EXPECT_EQ(t.width(), 16);
    EXPECT_EQ(t.height(), 16);
}

TEST(TextureCreate, LevelWalkRaisesAZeroSideToOneAndStopsWhenBothReachZero)
{
    const char data[64] = {};
    struct walk {
        int w, h, levels;
        std::vector<level> expected;
    };
    const std::vector<walk> walks = {
        {4, 1, 3, {{4, 1, 8, 0}, {2, 1, 8, 8}, {1, 1, 8, 16}}},
        {1, 1, 3, {{1, 1, 8, 0}}},
        {2, 1, 4, {{2, 1, 8, 0}, {1, 1, 8, 8}}},
        {8, 4, 0, {}},
    };
    for (const walk& w : walks) {
        gl_recorder rec;
        texture t;
        t.create_compressed(data, w.w, w.h, 1, w.levels);
        EXPECT_EQ(rec.named("glCompressedTexImage2D"), uploads(data, w.expected)) << w.w << 'x' << w.h << ", " << w.levels;
    }
}

TEST(TextureCreate, A512MipChainUsesItsFullSize)
{
    gl_recorder rec;
    static char data[174776];
    texture t;
    t.create_compressed(data, 512, 512, 1, 10);
    const auto calls = rec.named("glCompressedTexImage2D");
    ASSERT_EQ(calls.size(), 10u);
    EXPECT_EQ(calls.back().args[7] + calls.back().args[6], address(data + sizeof data));
}

TEST(TextureCreate, UploadTakesTheFormatAndBlockSizeOfTheCaller)
{
    gl_recorder rec;
    const char data[64] = {};
    texture t;
    t.upload(data, 8, 4, 2, 0x83F3, 16, "tile.dds");
    EXPECT_EQ(rec.named("glCompressedTexImage2D"),
              (std::vector<gl_call>{{"glCompressedTexImage2D", {0x0DE1, 0, 0x83F3, 8, 4, 0, 32, address(data)}},
                                    {"glCompressedTexImage2D", {0x0DE1, 1, 0x83F3, 4, 2, 0, 16, address(data + 32)}}}));
}

TEST(TextureCreate, WithoutAGeneratedNameReportsOneLineAndCarriesOn)
{
    gl_recorder rec;
    rec.generate_names = false;
    const char data[8] = {};
    texture t;
    testing::internal::CaptureStderr();
    t.upload(data, 4, 4, 1, 0x83F1, 8, "rock.dds");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error - could not generate OpenGL texture coordinate for image: rock.dds\n");
    EXPECT_EQ(t.name(), texture::no_name);
    EXPECT_EQ(rec.named("glCompressedTexImage2D").size(), 1u);

    rec.clear();
    t.bind();
    EXPECT_EQ(rec.calls, (std::vector<gl_call>{{"glDisable", {0x0DE1}}}));
}

TEST(TextureBind, BindsEnablesAndSetsRepeatAndLinearFiltering)
{
    gl_recorder rec;
    rec.next_texture_name = 7;
    const char data[8] = {};
    texture t;
    t.create_compressed(data, 4, 4, 1, 1);
    rec.clear();
    t.bind();
    EXPECT_EQ(rec.calls, (std::vector<gl_call>{{"glBindTexture", {0x0DE1, 7}},
                                               {"glEnable", {0x0DE1}},
                                               {"glTexParameteri", {0x0DE1, 0x2802, 0x2901}},
                                               {"glTexParameteri", {0x0DE1, 0x2803, 0x2901}},
                                               {"glTexParameteri", {0x0DE1, 0x2800, 0x2601}},
                                               {"glTexParameteri", {0x0DE1, 0x2801, 0x2601}}}));
}

TEST(TextureBind, ANeverCreatedTextureOnlyDisablesTexturing)
{
    gl_recorder rec;
    texture t;
    t.bind();
    EXPECT_EQ(rec.calls, (std::vector<gl_call>{{"glDisable", {0x0DE1}}}));
}

} // namespace
