// The workbench's two panels, drawn with Dear ImGui inside a frame the overlay has begun: the
// transport with the time line, and the channels of the three motion records with the selected
// channel's curve and keys. They only read the workbench and send it commands.
#pragma once

#include "edit/motion_document.h"
#include "edit/workbench.h"

namespace quor::overlay {

// What the channels panel shows in detail; kept by the overlay from frame to frame.
struct selection {
    edit::channel_ref channel{2, 0};
    int key = -1;
    // A key picked on the curve: its row comes into view, and the press drags its value (edited
    // once the drag has moved it).
    bool scroll_to_key = false;
    bool dragging_key = false;
    bool key_dragged = false;
};

void draw_transport(edit::workbench& bench);
void draw_channels(edit::workbench& bench, selection& selected);
// The question a new version of the data file raises while edits are unsaved.
void draw_reload_prompt(edit::workbench& bench);

} // namespace quor::overlay
