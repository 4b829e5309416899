// The layout of the demo's data file "tesk.mem", described once for the engine's load, the data
// builder and the inspector. The file has no header: fixed regions at fixed offsets, all
// little-endian, used in place by the load.
//
//   offset      size        region
//   0           160         quad vertices: 4 x vtx_nt0t1
//   160         129272480   animated stream: 389 frames x 8308 x vtx_nt0t1
//   129272640   157752      index lists: quad, meshes 1-4 (39438 x u32, local to one frame)
//   129430392   1747904     textures: 5 x (8-byte prefix, DXT1 chain from full size to 1x1)
//   131178296   <= 100000   scene section: transformation records at 0, 72 and 144
//   --------    131278296   the memory block the load reads the file into
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "gl/color.h"
#include "gl/dxt.h"
#include "gl/vertex.h"

namespace quor::demo::layout {

constexpr const char* data_file_name = "tesk.mem";
constexpr const char* music_file_name = "demo.mp3";

constexpr std::size_t vertex_bytes = sizeof(vtx_nt0t1);
constexpr std::size_t index_bytes = sizeof(std::uint32_t);

constexpr std::size_t quad_vertex_count = 4;
constexpr std::size_t frame_vertex_count = 8308;
constexpr std::size_t frame_count = 389;
constexpr std::size_t frame_bytes = frame_vertex_count * vertex_bytes;

// Animation timeline of the vertex stream.
constexpr std::size_t loop_frames = 39;        // frames 0-38 loop until the run starts
constexpr std::size_t run_first_frame = 39;    // shown from run_start_time on
constexpr std::size_t run_last_shown = 349;    // the frame the run holds
constexpr double frames_per_second = 30.0;
constexpr double run_start_time = 21.0;
constexpr double timeline_end = 31.0;

struct region {
    std::size_t offset;
    std::size_t size;
    constexpr std::size_t end() const { return offset + size; }
};

constexpr region quad_vertices{0, quad_vertex_count * vertex_bytes};
constexpr region animated_vertices{quad_vertices.end(), frame_count * frame_bytes};
constexpr region indices{animated_vertices.end(), 39438 * index_bytes};
constexpr region textures{indices.end(), 1747904};
constexpr std::size_t scene_section_capacity = 100000;
constexpr region scene_section{textures.end(), scene_section_capacity};
constexpr std::size_t block_size = 131278296;

// The index lists, drawn as independent triangles. Offsets are bytes from the index region.
struct index_list {
    const char* name;
    std::size_t offset;
    std::size_t count;
    std::size_t vertex_limit; // every index is below this
    constexpr std::size_t triangles() const { return count / 3; }
    constexpr std::size_t end() const { return offset + count * index_bytes; }
};

constexpr std::size_t quad_list = 0;
constexpr std::size_t mesh_list_count = 4; // lists 1-4: meshes 1-4
constexpr std::array<index_list, 5> index_lists{{
    {"quad", 0, 6, quad_vertex_count},
    {"mesh 1", 24, 13104, frame_vertex_count},
    {"mesh 2", 52440, 14019, frame_vertex_count},
    {"mesh 3", 108516, 10944, frame_vertex_count},
    {"mesh 4", 152292, 1365, frame_vertex_count},
}};

// DXT1 levels back to back, each half the one above, down to 1x1.
constexpr std::size_t dxt1_chain_bytes(std::size_t w, std::size_t h, std::size_t levels)
{
    std::size_t bytes = 0;
    for (std::size_t l = 0; l < levels; ++l)
        bytes += gl::dxt_level_bytes(gl::dxt_level_side(w, int(l)), gl::dxt_level_side(h, int(l)), gl::dxt1_block_bytes);
    return bytes;
}
constexpr std::size_t full_chain_levels(std::size_t w, std::size_t h)
{
    std::size_t levels = 1;
    while (w > 1 || h > 1) {
        w >>= 1;
        h >>= 1;
        ++levels;
    }
    return levels;
}

constexpr std::size_t texture_prefix_bytes = 8;

// Offsets are bytes from the texture region; the prefix stands just ahead of level 0.
struct texture_entry {
    std::size_t prefix_offset;
    std::size_t level0_offset;
    std::size_t width;
    std::size_t height;
    std::size_t levels;
    std::size_t chain_bytes;
    constexpr std::size_t end() const { return level0_offset + chain_bytes; }
};

constexpr std::array<texture_entry, 5> texture_table{{
    {0, 8, 512, 512, 10, 174776},
    {174784, 174792, 1024, 1024, 11, 699064},
    {873856, 873864, 1024, 1024, 11, 699064},
    {1572928, 1572936, 512, 512, 10, 174776},
    {1747712, 1747720, 16, 16, 5, 184},
}};

// Transformation records, at offsets from the scene section. The first two stand 72 bytes apart
// and may not be longer; the camera's may run to the end of the file.
constexpr std::size_t animated_record = 0;
constexpr std::size_t quad_record = 72;
constexpr std::size_t camera_record = 144;
constexpr std::size_t object_record_limit = 72;

// Smallest and largest file the load accepts: every region, at most the block.
constexpr std::size_t min_file_size = textures.end();
constexpr std::size_t max_file_size = block_size;

// What the load builds for each drawn mesh: its list, texture and material colours.
struct mesh_entry {
    std::size_t list;
    std::size_t texture;
    color4ub ambient, diffuse, specular, emission;
};

constexpr std::array<mesh_entry, 5> mesh_table{{
    {0, 1, {200, 200, 200, 255}, {200, 200, 200, 255}, {0, 0, 0, 255}, {0, 0, 0, 255}},
    {1, 0, {200, 200, 200, 255}, {200, 200, 200, 255}, {0, 0, 0, 255}, {0, 0, 0, 255}},
    {2, 2, {200, 200, 200, 255}, {200, 200, 200, 255}, {0, 0, 0, 255}, {0, 0, 0, 255}},
    {3, 3, {167, 197, 139, 255}, {167, 197, 139, 255}, {102, 102, 102, 255}, {0, 0, 0, 255}},
    {4, 4, {215, 149, 159, 255}, {215, 149, 159, 255}, {0, 0, 0, 255}, {38, 38, 38, 255}},
}};

// How far below a frame boundary (in frames) a time still counts as on it. A capture's exact time
// from + k / rate, rounded to double, can land a few 1e-13 frames short of the boundary it stands
// on. The live clock's times are single-precision: t * 30 is then exact, and the float nearest
// below any boundary of the timeline is 6e-8 frames short of it (the closest, just before 1/30 s).
// The margin moves none of the clock's frames.
constexpr double frame_boundary_margin = 1e-10;

// The animation frame shown at demo time t: the loop until run_start_time, then the run at 30
// frames a second, held at run_last_shown; a boundary shows the new frame.
constexpr std::size_t frame_at(double t)
{
    const double frames = t * frames_per_second + frame_boundary_margin; // whole frames since 0
    constexpr double run_start = run_start_time * frames_per_second;
    if (frames < run_start)
        return static_cast<std::size_t>(frames) % loop_frames;
    const std::size_t f = static_cast<std::size_t>(frames - run_start) + run_first_frame;
    return f < run_last_shown ? f : run_last_shown;
}

namespace detail {
constexpr bool lists_consistent()
{
    std::size_t offset = 0, total = 0;
    for (const index_list& l : index_lists) {
        if (l.offset != offset || l.count % 3 != 0)
            return false;
        offset = l.end();
        total += l.count;
    }
    return offset == indices.size && total * index_bytes == indices.size;
}
constexpr bool textures_consistent()
{
    std::size_t offset = 0;
    for (const texture_entry& t : texture_table) {
        if (t.prefix_offset != offset || t.level0_offset != t.prefix_offset + texture_prefix_bytes ||
            t.levels != full_chain_levels(t.width, t.height) ||
            t.chain_bytes != dxt1_chain_bytes(t.width, t.height, t.levels))
            return false;
        offset = t.end();
    }
    return offset == textures.size;
}
} // namespace detail

static_assert(vertex_bytes == 40);
static_assert(frame_bytes == 332320);
static_assert(animated_vertices.offset == 160 && animated_vertices.size == 129272480);
static_assert(indices.offset == 129272640 && indices.size == 157752);
static_assert(textures.offset == 129430392);
static_assert(scene_section.offset == 131178296);
static_assert(scene_section.end() == block_size, "the block is the regions plus the scene section");
static_assert(detail::lists_consistent(), "index lists follow one another and fill the region");
static_assert(detail::textures_consistent(), "texture chains follow one another and fill the region");
static_assert(index_lists[1].triangles() == 4368 && index_lists[2].triangles() == 4673 &&
              index_lists[3].triangles() == 3648 && index_lists[4].triangles() == 455);
static_assert(quad_record == animated_record + object_record_limit && camera_record == quad_record + object_record_limit);
static_assert(frame_at(2.0) == 21 && frame_at(20.99) == 5 && frame_at(21.0) == 39 && frame_at(31.5) == 349);

} // namespace quor::demo::layout
