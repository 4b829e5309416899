// The overlay drawn for real on Mesa over a demo frame: it changes the picture only inside its
// own windows, and the demo's next frame is the same picture as before it (the GL state was
// given back whole). Its widgets driven through ImGui's pointer state, as the window's would.
#include "overlay/overlay.h"

#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_internal.h>

#include "anim/record.h"
#include "app/offscreen_context.h"
#include "app/system.h"
#include "demo/data_layout.h"
#include "demo/demo.h"
#include "gl/vertex.h"
#include "manual_counter.h"
#include "platform/window.h"

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

// The demo over that file in an offscreen context, with the workbench and its overlay.
struct Overlay : testing::Test {
    system::offscreen_context context{width, height};
    test::manual_counter ticks;
    std::unique_ptr<demo::Demo> demo;
    std::unique_ptr<edit::workbench> bench;
    std::unique_ptr<overlay::workbench_overlay> view;

    void SetUp() override
    {
        ASSERT_TRUE(context.ok());
        system::creation_params params;
        system::create_engine(params);
        system::reshape(width, height);
        demo = std::make_unique<demo::Demo>(ticks);
        std::size_t size = 0;
        auto block = red_square_file(size);
        ASSERT_TRUE(demo->scene.build(std::move(block), size));
        demo->clock.start();
        bench = std::make_unique<edit::workbench>(*demo, "absent/tesk.mem", ticks);
        view = std::make_unique<overlay::workbench_overlay>();
    }
    void TearDown() override
    {
        view.reset();
        bench.reset();
        demo.reset();
        system::shutdown();
    }
};

