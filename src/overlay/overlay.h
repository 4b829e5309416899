// The workbench's overlay: a Dear ImGui context whose panels are drawn with ImGui's OpenGL 2
// renderer after the demo's frame, inside a gl_state_guard, beside the picture where the layout
// puts them. Input reaches it through its queue; the owner supplies the window size and the time
// step, so it draws without a window too (tests draw it offscreen).
#pragma once

#include <vector>

#include "edit/workbench.h"
#include "overlay/input_queue.h"
#include "overlay/layout.h"
#include "overlay/panels.h"

namespace quor::overlay {

class workbench_overlay {
public:
    // Creates the ImGui context and its renderer; a GL context must be current.
    workbench_overlay();
    ~workbench_overlay();
    workbench_overlay(const workbench_overlay&) = delete;
    workbench_overlay& operator=(const workbench_overlay&) = delete;

    // Where this frame's picture and panels go, for a window of that size: called before the
    // demo draws, so that its picture takes the place the panels leave.
    const layout& place(const edit::workbench& bench, int width, int height);
    // One frame of the panels in the places `place` gave; nothing while hidden.
    void draw(edit::workbench& bench, float seconds);
    // Input from the window for the panels, taken frame by frame in the order it came.
    input_queue& input() { return queue; }
    // Hidden panels leave the whole window to the picture (Tab in the workbench); a question
    // shows them again.
    void toggle_hidden() { hidden = !hidden; }

    // Escape outside a text field: closes an open question (the answer "stay"), or asks what to do
    // with unsaved edits. False when nothing stands in the way of ending.
    bool escape(const edit::workbench& bench);
    // Escape inside a question's text field: the field gives its text back and the question
    // closes, as a second Escape would. False when no question is open.
    bool close_question();
    // The window's close button: asks about unsaved edits; true when nothing stands in the way of
    // ending.
    bool may_close(const edit::workbench& bench);
    // The answer to the question about unsaved edits was to end (after a save, or without one).
    bool quit_chosen() const { return asked.quit_chosen; }
    // After each frame of the demo, `now` in seconds: a watched import looks at its file.
    void after_frame(edit::workbench& bench, double now) { watch.poll(bench, now); }
    // Imports made since the start, watched ones included.
    int imports() const { return watch.imports(); }


    // A key of the music's time (timing_key) or of the curve view (curve_key); comma and full
    // stop: the previous and next key of the selected channel; Ctrl+C, Ctrl+V and Delete: the
    // picked keys copied, pasted at the current time, deleted. True when it was one of them.
    bool timing_key(edit::workbench& bench, unsigned char key);

    // Whether ImGui uses the keyboard for a text field, and the mouse for a window under it.
    bool typing() const;
    bool wants_mouse() const;

private:
    void draw_panels(edit::workbench& bench, float seconds);

    input_queue queue;
    selection selected;
    questions asked;
    import_choice importing;
    import_watch watch;
    timing_state timing;
    int moves_seen = 0;
    int reloads_seen = 0, imports_seen = 0;
    bool hidden = false;
    layout places;
    int window_width = 0, window_height = 0;
};

} // namespace quor::overlay
