// The curve view driven through the overlay's input as the window's would be: the wheel zooms
// time about the pointer (and with Shift the values, with Ctrl the height), a key dragged then
// moves at the zoomed scale, the values hold still through edits, f and a frame, a middle drag
// pans.
#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>

#include <imgui.h>
#include <imgui_internal.h>

#include "overlay/input_queue.h"
#include "overlay_fixture.h"
#include "platform/window.h"

namespace {

using namespace quor;
using test::Overlay;
using test::hover_rect;
using test::pointer;

const edit::channel_ref camera_x{2, 0}; // selected at start

struct CurveView : Overlay {
    ImRect curve;
    void frame() { at.panels_only(); }

    // Camera x: 0 at 0 s, 2 at 10 s, -2 at 20 s, straight between: the values -2 to 2.
    void SetUp() override
    {
        Overlay::SetUp();
        ASSERT_TRUE(bench->edit([&](edit::motion_document& d) { return d.make_envelope(camera_x); }).ok);
        for (const std::pair<double, float>& key : {std::pair{10.0, 2.0f}, {20.0, -2.0f}}) {
            const double t = key.first;
            const float v = key.second;
            const edit::edit_result added = bench->edit([&](edit::motion_document& d) { return d.add_key(camera_x, t); });
            ASSERT_TRUE(added.ok);
            Key k = keys()[added.key];
            k.value = v;
            k.shape = Shape::Linear;
            ASSERT_TRUE(bench->edit([&](edit::motion_document& d) { return d.set_key(camera_x, added.key, k); }).ok);
        }
        frame();
        curve = hover_rect("curve", [&] { frame(); });
        ASSERT_GE(curve.Min.y, 0) << "the curve is shown";
    }
    const std::vector<Key>& keys() const { return bench->document().channel(camera_x).keys; }
    // Where the plot puts a time and a value showing `from` to `to` seconds and `lo` to `hi`.
    // The plot's size: the hovered rectangle holds its last pixels.
    float width() const { return curve.GetWidth() + 1; }
    float height() const { return curve.GetHeight() + 1; }
    float x_at(double t, double from = 0, double to = 31) const
    {
        return curve.Min.x + static_cast<float>((t - from) / (to - from)) * width();
    }
    float y_at(double v, double lo = -2, double hi = 2) const
    {
        return curve.Min.y + height() - 4 - static_cast<float>((v - lo) / (hi - lo)) * (height() - 8);
    }
    void wheel(ImVec2 at, int notches, int modifiers)
    {
        for (int n = 0; n < std::abs(notches); ++n)
            view->input().wheel(notches > 0 ? 1 : -1, static_cast<int>(at.x), static_cast<int>(at.y), modifiers);
        frame();
    }
    // A left press at `spot` dragged by (dx, dy) in four steps, then let go.
    void drag(ImVec2 spot, float dx, float dy)
    {
        pointer(spot.x, spot.y, true);
        frame();
        for (int step = 1; step <= 4; ++step) {
            pointer(spot.x + dx * static_cast<float>(step) / 4, spot.y + dy * static_cast<float>(step) / 4, true);
            frame();
        }
        pointer(spot.x + dx, spot.y + dy, false);
        frame();
    }
};

TEST_F(CurveView, TheWheelZoomsAboutThePointerAndADragMovesAtTheZoomedScale)
{
    const float tall = bench->settings().get().curve_height;
    // Three notches in about the key at 10 s: 0.8^3 of 31 s across the plot, 10 s where it was.
    const ImVec2 at_key(x_at(10), y_at(2));
    wheel(ImVec2(at_key.x, at_key.y + 20), 3, 0);
    EXPECT_EQ(bench->settings().get().curve_height, tall) << "the plain wheel leaves the height";
    const double span = 31 * 0.512;
    const double pivot = (static_cast<int>(at_key.x) - curve.Min.x) / width() * 31;
    const double from = pivot - pivot * 0.512;
    drag(ImVec2(x_at(10, from, from + span), at_key.y), 20, 0);
    EXPECT_NEAR(keys()[1].time, 10 + 20 * span / width(), 1e-3) << "20 pixels of the zoomed scale";
    ASSERT_TRUE(bench->undo().ok);

    // Shift+wheel: one notch in value about the key at 2, which stays where it is; 10 pixels up
    // is then 0.8 times the value they were.
    wheel(ImVec2(x_at(10, from, from + span), at_key.y), 1, platform::modifier_shift);
    drag(ImVec2(x_at(10, from, from + span), at_key.y), 0, -10);
    EXPECT_NEAR(keys()[1].value, 2 + 10 * 0.8 * 4 / (height() - 8), 1e-3);
    ASSERT_TRUE(bench->undo().ok);

    // Ctrl+wheel: the curve's height, as before.
    wheel(at_key, 2, platform::modifier_ctrl);
    EXPECT_EQ(bench->settings().get().curve_height, tall + 20);
}

TEST_F(CurveView, TheValuesHoldThroughEditsAndChangeOnlyByFramingAndPanning)
{
    // Key 2 edited far above the range: the key at 10 s stays where it was drawn.
    Key high = keys()[2];
    high.value = 100;
    ASSERT_TRUE(bench->edit([&](edit::motion_document& d) { return d.set_key(camera_x, 2, high); }).ok);
    frame();
    drag(ImVec2(x_at(10), y_at(2)), 0, 8);
    EXPECT_NEAR(keys()[1].value, 2 - 8 * 4 / (height() - 8), 1e-3) << "picked where it stood before the edit";
    ASSERT_TRUE(bench->undo().ok);
    ASSERT_TRUE(bench->undo().ok);

    // f with nothing picked says so; with the key at 10 s picked it shows 9.75 to 10.25 s and,
    // one key being flat, its value 1 either side: the key in the middle.
    bench->player().seek(0);
    view->timing_key(*bench, 'f');
    frame();
    EXPECT_NE(bench->status().find("no key picked"), std::string::npos) << bench->status();
    drag(ImVec2(x_at(10), y_at(2)), 0, 0);
    EXPECT_NEAR(bench->player().time(), 10, 1e-3) << "the key picked";
    EXPECT_TRUE(view->timing_key(*bench, 'f'));
    frame();
    const ImVec2 middle(x_at(10, 9.75, 10.25), y_at(2, 1, 3));
    drag(middle, 20, 0);
    EXPECT_NEAR(keys()[1].time, 10 + 20 * 0.5 / width(), 1e-4) << "a drag at the framed scale";
    ASSERT_TRUE(bench->undo().ok);

    // A middle drag 40 pixels right shows earlier times: the key 40 pixels right of the middle.
    view->input().button(platform::button_middle, true, static_cast<int>(middle.x), static_cast<int>(middle.y), 0);
    frame();
    view->input().motion(static_cast<int>(middle.x) + 40, static_cast<int>(middle.y) + 30);
    frame();
    view->input().button(platform::button_middle, false, static_cast<int>(middle.x) + 40, static_cast<int>(middle.y) + 30, 0);
    frame();
    bench->player().seek(0);
    drag(ImVec2(middle.x + 40, middle.y + 30), 0, 0);
    EXPECT_NEAR(bench->player().time(), 10, 1e-3) << "the key found where the pan took it";
    EXPECT_EQ(keys()[1].value, 2.0f) << "a pan edits nothing";

    // a: the whole channel again.
    EXPECT_TRUE(view->timing_key(*bench, 'a'));
    frame();
    bench->player().seek(0);
    drag(ImVec2(x_at(20), y_at(-2)), 0, 0);
    EXPECT_NEAR(bench->player().time(), 20, 1e-3);
}

} // namespace
