// Where the workbench puts things in its window: the channels in a column at the right, the
// transport under the picture, and the demo's picture in the rest, the whole frame at the
// window's own aspect, so that no panel lies over it. Without panels the picture has the window.
#pragma once

namespace quor::overlay {

// Pixels from the window's top left, as the pointer and Dear ImGui count them.
struct rect {
    int x = 0, y = 0, width = 0, height = 0;
    bool empty() const { return width <= 0 || height <= 0; }
};

struct layout {
    rect picture, channels, transport;
    bool panels() const { return !channels.empty(); }
};

// The channels column's width and the least height the transport needs for its rows and a
// status line of two lines.
constexpr int channels_width = 420;
constexpr int transport_height = 150;

layout arrange(int width, int height, bool panels);

} // namespace quor::overlay
