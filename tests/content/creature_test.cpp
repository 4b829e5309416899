// The creature's meshes: counts of the layout, every vertex used, one topology for all frames,
// surfaces wound clockwise from outside, a loop and a run that join without a jump, strands
// without kinks.
#include "content/creature.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iostream>
#include <set>

#include <gtest/gtest.h>

#include "demo/data_layout.h"

namespace {

using namespace quor::content;
using namespace quor::demo::layout;

float3 operator-(float3 a, float3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
float length(float3 a) { return std::hypot(a.x, a.y, a.z); }
float distance(float3 a, float3 b) { return length(a - b); }

// Largest move of any vertex from one frame to another.
float largest_move(std::size_t from, std::size_t to)
{
    const creature_frame a = build_creature(pose_of_frame(from)), b = build_creature(pose_of_frame(to));
    float most = 0;
    for (std::size_t i = 0; i < a.positions.size(); ++i)
        most = std::max(most, distance(a.positions[i], b.positions[i]));
    return most;
}

TEST(Creature, FillsTheLayoutsCountsAndUsesEveryVertex)
{
    const creature_frame f = build_creature(pose_of_frame(0));
    ASSERT_EQ(f.positions.size(), frame_vertex_count);
    ASSERT_EQ(f.uvs.size(), frame_vertex_count);
    std::set<std::uint32_t> used;
    for (std::size_t m = 0; m < mesh_list_count; ++m) {
        EXPECT_EQ(f.lists[m].size(), index_lists[m + 1].count) << index_lists[m + 1].name;
        for (std::uint32_t i : f.lists[m]) {
            ASSERT_LT(i, frame_vertex_count);
            used.insert(i);
        }
    }
    EXPECT_EQ(used.size(), frame_vertex_count);
}

TEST(Creature, EveryFrameSharesTopologyAndTextureCoordinates)
{
    const creature_frame rest = build_creature(pose_of_frame(0));
    for (std::size_t frame : {1u, 20u, 38u, 39u, 200u, 349u, 388u}) {
        const creature_frame f = build_creature(pose_of_frame(frame));
        EXPECT_EQ(f.lists, rest.lists) << "frame " << frame;
        ASSERT_EQ(f.uvs.size(), rest.uvs.size());
        for (std::size_t i = 0; i < f.uvs.size(); ++i)
            ASSERT_TRUE(f.uvs[i].u == rest.uvs[i].u && f.uvs[i].v == rest.uvs[i].v) << "frame " << frame << " vertex " << i;
    }
}

TEST(Creature, ClosedBellIsWoundClockwiseFromOutside)
{
    // The bell is one closed surface: with clockwise-from-outside triangles its signed volume is
    // negative, and the stored normals point away from the axis at the lip.
    const creature_frame f = build_creature(pose_of_frame(0));
    double volume = 0;
    const auto& bell = f.lists[0];
    for (std::size_t i = 0; i < bell.size(); i += 3) {
        const float3 a = f.positions[bell[i]], b = f.positions[bell[i + 1]], c = f.positions[bell[i + 2]];
        volume += (a.x * (b.y * c.z - b.z * c.y) - a.y * (b.x * c.z - b.z * c.x) + a.z * (b.x * c.y - b.y * c.x)) / 6.0;
    }
    EXPECT_LT(volume, -1.0);

    const std::vector<float3> normals = vertex_normals(f);
    // Vertex 1 is on the first ring below the outer apex: its normal points mostly up.
    EXPECT_GT(normals[1].y, 0.9f);
}

TEST(Creature, LoopClosesAndTheRunGoesOnFromTheLoopWithoutAJump)
{
    float loop = 0;
    for (std::size_t f = 0; f + 1 < loop_frames; ++f)
        loop = std::max(loop, largest_move(f, f + 1));
    EXPECT_GT(loop, 0.01f) << "the loop moves";
    EXPECT_LE(largest_move(loop_frames - 1, 0), loop * 1.05f);
    float run = 0;
    for (std::size_t f = run_first_frame; f < run_last_shown; f += 3)
        run = std::max(run, largest_move(f, f + 1));
    EXPECT_LT(run, 0.5f) << "the run moves smoothly";
    // The hit at 21 s changes the pace only: its step is one of the loop's own.
    const float hit = largest_move(frame_at(20.99), frame_at(21.0));
    EXPECT_LE(hit, run);
    EXPECT_LE(hit, loop * 1.05f);
    std::cout << "largest vertex step: 20.99 s to 21 s " << hit << ", loop " << loop << ", run " << run << std::endl;
}

TEST(Creature, StrandsBendWithoutKinksInEveryFrame)
{
    float sharpest = 0;
    for (std::size_t frame = 0; frame < frame_count; ++frame) {
        for (const auto& line : strand_centre_lines(pose_of_frame(frame))) {
            for (std::size_t k = 1; k + 1 < line.size(); ++k) {
                const float3 a = line[k] - line[k - 1], b = line[k + 1] - line[k];
                const float c = (a.x * b.x + a.y * b.y + a.z * b.z) / (length(a) * length(b));
                sharpest = std::max(sharpest, std::acos(std::clamp(c, -1.0f, 1.0f)) * 180 / 3.14159265f);
            }
        }
    }
    EXPECT_LT(sharpest, 22.0f) << "degrees between two segments of a strand";
}

TEST(Creature, FramesAreComputedTheSameEveryTime)
{
    const creature_frame rest = build_creature(pose_of_frame(0));
    std::vector<quor::vtx_nt0t1> a(frame_vertex_count), b(frame_vertex_count);
    write_creature_frame(123, rest, a.data());
    write_creature_frame(123, rest, b.data());
    EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]), 0);
    for (const auto& v : a)
        ASSERT_NEAR(std::hypot(v.normal[0], v.normal[1], v.normal[2]), 1.0f, 1e-3f);
}

} // namespace
