// The overlay's layout drawn for real on Mesa beside a demo frame: at every window size from the
// least it fits, the panels lie beside the whole picture, never over it, and the demo's next frame
// is the same picture as before (the GL state was given back whole).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include <imgui.h>
#include <imgui_internal.h>

#include "overlay/layout.h"
#include "overlay_fixture.h"
#include "png_writer.h"

namespace {

using namespace quor;
using test::workbench_at;

// Pixel (x, y) from the top left, as the layout counts; the read rows count from the bottom.
const std::uint8_t* pixel(const std::vector<std::uint8_t>& p, int width, int height, int x, int y)
{
    return &p[4 * (static_cast<std::size_t>(height - 1 - y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x))];
}

bool red(const std::uint8_t* px) { return px[0] > 100 && px[1] < 40 && px[2] < 40; }

bool inside(const overlay::rect& r, int x, int y)
{
    return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
}

bool within(const overlay::rect& inner, const overlay::rect& outer)
{
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

bool overlap(const overlay::rect& a, const overlay::rect& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

overlay::rect whole(const std::array<float, 4>& r)
{
    return {static_cast<int>(r[0]), static_cast<int>(r[1]), static_cast<int>(r[2]), static_cast<int>(r[3])};
}

// The box of the red square's pixels.
overlay::rect red_box(const std::vector<std::uint8_t>& p, int width, int height)
{
    int x0 = width, y0 = height, x1 = -1, y1 = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (red(pixel(p, width, height, x, y))) {
                x0 = std::min(x0, x), x1 = std::max(x1, x);
                y0 = std::min(y0, y), y1 = std::max(y1, y);
            }
    return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

TEST(OverlayLayout, AtEachSizeThePanelsAndStatusLieBesideTheWholePictureAndTabGivesItTheWindow)
{
    for (const auto& [width, height] : {std::pair{960, 540}, {1280, 720}, {1920, 1080}}) {
        SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
        workbench_at at(width, height);
        ASSERT_TRUE(at.ok());
        const auto read = [&] { return at.context.read_pixels(); };

        // The plain frame over the whole window, for the square's size and place.
        at.demo->frame();
        const overlay::rect plain = red_box(read(), width, height);
        ASSERT_GT(plain.width, 20);
        EXPECT_NEAR(plain.x + plain.width / 2.0, width / 2.0, 2) << "the square stands in the middle";

        // A refused edit, so that the status line has something to show.
        EXPECT_FALSE(at.bench->edit([](edit::motion_document& d) { return d.set_constant({2, 0}, NAN); }).ok);
        at.panels_only(); // the first frame lays the panels out, the second draws them in place
        const overlay::rect picture = at.demo_frame();
        const std::vector<std::uint8_t> demo_alone = read();
        at.panels();
        const std::vector<std::uint8_t> with_panels = read();

        const overlay::rect window{0, 0, width, height};
        ASSERT_TRUE(within(picture, window));
        EXPECT_LT(picture.width, width) << "the panels take part of the window";
        // The whole frame, smaller, at the window's aspect: the square scales by the same factor
        // both ways and keeps its place in the frame.
        const double scale = static_cast<double>(picture.width) / width;
        EXPECT_NEAR(static_cast<double>(picture.height) / height, scale, 1.0 / height);
        const overlay::rect square = red_box(demo_alone, width, height);
        EXPECT_NEAR(square.width, plain.width * scale, 2);
        EXPECT_NEAR(square.height, plain.height * scale, 2);
        EXPECT_NEAR(square.x + square.width / 2.0, picture.x + picture.width / 2.0, 2);
        EXPECT_NEAR(square.y + square.height / 2.0, picture.y + picture.height / 2.0, 2);

        // The panels as ImGui placed them in the frame just drawn.
        std::vector<overlay::rect> rects;
        for (ImGuiWindow* w : ImGui::GetCurrentContext()->Windows)
            if (w->Active && !w->Hidden && !(w->Flags & ImGuiWindowFlags_ChildWindow))
                rects.push_back(whole({w->Pos.x, w->Pos.y, w->Size.x, w->Size.y}));
        EXPECT_EQ(rects.size(), 2u) << "the transport and the channels";
        for (std::size_t i = 0; i < rects.size(); ++i) {
            EXPECT_TRUE(within(rects[i], window)) << "panel " << i << " inside the window";
            EXPECT_FALSE(overlap(rects[i], picture)) << "panel " << i << " beside the picture";
            for (std::size_t j = i + 1; j < rects.size(); ++j)
                EXPECT_FALSE(overlap(rects[i], rects[j]));
        }
        const ImGuiWindow* transport = ImGui::FindWindowByName("Transport");
        ASSERT_NE(transport, nullptr);
        // The status line: the foot of the transport, its lower third.
        const overlay::rect foot = whole({transport->Pos.x, transport->Pos.y + transport->Size.y * 2 / 3,
                                          transport->Size.x, transport->Size.y / 3});

        // The refusal's colour (a reddish text) marks the status line's pixels.
        const auto refusal = [](const std::uint8_t* px) { return px[0] > 200 && px[1] > 80 && px[1] < 150 && px[2] < 130; };
        int demo_outside = 0, panels_over_picture = 0, panel_pixels = 0, status_pixels = 0, stray_status = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* alone = pixel(demo_alone, width, height, x, y);
                const std::uint8_t* shown = pixel(with_panels, width, height, x, y);
                const bool in_picture = inside(picture, x, y);
                if (!in_picture && (alone[0] | alone[1] | alone[2]))
                    ++demo_outside;
                if (std::memcmp(alone, shown, 3) != 0)
                    ++(in_picture ? panels_over_picture : panel_pixels);
                if (!in_picture && refusal(shown))
                    ++(inside(foot, x, y) ? status_pixels : stray_status);
            }
        EXPECT_EQ(demo_outside, 0) << "the demo draws only in its picture";
        EXPECT_EQ(panels_over_picture, 0) << "no panel pixel over a demo pixel";
        EXPECT_GT(panel_pixels, 10000) << "the panels show";
        EXPECT_GT(status_pixels, 200) << "the refusal shows on the status line";
        EXPECT_EQ(stray_status, 0) << "at the transport's foot";

        if (testing::Test::HasFailure() || std::getenv("QUOR_DUMP")) {
            const std::string shot = testing::TempDir() + "workbench-" + std::to_string(width) + ".png";
            test::write_png(shot, with_panels, width, height, true);
            std::cout << "the picture with the panels: " << shot << std::endl;
        }

        at.demo_frame();
        EXPECT_TRUE(read() == demo_alone) << "the demo's next frame is its picture as before the panels";

        at.view->toggle_hidden();
        EXPECT_TRUE(within(window, at.demo_frame())) << "Tab: the picture has the whole window";
        at.panels();
        EXPECT_TRUE(red_box(read(), width, height).width == plain.width) << "and nothing over it";
    }
}

} // namespace
