// The input queue: a press and its release between two frames still click.
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

} // namespace
