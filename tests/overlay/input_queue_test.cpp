// The input queue: a press and its release between two frames still click; Ctrl with a letter
// comes up however it is let go.
#include <gtest/gtest.h>

#include <imgui.h>
#include <imgui_internal.h>

#include "overlay/input_queue.h"
#include "overlay_fixture.h"
#include "platform/window.h"

namespace {

using namespace quor;
using test::Overlay;
using test::hover_rect;

// A press and its release between two frames, as a touchpad's tap gives them, still click.
TEST_F(Overlay, AClickWithinOneFrameIsNotLost)
{
    const edit::channel_ref camera_x{2, 0};
    const auto frame = [&] { at.panels_only(); };
    frame();
    const ImRect make_envelope = hover_rect("Make envelope", frame);
    ASSERT_GE(make_envelope.Min.y, 0) << "the button is shown";
    const ImVec2 spot = make_envelope.GetCenter();
    // Half a second after the scan's last move, so that nothing reads as a double click.
    for (int idle = 0; idle < 30; ++idle)
        frame();
    view->input().button(platform::button_left, true, static_cast<int>(spot.x), static_cast<int>(spot.y), 0);
    view->input().button(platform::button_left, false, static_cast<int>(spot.x), static_cast<int>(spot.y), 0);
    frame();
    frame();
    EXPECT_EQ(bench->document().channel(camera_x).kind(), edit::channel_kind::envelope);
}

// Ctrl+A let go Ctrl first: the letter comes up as 'a', and the slots Ctrl+A pressed are released,
// so the next Ctrl+A presses them again. A letter typed alone leaves no key event.
TEST(InputQueue, CtrlWithALetterIsReleasedWhicheverGoesUpFirst)
{
    ImGuiContext* context = ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    overlay::input_queue queue;
    queue.key(1, true, platform::modifier_ctrl);
    queue.apply(io);
    EXPECT_TRUE(io.KeysDown[int{'A'}]);
    EXPECT_TRUE(io.KeyCtrl);
    queue.key('a', false, 0);
    queue.apply(io);
    EXPECT_FALSE(io.KeysDown[int{'A'}]) << "released, so that the next Ctrl+A is a press";
    EXPECT_FALSE(io.KeyCtrl);

    queue.key('b', true, 0);
    queue.key('b', false, 0);
    queue.apply(io);
    EXPECT_TRUE(queue.empty());
    EXPECT_FALSE(io.KeysDown[int{'B'}]);
    ImGui::DestroyContext(context);
}

} // namespace
