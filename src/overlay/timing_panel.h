// The music's time in the workbench: a row of the transport with the tempo, tap tempo, snapping,
// the position in bars and beats and the markers; the lane under it with the beat grid, the
// markers, the loop range and the playhead; the same grid and markers over every curve; and the
// keys that jump between markers and keys.
#pragma once

#include <array>

#include "edit/beat_grid.h"
#include "edit/workbench.h"
#include "overlay/music_lane.h"

struct ImDrawList;
struct ImVec2;

namespace quor::overlay {

// Kept by the overlay from frame to frame.
struct timing_state {
    edit::tap_tempo taps;
    std::array<char, 64> marker_name{};
    // The tempo as its fields show it while one of them is being changed.
    edit::tempo shown;
    bool changing_tempo = false;
    music_lane music;
    // The waveform as the lane and the curve view each last drew it.
    waveform_image lane_wave, curve_wave;
};

// Inside the transport's window, after its own rows.
void draw_timing(edit::workbench& bench, timing_state& state, bool& scrubbing);

// The waveform (while the lane is shown, through `wave`, the plot's own picture of it), the grid
// and the markers over a plot of `size` at `origin` that shows `from` to `to` seconds.
void draw_beat_grid(ImDrawList* draw, const ImVec2& origin, const ImVec2& size, double from, double to,
                    const edit::workbench_settings& s, const music_lane& music, waveform_image& wave);

// The keys of the music's time: g snapping on and off, m a marker here, [ and ] the previous and
// next marker, t a tap. True when `key` was one of them.
bool timing_key(edit::workbench& bench, timing_state& state, unsigned char key);

} // namespace quor::overlay
