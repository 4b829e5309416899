// The DDS reader and the texture's file loader: level sizing, the messages, refusal of
// malformed files, and the upload calls of valid ones. Files are written into a scratch directory
// that is the working directory for the test.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "app/offscreen_context.h"
#include "gl/api.h"
#include "gl/dds.h"
#include "gl/memory_arena.h"
#include "gl/texture.h"
#include "cerr_capture.h"
#include "gl_recorder.h"
#include "mesa_context.h"

namespace {

namespace fs = std::filesystem;
using namespace quor::gl;
using quor::test::cerr_capture;
using quor::test::gl_call;
using quor::test::gl_recorder;

struct dds_spec {
    std::uint32_t width, height, linear_size, mipmap_count;
    const char* fourcc;
    std::size_t data_bytes;
};

void put32(std::string& s, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        s[at + i] = char(v >> (8 * i));
}

// Magic, header and `data_bytes` bytes of a counting pattern.
std::string dds_bytes(const dds_spec& d)
{
    std::string s(128 + d.data_bytes, '\0');
    std::memcpy(s.data(), "DDS ", 4);
    put32(s, 4, 124);
    put32(s, 4 + 8, d.height);
    put32(s, 4 + 12, d.width);
    put32(s, 4 + 16, d.linear_size);
    put32(s, 4 + 24, d.mipmap_count);
    std::memcpy(s.data() + 4 + 80, d.fourcc, 4);
    for (std::size_t i = 0; i < d.data_bytes; ++i)
        s[128 + i] = char(i * 13 + 1);
    return s;
}

double address(const void* p) { return static_cast<double>(reinterpret_cast<std::uintptr_t>(p)); }

class DdsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device random;
        root_ = fs::temp_directory_path() / ("quor_dds_" + std::to_string(random()));
        fs::create_directories(root_);
        previous_ = fs::current_path();
        fs::current_path(root_);
    }
    void TearDown() override
    {
        fs::current_path(previous_);
        fs::remove_all(root_);
    }
    static void write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(name, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    }
    // read_dds of `bytes` written as "t.dds" into a buffer of `capacity` bytes.
    dds_info read(const std::string& bytes, std::size_t capacity)
    {
        write("t.dds", bytes);
        buffer_.assign(capacity, '\xee');
        return read_dds("t.dds", buffer_.data(), capacity);
    }

    fs::path root_;
    fs::path previous_;
    std::vector<char> buffer_;
};

TEST_F(DdsTest, ValidFilesReportTheirLevelsAndTotals)
{
    dds_info info = read(dds_bytes({256, 256, 32768, 9, "DXT1", 43704}), 43704);
    EXPECT_EQ(info.width, 256);
    EXPECT_EQ(info.height, 256);
    EXPECT_EQ(info.components, 3);
    EXPECT_EQ(info.dxt, 1);
    EXPECT_EQ(info.levels, 9);
    EXPECT_EQ(info.size, 43704);
    EXPECT_EQ(info.data, buffer_.data());
    EXPECT_EQ(buffer_[43703], char(43703 * 13 + 1));

    // With no linear size level 0 counts width x height / 2 bytes; the block grid of a 64x64 DXT5
    // image still takes 5488 bytes, and all of them are read.
    info = read(dds_bytes({64, 64, 0, 7, "DXT5", 5488}), 5488);
    EXPECT_EQ(info.components, 4);
    EXPECT_EQ(info.dxt, 5);
    EXPECT_EQ(info.levels, 7);
    EXPECT_EQ(info.size, 2768);
    EXPECT_EQ(buffer_[5487], char(5487 * 13 + 1));

    info = read(dds_bytes({16, 8, 64, 0, "DXT3", 128}), 128);
    EXPECT_EQ(info.dxt, 3);
    EXPECT_EQ(info.levels, 1);
    EXPECT_EQ(info.size, 64);
}

