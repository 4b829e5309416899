// Texture import and export through the command line: a drawn image comes back from its slot
// within DXT1's error, the export shows the same texels, and an unreadable image changes nothing.
#include "interchange/texture_import.h"

#include <cmath>
#include <cstdlib>

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
    EXPECT_EQ(quor::test::slurp(data), bytes);
}

} // namespace
