// The one vertex layout of the engine: the same 40 bytes in memory and in the data file.
#pragma once

namespace quor {

struct vtx_nt0t1 {
    float position[3];
    float normal[3]; // carried by the data, never sent to OpenGL
    float t0[2];     // texture unit 0
    float t1[2];     // texture unit 1
};
static_assert(sizeof(vtx_nt0t1) == 40, "vtx_nt0t1 is used in place over file data");

} // namespace quor