TEST_F(DdsTest, LevelsCountWholeBlocks)
{
    struct sizing {
        dds_header header;
        int block_bytes;
        int levels;
        std::uint64_t size, grid_bytes;
    };
    const std::vector<sizing> cases = {
        // 1x1 and 2x2 levels still take a whole block.
        {{1, 1, 0, 1, 0}, 8, 1, 0, 8},
        {{2, 2, 0, 2, 0}, 16, 2, 2 + 16, 32},
        // Non-square and non-power-of-two: the grid is larger than the quarter rule.
        {{64, 256, 8192, 9, 0}, 8, 9, 10944, 10952},
        {{60, 100, 3000, 7, 0}, 8, 7, 3000 + 750 + 187 + 46 + 11 + 8 + 8, 3000 + 832 + 224 + 48 + 16 + 8 + 8},
        // A column one block wide: 16384, 8192, ..., 1 blocks, then two more levels of one block.
        {{1, 65536, 0, 17, 0}, 16, 17, 32768 + 8192 + 2048 + 512 + 128 + 32 + 11 * 16, (32767 + 2) * 16},
    };
    for (const sizing& c : cases) {
        dds_levels out;
        ASSERT_TRUE(measure_dds_levels(c.header, c.block_bytes, out)) << c.header.width << 'x' << c.header.height;
        EXPECT_EQ(out.levels, c.levels) << c.header.width << 'x' << c.header.height;
        EXPECT_EQ(out.size, c.size) << c.header.width << 'x' << c.header.height;
        EXPECT_EQ(out.grid_bytes, c.grid_bytes) << c.header.width << 'x' << c.header.height;
    }
}

TEST_F(DdsTest, HeadersBeyondTheirOwnLimitsAreRefused)
{
    dds_levels out;
    // Mipmap counts: 256 allows 9 levels, not 10; 1x1 allows 1.
    EXPECT_TRUE(measure_dds_levels({256, 256, 0, 9, 0}, 8, out));
    EXPECT_FALSE(measure_dds_levels({256, 256, 0, 10, 0}, 8, out));
    EXPECT_FALSE(measure_dds_levels({1, 1, 0, 2, 0}, 8, out));
    EXPECT_FALSE(measure_dds_levels({256, 256, 0, 0xFFFFFFFF, 0}, 8, out));
    // Zero and oversized dimensions, whose products would overflow 32 or 64 bits.
    EXPECT_FALSE(measure_dds_levels({0, 16, 0, 1, 0}, 8, out));
    EXPECT_FALSE(measure_dds_levels({16, 0, 0, 1, 0}, 8, out));
    EXPECT_FALSE(measure_dds_levels({0xFFFFFFFF, 0xFFFFFFFF, 0, 1, 0}, 16, out));
    EXPECT_FALSE(measure_dds_levels({65537, 4, 0, 1, 0}, 8, out));
    EXPECT_TRUE(measure_dds_levels({65536, 65536, 0, 17, 0}, 16, out));
    EXPECT_EQ(out.grid_bytes, 16 * (0x40000000ull - 1) / 3 + 2 * 16);
}

TEST_F(DdsTest, MalformedFilesAreRefusedSilently)
{
    const std::vector<std::pair<std::string, std::size_t>> files = {
        {dds_bytes({0, 256, 0, 1, "DXT1", 64}), 64},
        {dds_bytes({256, 0, 0, 1, "DXT1", 64}), 64},
        // Huge dimensions in a tiny file: 4 GiB of blocks claimed, 64 bytes present.
        {dds_bytes({65536, 65536, 0, 1, "DXT5", 64}), 1u << 20},
        {dds_bytes({0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 1, "DXT1", 64}), 1u << 20},
        // One mipmap level too many.
        {dds_bytes({64, 64, 2048, 8, "DXT1", 4096}), 4096},
        // Levels larger than the file: the count read falls short.
        {dds_bytes({256, 256, 32768, 9, "DXT1", 43703}), 1u << 20},
        {dds_bytes({64, 64, 0, 7, "DXT5", 2768}), 1u << 20},
        // A linear size larger than the file.
        {dds_bytes({16, 16, 0x7FFFFFFF, 1, "DXT1", 128}), 1u << 20},
        // Header cut short.
        {dds_bytes({16, 16, 0, 1, "DXT1", 0}).substr(0, 100), 1u << 20},
        // Valid, but larger than the destination.
        {dds_bytes({256, 256, 32768, 9, "DXT1", 43704}), 43703},
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        cerr_capture err;
        const dds_info info = read(files[i].first, files[i].second);
        EXPECT_EQ(info.width, 0) << "file " << i;
        EXPECT_EQ(info.data, nullptr) << "file " << i;
        EXPECT_EQ(err.str(), "") << "file " << i;
    }
}