TEST_F(Overlay, ChangesThePictureOnlyInItsWindowsAndLeavesTheDemosStateAsItWas)
{
    demo::Demo& demo = *this->demo;
    edit::workbench& bench = *this->bench;
    overlay::workbench_overlay& view = *this->view;
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
    // The top-level windows as ImGui placed them in the frame just drawn.
    std::vector<std::array<float, 4>> windows;
    for (ImGuiWindow* w : ImGui::GetCurrentContext()->Windows)
        if (w->Active && !w->Hidden && !(w->Flags & ImGuiWindowFlags_ChildWindow))
            windows.push_back({w->Pos.x, w->Pos.y, w->Size.x, w->Size.y});
    ASSERT_FALSE(windows.empty());
    const auto inside = [&](int x, int y) {
        const float top_down = static_cast<float>(height - 1 - y);
        for (const auto& r : windows)
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
}

// The pointer as the GLUT handlers leave it for ImGui's next frame.
void pointer(float x, float y, bool down)
{
    ImGuiIO& io = ImGui::GetIO();
    io.MousePos = ImVec2(x, y);
    io.MouseDown[0] = down;
}

// Where the channels panel's widget named `name` is, as far as the pointer can hover it; a
// negative rectangle when it is not shown.
ImRect hover_rect(const char* name, const std::function<void()>& frame)
{
    ImGuiWindow* channels = ImGui::FindWindowByName("Channels");
    if (!channels)
        return ImRect(-1, -1, -1, -1);
    const ImGuiID id = channels->GetID(name);
    const auto hovers = [&](float x, float y) {
        pointer(x, y, false);
        frame();
        return ImGui::GetCurrentContext()->HoveredId == id;
    };
    const float x = channels->Pos.x + 16; // inside the padding, where widgets start
    float y = channels->Pos.y;
    while (y < channels->Pos.y + channels->Size.y && !hovers(x, y))
        y += 4;
    if (y >= channels->Pos.y + channels->Size.y)
        return ImRect(-1, -1, -1, -1);
    ImRect r(x, y, x, y);
    while (hovers(r.Min.x - 1, y))
        --r.Min.x;
    while (hovers(r.Max.x + 1, y))
        ++r.Max.x;
    while (hovers(x, r.Min.y - 1))
        --r.Min.y;
    while (hovers(x, r.Max.y + 1))
        ++r.Max.y;
    return r;
}

TEST_F(Overlay, EachDragOfAValueIsOneUndoStep)
{
    const edit::channel_ref camera_x{2, 0}; // selected at start: a constant in this file
    const auto frame = [&] { view->draw(*bench, width, height, 1.0f / 60); };
    frame();
    const ImRect field = hover_rect("value", frame);
    ASSERT_GE(field.Min.y, 0) << "the value field is shown";
    const ImVec2 at(field.Min.x + 2, (field.Min.y + field.Max.y) / 2);
    const auto drag = [&] {
        // Half a second apart, so that the presses do not make a double click (which types).
        for (int idle = 0; idle < 30; ++idle)
            frame();
        pointer(at.x, at.y, true);
        frame();
        for (int step = 1; step <= 5; ++step) {
            pointer(at.x + 10.0f * static_cast<float>(step), at.y, true);
            frame();
        }
        pointer(at.x + 50, at.y, false);
        frame();
        return bench->document().channel(camera_x).value;
    };
    const float first = drag();
    const float second = drag();
    ASSERT_GT(first, 0.0f);
    ASSERT_GT(second, first);
    ASSERT_TRUE(bench->undo().ok);
    EXPECT_EQ(bench->document().channel(camera_x).value, first) << "the second drag alone is undone";
    ASSERT_TRUE(bench->undo().ok);
    EXPECT_EQ(bench->document().channel(camera_x).value, 0.0f);
    EXPECT_FALSE(bench->document().can_undo());
}

// A press on a key of the curve goes to the key's time and a drag moves its value, as one undo
// step; a press elsewhere on the curve seeks and edits nothing.
TEST_F(Overlay, TheCurvePicksAndDragsAKeyAndSeeksElsewhere)
{
    const edit::channel_ref camera_x{2, 0};
    const auto frame = [&] { view->draw(*bench, width, height, 1.0f / 60); };
    // A ramp from 0 at 0 s to 1 at 20 s, then level: its key at 20 s is the curve's top.
    ASSERT_TRUE(bench->edit([&](edit::motion_document& d) { return d.make_envelope(camera_x); }).ok);
    const edit::edit_result added = bench->edit([&](edit::motion_document& d) { return d.add_key(camera_x, 20.0); });
    ASSERT_TRUE(added.ok);
    Key top = bench->document().channel(camera_x).keys[added.key];
    top.value = 1.0f;
    top.shape = Shape::Linear;
    ASSERT_TRUE(bench->edit([&](edit::motion_document& d) { return d.set_key(camera_x, added.key, top); }).ok);
    frame();
    const ImRect curve = hover_rect("curve", frame);
    ASSERT_GE(curve.Min.y, 0) << "the curve is shown";
    const auto x_at = [&](double t) { return curve.Min.x + static_cast<float>(t / bench->player().end()) * curve.GetWidth(); };
    const auto press = [&](ImVec2 at, float drag) {
        pointer(at.x, at.y, true);
        frame();
        for (int step = 1; step <= 4; ++step) {
            pointer(at.x, at.y + drag * static_cast<float>(step) / 4, true);
            frame();
        }
        pointer(at.x, at.y + drag, false);
        frame();
    };

    press(ImVec2(x_at(20.0), curve.Min.y + 4), 20.0f);
    const float dragged = bench->document().channel(camera_x).keys[added.key].value;
    EXPECT_NEAR(bench->player().time(), 20.0, 1e-3) << "the picked key's time is gone to";
    EXPECT_LT(dragged, 0.9f) << "dragging down lowers the key";
    EXPECT_GT(dragged, 0.0f);
    ASSERT_TRUE(bench->undo().ok);
    EXPECT_EQ(bench->document().channel(camera_x).keys[added.key].value, 1.0f) << "the whole drag is one step";
    ASSERT_TRUE(bench->redo().ok);

    press(ImVec2(x_at(5.0), curve.Max.y - 4), 0.0f);
    EXPECT_NEAR(bench->player().time(), 5.0, 31.0 / curve.GetWidth()) << "a press off the keys seeks";
    EXPECT_EQ(bench->document().channel(camera_x).keys[added.key].value, dragged);
    ASSERT_TRUE(bench->undo().ok);
    EXPECT_EQ(bench->document().channel(camera_x).keys[added.key].value, 1.0f) << "the seek made no undo step";
}

// A press and its release between two frames, as a touchpad's tap gives them, still click.
TEST_F(Overlay, AClickWithinOneFrameIsNotLost)
{
    const edit::channel_ref camera_x{2, 0};
    const auto frame = [&] { view->draw(*bench, width, height, 1.0f / 60); };
    frame();
    const ImRect make_envelope = hover_rect("Make envelope", frame);
    ASSERT_GE(make_envelope.Min.y, 0) << "the button is shown";
    const ImVec2 at = make_envelope.GetCenter();
    // Half a second after the scan's last move, so that nothing reads as a double click.
    for (int idle = 0; idle < 30; ++idle)
        frame();
    view->button(platform::button_left, platform::button_down, static_cast<int>(at.x), static_cast<int>(at.y));
    view->button(platform::button_left, platform::button_up, static_cast<int>(at.x), static_cast<int>(at.y));
    frame();
    frame();
    EXPECT_EQ(bench->document().channel(camera_x).kind(), edit::channel_kind::envelope);
}

} // namespace
