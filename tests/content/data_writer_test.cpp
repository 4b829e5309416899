// The built data file: it passes the demo's check, its texture chains are complete and opaque,
// its records read back to the designed motion, the camera keeps the creature in view and
// comes close and high in the first act, the music fades out, and a second build gives the
// same bytes. Also the inspector's refusals.
#include "content/data_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include <unistd.h>
#include <lame/lame.h>

#include <gtest/gtest.h>

#include "anim/envelope_mixer.h"
#include "app/render_device.h"
#include "content/camera_path.h"
#include "content/creature.h"
#include "content/soundtrack.h"
#include "content/stage.h"
#include "demo/data_check.h"
#include "demo/data_report.h"
#include "gl/dxt.h"
#include "interchange/dxt1_chain.h"
#include "interchange/motion_text.h"
#include "interchange/mp3_encoder.h"
#include "io/replace_file.h"
#include "scene/transformation.h"

namespace {

using namespace quor;
using namespace quor::content;
using namespace quor::demo;
using namespace quor::interchange;
using namespace quor::demo::layout;

const std::vector<char>& built_file()
{
    static const std::vector<char> file = [] {
        std::vector<char> out;
        std::string error;
        EXPECT_TRUE(assemble_data_file(out, [](const std::string&) {}, &error)) << error;
        return out;
    }();
    return file;
}

TEST(DataFile, PassesTheDemosCheckWithEveryRegionInPlace)
{
    const std::vector<char>& file = built_file();
    ASSERT_GT(file.size(), min_file_size);
    ASSERT_LE(file.size(), max_file_size);
    const demo::data_check_result r = demo::check_data(file.data(), file.size());
    ASSERT_TRUE(r.ok) << r.message;
    EXPECT_EQ(r.lists[0].max_index, 3u);
    EXPECT_EQ(r.lists[4].max_index, frame_vertex_count - 1);
    EXPECT_EQ(r.record_bytes[0], 72u);
    EXPECT_EQ(r.record_bytes[1], 72u);
    EXPECT_EQ(scene_section.offset + camera_record + r.record_bytes[2], file.size()) << "the file ends with the camera";

    // Frame 1 starts right after frame 0, and holds frame 1's pose.
    const creature_frame rest = build_creature(pose_of_frame(0));
    std::vector<vtx_nt0t1> frame1(frame_vertex_count);
    write_creature_frame(1, rest, frame1.data());
    EXPECT_EQ(std::memcmp(file.data() + animated_vertices.offset + frame_bytes, frame1.data(), frame_bytes), 0);
    const auto floor = floor_vertices();
    EXPECT_EQ(std::memcmp(file.data(), floor.data(), quad_vertices.size), 0);
}

TEST(DataFile, TextureChainsAreCompleteAndOpaque)
{
    const std::vector<char>& file = built_file();
    for (const texture_entry& t : texture_table) {
        EXPECT_EQ(std::memcmp(file.data() + textures.offset + t.prefix_offset, "DXT1", 4), 0);
        const auto* chain = reinterpret_cast<const std::uint8_t*>(file.data() + textures.offset + t.level0_offset);
        std::size_t offset = 0;
        for (std::size_t level = 0; level < t.levels; ++level) {
            const std::size_t w = gl::dxt_level_side(t.width, int(level)), h = gl::dxt_level_side(t.height, int(level));
            const std::size_t bytes = gl::dxt_level_bytes(w, h, gl::dxt1_block_bytes);
            std::uint64_t sum = 0;
            for (std::size_t b = 0; b < bytes; b += 8) {
                std::uint8_t texels[64];
                decode_block(chain + offset + b, texels);
                for (int i = 0; i < 16; ++i) {
                    ASSERT_EQ(texels[i * 4 + 3], 255) << t.width << " level " << level;
                    sum += texels[i * 4] + texels[i * 4 + 1] + texels[i * 4 + 2];
                }
            }
            EXPECT_GT(sum, 0u) << "level " << level << " of a " << t.width << " texture is black";
            offset += bytes;
        }
        EXPECT_EQ(offset, t.chain_bytes);
        EXPECT_EQ(t.levels, full_chain_levels(t.width, t.height)) << "down to 1 x 1";
    }
}

TEST(DataFile, MipLevelsAverageTheLevelAbove)
{
    image img;
    img.width = 4;
    img.height = 2;
    img.rgb.assign(4 * 2 * 3, 0);
    for (int x = 0; x < 4; ++x)
        img.at(x, 0)[0] = static_cast<float>(x);
    const image half = half_size(img);
    ASSERT_EQ(half.width, 2);
    ASSERT_EQ(half.height, 1);
    EXPECT_FLOAT_EQ(half.at(0, 0)[0], 0.25f);
    EXPECT_FLOAT_EQ(half.at(1, 0)[0], 1.25f);
    const image column = half_size(half_size(half));
    EXPECT_EQ(column.width, 1);
    EXPECT_EQ(column.height, 1);
    // A flat block never falls into the transparent three-colour mode.
    std::uint8_t flat[64], packed[8], back[64];
    for (int i = 0; i < 16; ++i) {
        flat[i * 4] = 90;
        flat[i * 4 + 1] = 30;
        flat[i * 4 + 2] = 200;
        flat[i * 4 + 3] = 255;
    }
    compress_block(flat, packed);
    decode_block(packed, back);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(back[i * 4 + 3], 255);
}

TEST(DataFile, RecordsReadBackToTheDesignedMotion)
{
    std::vector<char> scene;
    std::string error;
    ASSERT_TRUE(scene_records(scene, &error)) << error;
    lightwave::transformation creature;
    ASSERT_EQ(creature.read(scene.data(), scene.data() + 72), scene.data() + 72);
    mat4 m;
    creature.matrix(m, 5.0);
    EXPECT_FLOAT_EQ(m(0, 0), 1);
    EXPECT_FLOAT_EQ(m(1, 3), creature_position[1]);
    EXPECT_FLOAT_EQ(m(2, 3), -creature_position[2]) << "LightWave +z is the renderer's -z";

    lightwave::transformation_camera camera;
    const char* end = scene.data() + scene.size();
    ASSERT_EQ(camera.read(scene.data() + camera_record, end), end);
    EXPECT_TRUE(camera.channel(6).dynamic->as_mixer()) << "scale x carries a mixer";
    EXPECT_EQ(camera.channel(6).dynamic->as_mixer()->size(), 3);
    for (double t = 0; t <= 31.0; t += 0.5) {
        const camera_pose want = designed_camera(t);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(camera.channel(c).evaluate(t), want.position[c], 0.25) << "t " << t << " channel " << c;
        EXPECT_NEAR(camera.channel(3).evaluate(t), want.yaw, 0.03) << "t " << t;
        EXPECT_NEAR(camera.channel(4).evaluate(t), want.pitch, 0.03) << "t " << t;
    }
    // At 0 every envelope sits on its seed key: the camera at the origin, looking down +z.
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(camera.channel(c).evaluate(0.0), 0.0f);
}

// The creature as the camera sees it at t, through the engine's own matrices over the built
// records: the box its vertices cover on the screen (normalised device coordinates) and the
// camera's elevation above the creature's origin.
struct creature_in_view {
    float left = 1e9f, right = -1e9f, bottom = 1e9f, top = -1e9f;
    float elevation_degrees = 0;
    float size() const { return std::max(right - left, top - bottom); }
};

creature_in_view view_at(double t, float aspect)
{
    std::vector<char> scene;
    std::string error;
    EXPECT_TRUE(scene_records(scene, &error)) << error;
    lightwave::transformation creature;
    lightwave::transformation_camera camera;
    creature.read(scene.data(), scene.data() + 72);
    camera.read(scene.data() + camera_record, scene.data() + scene.size());
    const mat4 projection = gl::perspective(34.71f * 3.14159265f / 180, aspect, 0.1f, 300.0f);
    mat4 cam, view, world, mv, mvp;
    inverse(view, camera.matrix(cam, t));
    multiply(mvp, projection, multiply(mv, view, creature.matrix(world, t)));
    creature_in_view v;
    for (const float3& p : build_creature(pose_of_frame(frame_at(t))).positions) {
        float clip[4];
        for (int r = 0; r < 4; ++r)
            clip[r] = mvp(r, 0) * p.x + mvp(r, 1) * p.y + mvp(r, 2) * p.z + mvp(r, 3);
        if (clip[3] <= 0.1f)
            continue;
        v.left = std::min(v.left, clip[0] / clip[3]);
        v.right = std::max(v.right, clip[0] / clip[3]);
        v.bottom = std::min(v.bottom, clip[1] / clip[3]);
        v.top = std::max(v.top, clip[1] / clip[3]);
    }
    const float dx = cam(0, 3) - world(0, 3), dy = cam(1, 3) - world(1, 3), dz = cam(2, 3) - world(2, 3);
    v.elevation_degrees = std::atan2(dy, std::hypot(dx, dz)) * 180 / 3.14159265f;
    return v;
}

TEST(DataFile, CameraKeepsTheCreatureInViewAtBothAspects)
{
    for (const float aspect : {4.0f / 3.0f, 16.0f / 9.0f}) {
        for (double t = 0; t <= timeline_end; t += 1.0 / 15) {
            const creature_in_view v = view_at(t, aspect);
            ASSERT_LT(v.left, v.right) << "in front of the camera at t " << t;
            EXPECT_TRUE(v.left < 0.5f && v.right > -0.5f && v.bottom < 0.5f && v.top > -0.5f)
                << "in the middle of the picture at t " << t << ", aspect " << aspect;
        }
    }
}

TEST(DataFile, FirstActComesCloseAndHighAndTheEndSwimsAway)
{
    float smallest = 1e9f, largest = 0, lowest = 90, highest = -90;
    for (double t = 0; t < run_start_time; t += 1.0 / 15) {
        const creature_in_view v = view_at(t, 16.0f / 9.0f);
        smallest = std::min(smallest, v.size());
        largest = std::max(largest, v.size());
        lowest = std::min(lowest, v.elevation_degrees);
        highest = std::max(highest, v.elevation_degrees);
    }
    EXPECT_GE(largest / smallest, 2.0f) << "projected size over the first 21 s";
    EXPECT_GE(highest - lowest, 30.0f) << "camera elevation over the first 21 s, degrees";
    EXPECT_LT(view_at(timeline_end, 16.0f / 9.0f).size(), smallest / 2) << "at the end it is far off";
    std::cout << "first 21 s: projected size " << smallest << " to " << largest << " (x" << largest / smallest
              << "), elevation " << lowest << " to " << highest << " degrees" << std::endl;
}

TEST(DataFile, SecondBuildGivesTheSameBytes)
{
    std::vector<char> again;
    std::string error;
    ASSERT_TRUE(assemble_data_file(again, [](const std::string&) {}, &error)) << error;
    EXPECT_TRUE(again == built_file());
}

TEST(Soundtrack, LastsTheTimelineChangesAt21SecondsAndEncodesTheSameTwice)
{
    const stereo_pcm pcm = synthesise_soundtrack();
    ASSERT_EQ(pcm.left.size(), pcm.right.size());
    ASSERT_GE(pcm.left.size(), static_cast<std::size_t>(30 * sample_rate));
    auto loudness = [&](double from, double to) {
        double sum = 0;
        const auto a = static_cast<std::size_t>(from * sample_rate), b = static_cast<std::size_t>(to * sample_rate);
        for (std::size_t i = a; i < b; ++i)
            sum += pcm.left[i] * pcm.left[i] + pcm.right[i] * pcm.right[i];
        return std::sqrt(sum / static_cast<double>(b - a));
    };
    EXPECT_GT(loudness(0.5, 4), 0.01) << "music from the start";
    EXPECT_GT(loudness(21, 25), 1.5 * loudness(15, 19)) << "the groove starts at 21 s";
    for (std::size_t i = 0; i < pcm.left.size(); i += 97)
        ASSERT_LE(std::fabs(pcm.left[i]), 1.0f);

    std::string error;
    const std::vector<std::uint8_t> a = encode_mp3(pcm, &error);
    ASSERT_FALSE(a.empty()) << error;
    EXPECT_EQ(a, encode_mp3(synthesise_soundtrack(), &error));
    EXPECT_EQ(a[0], 0xff) << "starts with a frame sync";
    const double seconds = static_cast<double>(a.size()) * 8 / (mp3_bit_rate * 1000);
    EXPECT_NEAR(seconds, soundtrack_seconds, 0.5);
}

// The level a listener hears: the encoded track decoded again.
TEST(Soundtrack, FadesToSilenceBeforeTheTimelineEnds)
{
    std::string error;
    std::vector<std::uint8_t> mp3 = encode_mp3(synthesise_soundtrack(), &error);
    ASSERT_FALSE(mp3.empty()) << error;
    std::vector<short> left, right;
    hip_t hip = hip_decode_init();
    std::vector<short> l(1152 * 16), r(1152 * 16);
    for (std::size_t at = 0; at < mp3.size(); at += 512) {
        const int n = hip_decode(hip, mp3.data() + at, std::min<std::size_t>(512, mp3.size() - at), l.data(), r.data());
        ASSERT_GE(n, 0);
        left.insert(left.end(), l.begin(), l.begin() + n);
        right.insert(right.end(), r.begin(), r.begin() + n);
    }
    hip_decode_exit(hip);
    const double seconds = static_cast<double>(left.size()) / sample_rate;
    EXPECT_LE(seconds, timeline_end + 0.1) << "the track ends with the timeline";
    auto dbfs = [&](double from, double to) {
        double sum = 0;
        const auto a = static_cast<std::size_t>(from * sample_rate), b = std::min(left.size(), static_cast<std::size_t>(to * sample_rate));
        for (std::size_t i = a; i < b; ++i)
            sum += (double(left[i]) * left[i] + double(right[i]) * right[i]) / 2;
        return 10 * std::log10(sum / static_cast<double>(b - a) / (32768.0 * 32768.0) + 1e-30);
    };
    const double last = dbfs(seconds - 0.5, seconds);
    EXPECT_LT(last, -40.0) << "level over the last half second";
    EXPECT_GT(dbfs(25, 27), -30.0) << "loud before the fade";
    std::cout << "music: " << seconds << " s, last half second " << last << " dBFS, 25-27 s " << dbfs(25, 27)
              << " dBFS" << std::endl;
}

std::filesystem::path scratch(const std::string& name)
{
    const auto dir = std::filesystem::temp_directory_path() / ("quor_mem_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir / name;
}

TEST(CheckTool, PrintsASummaryOfAValidFile)
{
    const auto path = scratch("tesk.mem");
    std::string error;
    ASSERT_TRUE(replace_file(path.string(), built_file(), {}, &error)) << error;
    std::ostringstream out, err;
    EXPECT_EQ(check_file(path.string(), out, err), 0);
    EXPECT_TRUE(err.str().empty());
    const std::string s = out.str();
    EXPECT_NE(s.find("mesh 2: 14019 indices, 4673 triangles"), std::string::npos) << s;
    EXPECT_NE(s.find("4: 16 x 16, 5 DXT1 levels, 184 bytes"), std::string::npos) << s;
    // Keys and entries as the file stores them, counted as the text export counts them.
    EXPECT_NE(s.find("yaw         envelope with 66 keys"), std::string::npos) << s;
    EXPECT_NE(s.find("scale x     mixer with 2 entries"), std::string::npos) << s;
    const demo::data_check_result checked = demo::check_data(built_file().data(), built_file().size());
    const std::string text = interchange::motion_text(checked.records);
    EXPECT_NE(text.find("Channel yaw\n  { Envelope\n    66\n"), std::string::npos);
    EXPECT_NE(text.find("Channel scale.x\n  { Mixer\n    2\n"), std::string::npos);
    EXPECT_NE(s.find("position z  constant                  14"), std::string::npos) << s;
    std::filesystem::remove(path);
}

TEST(CheckTool, RefusesDamagedFilesWithOneLine)
{
    const auto path = scratch("damaged.mem");
    auto check_with = [&](const std::vector<char>& bytes) {
        std::string error;
        EXPECT_TRUE(replace_file(path.string(), bytes, {}, &error)) << error;
        std::ostringstream out, err;
        EXPECT_EQ(check_file(path.string(), out, err), 1);
        EXPECT_TRUE(out.str().empty());
        const std::string line = err.str();
        EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1) << line;
        return line;
    };
    std::vector<char> truncated(built_file().begin(), built_file().begin() + min_file_size - 10);
    EXPECT_NE(check_with(truncated).find("shorter than the 131178296 bytes"), std::string::npos);

    std::vector<char> bad_index = built_file();
    const std::uint32_t far = 9000;
    std::memcpy(bad_index.data() + indices.offset + index_lists[2].offset + 52 * 4, &far, 4);
    EXPECT_EQ(check_with(bad_index), path.string() + ": index 52 of mesh 2 is 9000, beyond the 8308 vertices of a frame\n");

    std::vector<char> bad_record = built_file();
    bad_record.resize(bad_record.size() - 30);
    EXPECT_NE(check_with(bad_record).find("camera record at scene offset 144 runs past the end of the file"),
              std::string::npos);
    std::filesystem::remove(path);
}

} // namespace
