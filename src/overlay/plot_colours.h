// The colours the music lane and the curve view share, so that the playhead, the grid, the
// markers and the waveform look the same in both.
#pragma once

#include <imgui.h>

namespace quor::overlay {

inline constexpr ImU32 plot_background = IM_COL32(20, 20, 24, 220);
inline constexpr ImU32 playhead_colour = IM_COL32(255, 80, 80, 255);
inline constexpr ImU32 bar_colour = IM_COL32(150, 150, 170, 110);
inline constexpr ImU32 beat_colour = IM_COL32(120, 120, 140, 60);
inline constexpr ImU32 part_colour = IM_COL32(100, 100, 120, 35);
inline constexpr ImU32 marker_colour = IM_COL32(255, 190, 60, 230);
inline constexpr ImU32 loop_colour = IM_COL32(80, 160, 255, 45);
inline constexpr ImU32 wave_colour = IM_COL32(90, 110, 90, 120);

} // namespace quor::overlay