TEST_F(DdsTest, ReaderMessages)
{
    std::string bytes = dds_bytes({16, 16, 128, 1, "DXT1", 128});
    {
        cerr_capture err;
        bytes[3] = '!';
        EXPECT_EQ(read(bytes, 128).width, 0);
        EXPECT_EQ(read("DD", 128).width, 0);
        EXPECT_EQ(err.str(), "The file t.dds doesn't appear to be a valid .dds file!\n"
                             "The file t.dds doesn't appear to be a valid .dds file!\n");
    }
    {
        cerr_capture err;
        EXPECT_EQ(read(dds_bytes({16, 16, 256, 1, "DXT2", 256}), 256).width, 0);
        EXPECT_EQ(err.str(), "Error: Only DXT[1,3,5] compressed textures are supported at the moment: t.dds\n");
    }
    {
        cerr_capture err;
        EXPECT_EQ(read_dds("none.dds", buffer_.data(), buffer_.size()).width, 0);
        EXPECT_EQ(err.str(), "WARNING: file not found: none.dds\nCould not find none.dds\n");
    }
}

class DdsLoadTest : public DdsTest {
protected:
    std::vector<char> block_ = std::vector<char>(1 << 16);
    memory_arena arena_{block_.data(), block_.size(), 0};
};

TEST_F(DdsLoadTest, TgaNamesAreLookedForAsDdsAndUploaded)
{
    write("wall.dds", dds_bytes({8, 4, 16, 2, "DXT1", 24}));
    gl_recorder rec;
    rec.next_texture_name = 7;
    texture t;
    t.load_dds("wall.tga", arena_);

    const char* data = t.source();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(data) % 32, 0u);
    EXPECT_EQ(data[23], char(23 * 13 + 1));
    const std::vector<gl_call> expected = {
        {"glGenTextures", {1}},
        {"glBindTexture", {0x0DE1, 7}},
        {"glPixelStorei", {0x0CF5, 1}},
        {"glCompressedTexImage2D", {0x0DE1, 0, 0x83F1, 8, 4, 0, 16, address(data)}},
        {"glCompressedTexImage2D", {0x0DE1, 1, 0x83F1, 4, 2, 0, 8, address(data + 16)}},
    };
    EXPECT_EQ(rec.calls, expected);
    EXPECT_EQ(t.width(), 8);
    EXPECT_EQ(t.height(), 4);
    EXPECT_EQ(t.name(), 7u);
}

TEST_F(DdsLoadTest, Dxt5UploadsWith16ByteBlocks)
{
    write("glass.dds", dds_bytes({8, 8, 0, 4, "DXT5", 64 + 16 + 16 + 16}));
    gl_recorder rec;
    texture t;
    t.load_dds("glass.dds", arena_);
    const char* data = t.source();
    const std::vector<gl_call> uploads = rec.named("glCompressedTexImage2D");
    const std::vector<gl_call> expected = {
        {"glCompressedTexImage2D", {0x0DE1, 0, 0x83F3, 8, 8, 0, 64, address(data)}},
        {"glCompressedTexImage2D", {0x0DE1, 1, 0x83F3, 4, 4, 0, 16, address(data + 64)}},
        {"glCompressedTexImage2D", {0x0DE1, 2, 0x83F3, 2, 2, 0, 16, address(data + 80)}},
        {"glCompressedTexImage2D", {0x0DE1, 3, 0x83F3, 1, 1, 0, 16, address(data + 96)}},
    };
    EXPECT_EQ(uploads, expected);

    write("fog.dds", dds_bytes({4, 4, 16, 1, "DXT3", 16}));
    rec.clear();
    t.load_dds("fog.dds", arena_);
    ASSERT_EQ(rec.named("glCompressedTexImage2D").size(), 1u);
    EXPECT_EQ(rec.named("glCompressedTexImage2D")[0].args[2], 0x83F2);
}

