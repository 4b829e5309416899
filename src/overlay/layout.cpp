// The picture is as large as the space beside the channels and above the transport's least
// height allows; whichever of the two binds, the other panel takes what the picture leaves.
#include "overlay/layout.h"

#include <algorithm>
#include <cmath>

namespace quor::overlay {

layout arrange(int width, int height, bool panels)
{
    layout l;
    if (!panels || width <= channels_width || height <= transport_height) {
        l.picture = {0, 0, width, height};
        return l;
    }
    const int room_width = width - channels_width;
    const int room_height = height - transport_height;
    int w = room_width;
    int h = static_cast<int>(std::lround(static_cast<double>(w) * height / width));
    if (h > room_height) {
        h = room_height;
        w = std::min(room_width, static_cast<int>(std::lround(static_cast<double>(h) * width / height)));
    }
    l.picture = {(room_width - w) / 2, 0, w, h};
    l.channels = {room_width, 0, channels_width, height};
    l.transport = {0, h, room_width, height - h};
    return l;
}

} // namespace quor::overlay
