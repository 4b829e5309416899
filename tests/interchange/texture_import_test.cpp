// Texture import and export through the command line: a drawn image comes back from its slot
// within DXT1's error, the export shows the same texels, and an unreadable image changes nothing.
#include "interchange/texture_import.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <zlib.h>

#include <gtest/gtest.h>
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include "demo/data_layout.h"
#include "quor_mem_runner.h"

namespace {

using namespace quor::interchange;

TEST(TextureImport, ADrawnImageComesBackWithinDxt1ErrorAndFailuresChangeNothing)
{
    const quor::test::scratch_data scratch("texture-import");
    ASSERT_FALSE(scratch.data.empty());
    const std::string& dir = scratch.dir;
    const std::string& data = scratch.data;

    // Slot 0's size: smooth colour ramps under a hard-edged disc.
    constexpr int size = 512;
    std::vector<std::uint8_t> drawn(size * size * 3);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            std::uint8_t* t = &drawn[(static_cast<std::size_t>(y) * size + x) * 3];
            const bool disc = std::hypot(x - 300.0, y - 200.0) < 90;
            t[0] = disc ? 240 : static_cast<std::uint8_t>(x / 2);
            t[1] = disc ? 40 : static_cast<std::uint8_t>(y / 2);
            t[2] = static_cast<std::uint8_t>(128 + 100 * std::sin(x * 0.02));
        }
    ASSERT_TRUE(stbi_write_png((dir + "/drawn.png").c_str(), size, size, 3, drawn.data(), size * 3));

    auto r = quor::test::run_quor_mem("texture import 0 " + dir + "/drawn.png --into " + data);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string bytes = quor::test::slurp(data);
    const rgba_image slot = decode_level0(std::vector<char>(bytes.begin(), bytes.end()), 0);
    ASSERT_EQ(slot.width, size);
    double total = 0;
    int worst = 0;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        const int d = std::abs(int(slot.texels[i / 3 * 4 + i % 3]) - int(drawn[i]));
        total += d;
        worst = std::max(worst, d);
    }
    EXPECT_LT(total / drawn.size(), 3.0);
    EXPECT_LT(worst, 48);

    r = quor::test::run_quor_mem("texture export 0 " + data + " -o " + dir + "/back.png");
    ASSERT_EQ(r.status, 0) << r.err;
    int w = 0, h = 0, n = 0;
    stbi_uc* back = stbi_load((dir + "/back.png").c_str(), &w, &h, &n, 4);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::vector<std::uint8_t>(back, back + w * h * 4), slot.texels);
    stbi_image_free(back);

    r = quor::test::run_quor_mem("texture import 0 " + data + " --into " + data);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("quor-mem: texture import: " + data + ": not an image"), std::string::npos) << r.err;
    r = quor::test::run_quor_mem("texture export 0 " + data + " -o " + data);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "quor-mem: texture export: " + data + " is a data file: the output would replace it (name "
                                                           "another file)\n");
    EXPECT_EQ(quor::test::slurp(data), bytes);
}

// A PNG of `rows` grey rows (filter byte, then RGB) under a header that declares w x h.
std::string png(std::uint32_t w, std::uint32_t h, std::uint32_t rows)
{
    const auto be32 = [](std::uint32_t v) {
        return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    };
    const auto chunk = [&](const std::string& type, const std::string& data) {
        const std::string body = type + data;
        return be32(static_cast<std::uint32_t>(data.size())) + body +
               be32(static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size())));
    };
    std::string raw;
    for (std::uint32_t y = 0; y < rows; ++y)
        raw += '\0' + std::string(w * 3, '\x80');
    std::string packed(compressBound(raw.size()), '\0');
    uLongf size = packed.size();
    compress(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()), raw.size());
    packed.resize(size);
    return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", be32(w) + be32(h) + std::string("\x08\x02\0\0\0", 5)) +
           chunk("IDAT", packed) + chunk("IEND", "");
}

