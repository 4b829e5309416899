// The overlay drawn for real on Mesa over a demo frame: it changes the picture only inside its
// own windows, and the demo's next frame is the same picture as before it (the GL state was
// given back whole).
#include "overlay/overlay.h"

#include <cstring>

#include <gtest/gtest.h>

#include "anim/record.h"
#include "app/offscreen_context.h"
#include "app/system.h"
#include "demo/data_layout.h"
#include "demo/demo.h"
#include "gl/vertex.h"
#include "manual_counter.h"

namespace {

using namespace quor;
namespace layout = demo::layout;

constexpr int width = 640;
constexpr int height = 360;

// A file whose quad is a red, lit square in front of the camera; everything else is zero.
std::unique_ptr<char[]> red_square_file(std::size_t& size)
{
    std::vector<char> section;
    for (int c = 0; c < 9; ++c)
        record::write_constant_channel(section, c < 6 ? 0.0f : 1.0f);
    for (int c = 0; c < 9; ++c)
        record::write_constant_channel(section, c == 2 ? 4.0f : c < 6 ? 0.0f : 1.0f);
    for (int c = 0; c < 9; ++c)
        record::write_constant_channel(section, 0.0f);
    size = layout::scene_section.offset + section.size();
    std::unique_ptr<char[]> block(new char[layout::block_size]);
    std::memset(block.get(), 0, size);
    std::memcpy(block.get() + layout::scene_section.offset, section.data(), section.size());

    const vtx_nt0t1 corners[4] = {{{-1, -1, 0}, {0, 0, -1}, {0, 0}, {0, 0}},
                                  {{-1, 1, 0}, {0, 0, -1}, {0, 1}, {0, 1}},
                                  {{1, 1, 0}, {0, 0, -1}, {1, 1}, {1, 1}},
                                  {{1, -1, 0}, {0, 0, -1}, {1, 0}, {1, 0}}};
    std::memcpy(block.get() + layout::quad_vertices.offset, corners, sizeof corners);
    const std::uint32_t quad_indices[6] = {0, 1, 2, 0, 2, 3};
    std::memcpy(block.get() + layout::indices.offset, quad_indices, sizeof quad_indices);
    const layout::texture_entry& texture = layout::texture_table[layout::mesh_table[0].texture];
    const char red_block[8] = {0x00, static_cast<char>(0xf8), 0x00, static_cast<char>(0xf8), 0, 0, 0, 0};
    for (std::size_t at = 0; at < texture.chain_bytes; at += 8)
        std::memcpy(block.get() + layout::textures.offset + texture.level0_offset + at, red_block, 8);
    return block;
}

TEST(Overlay, ChangesThePictureOnlyInItsWindowsAndLeavesTheDemosStateAsItWas)
{
    system::offscreen_context context(width, height);
    ASSERT_TRUE(context.ok());
    system::creation_params params;
    system::create_engine(params);
    system::reshape(width, height);
    test::manual_counter ticks;
    demo::Demo demo(ticks);
    std::size_t size = 0;
    auto block = red_square_file(size);
    ASSERT_TRUE(demo.scene.build(std::move(block), size));
    demo.clock.start();
    edit::workbench bench(demo, "absent/tesk.mem", ticks);
    overlay::workbench_overlay view;

    demo.frame();
    const std::vector<std::uint8_t> before = context.read_pixels();
    const auto red = [&](const std::vector<std::uint8_t>& p, int x, int y) {
        const std::uint8_t* px = &p[4 * (static_cast<std::size_t>(y) * width + x)];
        return px[0] > 100 && px[1] < 40 && px[2] < 40;
    };
    ASSERT_TRUE(red(before, width / 3, height / 2)) << "the demo draws its square";

    for (int i = 0; i < 2; ++i) {
        demo.frame();
        view.draw(bench, width, height, 1.0f / 60);
    }
    const std::vector<std::uint8_t> with_overlay = context.read_pixels();
    ASSERT_FALSE(view.window_rects().empty());
    const auto inside = [&](int x, int y) {
        const float top_down = static_cast<float>(height - 1 - y);
        for (const auto& r : view.window_rects())
            if (x >= r[0] - 1 && x <= r[0] + r[2] + 1 && top_down >= r[1] - 1 && top_down <= r[1] + r[3] + 1)
                return true;
        return false;
    };
    int changed = 0, stray = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (std::memcmp(&before[4 * (static_cast<std::size_t>(y) * width + x)],
                            &with_overlay[4 * (static_cast<std::size_t>(y) * width + x)], 3) != 0)
                ++(inside(x, y) ? changed : stray);
    EXPECT_GT(changed, 1000) << "the overlay shows";
    EXPECT_EQ(stray, 0) << "pixels changed outside the overlay's windows";

    demo.frame();
    EXPECT_TRUE(context.read_pixels() == before) << "the demo's next frame is its picture without the overlay";
    system::shutdown();
}

} // namespace
