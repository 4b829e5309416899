// The workbench's overlay: a Dear ImGui context whose panels are drawn with ImGui's OpenGL 2
// renderer after the demo's frame, inside a gl_state_guard. Input reaches it through ImGui's
// GLUT handlers, pointer buttons by way of `button`; the owner supplies the display size and the
// time step, so it draws without a window too (tests draw it offscreen).
#pragma once

#include <vector>

#include "edit/workbench.h"
#include "overlay/panels.h"

namespace quor::overlay {

class workbench_overlay {
public:
    // Creates the ImGui context and its renderer; a GL context must be current.
    workbench_overlay();
    ~workbench_overlay();
    workbench_overlay(const workbench_overlay&) = delete;
    workbench_overlay& operator=(const workbench_overlay&) = delete;

    // One frame of the panels over the picture in the back buffer; nothing while hidden.
    void draw(edit::workbench& bench, int width, int height, float seconds);
    // A pointer button as the window reports it. ImGui reads the buttons once a frame, so a release
    // that comes within the frame of its press (a touchpad's tap) is passed on after the next
    // frame: the click is seen, not lost.
    void button(int number, int state, int x, int y);
    // Hidden panels cost nothing: the picture is the demo's alone (Tab in the workbench); a
    // question about a new data file shows them again.
    void toggle_hidden() { hidden = !hidden; }

    // Whether ImGui uses the keyboard for a text field, and the mouse for a window under it.
    bool typing() const;
    bool wants_mouse() const;

private:
    void draw_panels(edit::workbench& bench, int width, int height, float seconds);

    struct held_release {
        int number, x, y;
    };
    std::vector<held_release> held_releases;
    unsigned pressed_since_frame = 0; // a bit per GLUT button
    selection selected;
    int moves_seen = 0;
    bool hidden = false;
};

} // namespace quor::overlay