std::string bmp(std::int32_t w, std::int32_t h, std::size_t pixels)
{
    const auto le = [](std::uint32_t v, int bytes) {
        std::string out;
        for (int i = 0; i < bytes; ++i)
            out += char(v >> (8 * i));
        return out;
    };
    const std::uint32_t size = static_cast<std::uint32_t>((w * 3 + 3) / 4 * 4 * h);
    return "BM" + le(54 + size, 4) + le(0, 4) + le(54, 4) + le(40, 4) + le(w, 4) + le(h, 4) + le(1, 2) + le(24, 2) +
           le(0, 4) + le(size, 4) + le(2835, 4) + le(2835, 4) + le(0, 4) + le(0, 4) + std::string(pixels, '\x40');
}

std::string tga(std::uint16_t w, std::uint16_t h, std::size_t pixels)
{
    return std::string("\0\0\x02\0\0\0\0\0\0\0\0\0", 12) + char(w) + char(w >> 8) + char(h) + char(h >> 8) +
           std::string("\x18\0", 2) + std::string(pixels, '\x30');
}

// Pictures that declare more pixels than an import decodes, and files that end before the pixels
// they declare (stb_image would make the rest black): refused with one line and status 1 under a
// 1 GiB address space, never an abort, the slot as it was. Whole files of the same formats pass.
TEST(TextureImport, BombsAndCutFilesAreRefusedBeforeTheSlotChanges)
{
    const quor::test::scratch_data scratch("texture-bombs");
    ASSERT_FALSE(scratch.data.empty());
    const std::string ppm = "P6\n64 64\n255\n" + std::string(64 * 64 * 3, '\x80');
    const std::pair<const char*, std::string> files[] = {
        {"declares-16000.png", png(16000, 16000, 1)}, {"declares-26000.png", png(26000, 26000, 1)},
        {"header-only.pgm", "P5\n20000 20000\n255\n"}, {"header-only.bmp", bmp(20000, 20000, 0)},
        {"cut.ppm", ppm.substr(0, ppm.size() / 2)},   {"cut.bmp", bmp(64, 64, 1000)},
        {"cut.tga", tga(64, 64, 1000)},               {"whole.ppm", ppm},
        {"whole.bmp", bmp(64, 64, 64 * 64 * 3)},      {"whole.tga", tga(64, 64, 64 * 64 * 3)},
        {"sixteen-bit.pgm", "P5\n64 64\n65535\n" + std::string(64 * 64 * 2, '\x80')},
    };
    const std::string too_large = "pixels, more than the 16 megapixels (and 16384 a side) an import decodes\n";
    const std::string cut = ": the image is cut short: the file ends before its last pixels\n";
    const std::string expected[] = {"a picture of 16000 x 16000 " + too_large, "not an image stb_image can read",
                                    "a picture of 20000 x 20000 " + too_large, "a picture of 20000 x 20000 " + too_large,
                                    cut, cut, cut, "", "", "", "a PGM or PPM of 16 bits a sample"};
    for (std::size_t i = 0; i < std::size(files); ++i) {
        const std::string path = scratch.dir + "/" + files[i].first;
        std::ofstream(path, std::ios::binary) << files[i].second;
        const std::string before = quor::test::slurp(scratch.data);
        const auto r = quor::test::run_quor_mem("texture import 4 " + path + " --into " + scratch.data, 1 << 20);
        if (expected[i].empty()) {
            EXPECT_EQ(r.status, 0) << path << ": " << r.err;
            continue;
        }
        EXPECT_EQ(r.status, 1) << path;
        EXPECT_EQ(r.err.rfind("quor-mem: texture import: " + path, 0), 0u) << r.err;
        EXPECT_NE(r.err.find(expected[i]), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_TRUE(quor::test::slurp(scratch.data) == before) << path;
    }
}

} // namespace
