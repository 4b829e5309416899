// The overlay's tests' common ground: the demo over a made-up file with the workbench and its
// overlay, drawn for real on Mesa, and the pointer as ImGui reads it.
#pragma once

#include <functional>
#include <memory>

#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_internal.h>

#include "app/offscreen_context.h"
#include "demo/demo.h"
#include "edit/workbench.h"
#include "manual_counter.h"
#include "overlay/overlay.h"

namespace quor::test {

// The demo over a file whose quad is a red, lit square in front of the camera (everything else
// zero), in an offscreen context of a window's size, with the workbench and its overlay.
struct workbench_at {
    int width, height;
    system::offscreen_context context{width, height};
    test::manual_counter ticks;
    std::unique_ptr<demo::Demo> demo;
    std::unique_ptr<edit::workbench> bench;
    std::unique_ptr<overlay::workbench_overlay> view;

    workbench_at(int w, int h);
    ~workbench_at();
    bool ok() const { return context.ok() && demo; }

    // The demo's frame in the place the layout gives its picture, as the workbench draws it.
    overlay::rect demo_frame();
    void panels() { view->draw(*bench, 1.0f / 60); }
    // The panels alone, without the demo under them: enough for their widgets.
    void panels_only();
};

struct Overlay : testing::Test {
    workbench_at at{960, 540};
    edit::workbench* bench = nullptr;
    overlay::workbench_overlay* view = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(at.ok());
        bench = at.bench.get();
        view = at.view.get();
    }
};

// The pointer as the GLUT handlers leave it for ImGui's next frame.
void pointer(float x, float y, bool down);

// Where the channels panel's widget named `name` is, as far as the pointer can hover it; a
// negative rectangle when it is not shown.
ImRect hover_rect(const char* name, const std::function<void()>& frame);

} // namespace quor::test
