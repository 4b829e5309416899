// The stage the creature floats over: the floor quad and where the two objects stand. Positions
// are in the LightWave frame of the motion records (+z forward, mirrored for the renderer).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "gl/vertex.h"

namespace quor::content {

// Where the creature and the floor stand; the camera starts at the origin looking down +z.
constexpr float creature_position[3] = {0, 0.8f, 14};
constexpr float floor_position[3] = {0, -5.5f, 14};
constexpr float floor_half_size = 20;

// The floor: a square in its own xz plane, clockwise seen from above.
std::array<vtx_nt0t1, 4> floor_vertices();
std::array<std::uint32_t, 6> floor_indices();

// A transformation record of nine constant channels (72 bytes): a position, no rotation,
// scales 1.
std::vector<char> placement_record(const float position[3]);

} // namespace quor::content
