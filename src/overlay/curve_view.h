// The channels panel's curve view: the selected channel's curve over a stretch of the timeline
// and a range of values that only the author changes (the wheel zooms, a middle drag pans, `f`
// and `a` frame), with a ruler in seconds and bars, the values at its side, the channels of the
// same triple (x, y, z) overlaid in their colours, and the selected key's tangents as the
// envelope's own TCB math gives them. Keys are picked, dragged and boxed on it.
#pragma once

#include <cstddef>
#include <map>
#include <vector>

#include "edit/curve_scale.h"
#include "edit/motion_records.h"
#include "edit/workbench.h"

struct ImGuiIO;

namespace quor::overlay {

struct selection;
struct timing_state;

// Kept by the overlay from frame to frame.
struct curve_view_state {
    // The time shown, for every channel; empty until the first curve is drawn: the whole timeline.
    edit::time_range time{0, 0};
    // Each channel's values (by record * 9 + channel), framed whole when it is first shown and
    // changed after that only by the author's zoom, pan and framing: never by an edit.
    std::map<std::size_t, edit::value_range> values;
    // The plot's place in the last frame: the wheel over it belongs to the view, not to the
    // panel's scroll.
    edit::plot_area plot;
    bool plotted = false;
    float wheel = 0;
    bool wheel_shift = false, wheel_ctrl = false;
    // A middle drag: the view at its press.
    bool panning = false;
    edit::curve_scale pan_start;
    // A framing asked for by a key, made at the next frame the curve is drawn.
    enum class framing { none, picked, channel } frame = framing::none;
    // Each channel's curve sampled a point a pixel, again only when the channel, the time shown or
    // the plot's width changed.
    struct sampled {
        edit::channel_record channel;
        edit::time_range time;
        std::vector<float> values;
    };
    std::map<std::size_t, sampled> samples;
};

// Before ImGui's frame: the wheel over the last plot is taken for the view (unless a question is
// up, whose own lists scroll).
void take_wheel(curve_view_state& view, ImGuiIO& io);

// The curve of the channel `at` with the view's scale. `selected` null for a mixer: its keys are
// not the channel's, so nothing is picked.
void draw_curve(edit::workbench& bench, edit::channel_ref at, selection* selected, curve_view_state& view,
                timing_state& timing, bool& scrubbing);
// On the channel's title line: the triple's other channels to overlay (a choice kept in the side
// file), and the view's mouse and keys as a tooltip.
void draw_curve_choices(edit::workbench& bench, edit::channel_ref at);
// The channel is not drawn as a curve now: its values are framed afresh when it is again.
void forget_curve(curve_view_state& view, edit::channel_ref at);

// f frames the picked keys, a the whole channel (and those overlaid). True when `key` was one.
bool curve_key(edit::workbench& bench, selection& selected, unsigned char key);

} // namespace quor::overlay
