// The demo's animated creature: a crystal-crowned jellyfish made of four meshes over one
// 8308-vertex frame (bell, tentacles, crystals, glowing gems), posed frame by frame. The same
// walk over its parts yields topology, texture coordinates and positions, so every frame shares
// one set of index lists.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gl/vertex.h"

namespace quor::content {

struct float3 {
    float x = 0, y = 0, z = 0;
};
struct float2 {
    float u = 0, v = 0;
};

// What drives one frame: pulse phase (radians, periodic over the loop), bloom 0-1, spin about
// the vertical axis (radians) and the rise of the whole body.
struct creature_pose {
    float phase = 0;
    float bloom = 0;
    float spin = 0;
    float rise = 0;
};

// Frames 0-38 loop (38 flows into 0); from 39 on one continuous run that goes on from the loop
// frame the timeline shows just before the run starts, blooms, then closes and swims away.
creature_pose pose_of_frame(std::size_t frame);

struct creature_frame {
    std::vector<float3> positions;
    std::vector<float2> uvs;
    std::array<std::vector<std::uint32_t>, 4> lists; // meshes 1-4
};

// Every part at one pose; positions in object space (y up, renderer frame), triangles ordered
// clockwise as seen from outside.
creature_frame build_creature(const creature_pose& pose);

// Fills `count` vertices of frame `frame` (normals from the faces, t1 a planar map of the rest
// pose), given the frame-0 geometry for t1.
void write_creature_frame(std::size_t frame, const creature_frame& rest, vtx_nt0t1* out);

// The centre lines of the strands the tubes are built around (eight arms, then sixteen
// tentacles), root first, before the whole body is turned and lifted.
std::vector<std::vector<float3>> strand_centre_lines(const creature_pose& pose);

// Vertex normals of a frame: area-weighted face normals pointing out of the surface.
std::vector<float3> vertex_normals(const creature_frame& f);

} // namespace quor::content