TEST_F(DdsLoadTest, FailuresLeaveTheTextureAsItWas)
{
    write("bad.dds", "DDS!" + std::string(200, '\0'));
    write("short.dds", "DDS ");
    write("big.dds", dds_bytes({256, 256, 32768, 9, "DXT1", 43704}));
    gl_recorder rec;
    texture t;
    memory_arena small{block_.data(), 40000, 0};
    cerr_capture err;
    t.load_dds("bad.tga", arena_);
    t.load_dds("short.dds", arena_);
    t.load_dds("missing.tga", arena_);
    t.load_dds("big.dds", small);
    t.load_dds("ab", arena_);
    t.load_dds(std::string(256, 'n'), arena_);
    EXPECT_EQ(err.str(), "The file bad.dds doesn't appear to be a valid .dds file!\n"
                         "Error - invalid dds file: bad.dds\n"
                         "Error - invalid dds file: short.dds\n"
                         "Error - file not found: missing.dds\n"
                         "Error - invalid dds file: big.dds\n"
                         "Error - file not found: ab\n"
                         "Error - file not found: " + std::string(256, 'n') + "\n");
    EXPECT_TRUE(rec.calls.empty());
    EXPECT_EQ(t.name(), texture::no_name);
    EXPECT_EQ(t.source(), nullptr);
    EXPECT_EQ(small.used, 0u);

    // 255 characters is the longest name looked for.
    cerr_capture longest;
    t.load_dds(std::string(251, 'n') + ".tga", arena_);
    EXPECT_EQ(longest.str(), "Error - file not found: " + std::string(251, 'n') + ".dds\n");
}

TEST_F(DdsLoadTest, TheImageIsNamedWhenGlGivesNoName)
{
    write("wall.dds", dds_bytes({4, 4, 8, 1, "DXT1", 8}));
    gl_recorder rec;
    rec.generate_names = false;
    texture t;
    cerr_capture err;
    t.load_dds("wall.tga", arena_);
    EXPECT_EQ(err.str(), "Error - could not generate OpenGL texture coordinate for image: wall.dds\n");
}

// On Mesa, in a context of its own so that the default state holds: an 8x8 DXT1 file of four
// solid blocks (red, green; blue, white above them) drawn over the whole target.
TEST_F(DdsLoadTest, AFileWrittenHereDrawsItsColoursOnMesa)
{
    ASSERT_NE(quor::test::mesa_context(), nullptr) << "no offscreen OpenGL context";
    std::string file = dds_bytes({8, 8, 32, 4, "DXT1", 0});
    for (std::uint16_t c : {0xF800, 0x07E0, 0x001F, 0xFFFF, 0x8410, 0x8410, 0x8410}) {
        const char block[8] = {char(c & 0xFF), char(c >> 8), char(c & 0xFF), char(c >> 8), 0, 0, 0, 0};
        file.append(block, 8);
    }
    write("quad.dds", file);

    constexpr int side = 16;
    quor::system::offscreen_context context(side, side, quor::system::offscreen_context::target::framebuffer_object);
    ASSERT_TRUE(context.ok());
    texture t;
    t.load_dds("quad.tga", arena_);
    ASSERT_NE(t.name(), texture::no_name);
    t.bind();
    api.Begin(GL_QUADS);
    const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (const auto& c : corners) {
        api.MultiTexCoord2f(GL_TEXTURE0, c[0], c[1]);
        api.Vertex3f(c[0] * 2 - 1, c[1] * 2 - 1, 0);
    }
    api.End();
    const std::vector<std::uint8_t> pixels = context.read_pixels();

    struct probe {
        int x, y;
        std::uint8_t r, g, b;
    };
    for (const probe& p : {probe{4, 4, 255, 0, 0}, probe{12, 4, 0, 255, 0}, probe{4, 12, 0, 0, 255},
                           probe{12, 12, 255, 255, 255}}) {
        const std::uint8_t* px = &pixels[4 * (p.y * side + p.x)];
        EXPECT_EQ((std::vector<int>{px[0], px[1], px[2]}), (std::vector<int>{p.r, p.g, p.b}))
            << "pixel (" << p.x << ", " << p.y << ")";
    }
}

} // namespace
