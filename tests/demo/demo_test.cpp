// The demo's scene assembly, refusal of damaged files, frame numbers and one frame's call stream,
// over a small data block made here (blank geometry and textures, real records).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/device_manager.h"
#include "app/render_device.h"
#include "app/system.h"
#include "anim/record.h"
#include "data_files.h"
#include "demo/data_layout.h"
#include "demo/demo.h"
#include "gl_recorder.h"
#include "manual_counter.h"

namespace {

namespace layout = quor::demo::layout;
using quor::test::gl_recorder;
using quor::test::manual_counter;

// A file of the layout's regions: zero vertices and textures but for the marks, constant records
// for the objects (scale 1) and an envelope-driven camera record.
std::unique_ptr<char[]> blank_file(std::size_t& size)
{
    std::vector<char> records;
    for (int object = 0; object < 2; ++object) {
        for (int c = 0; c < 6; ++c)
            quor::record::write_constant_channel(records, 0.0f);
        for (int c = 0; c < 3; ++c)
            quor::record::write_constant_channel(records, 1.0f);
    }
    quor::record::write_constant_channel(records, 0.0f);
    quor::record::write_constant_channel(records, 0.0f);
    quor::Key key;
    key.value = -5.0f;
    key.time = 10.0f;
    key.shape = quor::Shape::Linear;
    quor::record::write_envelope_channel(records, {key});
    for (int c = 0; c < 6; ++c)
        quor::record::write_constant_channel(records, 0.0f);
    size = layout::scene_section.offset + records.size();
    std::unique_ptr<char[]> block(new char[layout::block_size]);
    std::memset(block.get(), 0, size);
    std::memcpy(block.get() + layout::scene_section.offset, records.data(), records.size());
    for (const auto& [at, byte] : quor::test::region_marks)
        block[at] = byte;
    return block;
}

class DemoFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        params.width = 640;
        params.height = 480;
        quor::system::create_engine(params);
    }
    void TearDown() override { quor::system::shutdown(); }

    bool build_blank(quor::demo::Demo& demo)
    {
        std::size_t size = 0;
        auto block = blank_file(size);
        return demo.scene.build(std::move(block), size);
    }

    gl_recorder rec;
    quor::system::creation_params params;
    manual_counter ticks;
};

TEST_F(DemoFixture, BuildsTexturesMeshesAndObjectsOverTheBlock)
{
    quor::demo::DemoScene scene;
    std::size_t size = 0;
    auto block = blank_file(size);
    const char* base = block.get();
    ASSERT_TRUE(scene.build(std::move(block), size));
    EXPECT_EQ(scene.file_data.get(), base) << "no copy of the block";

    const auto uploads = rec.named("glCompressedTexImage2D");
    ASSERT_EQ(uploads.size(), 10u + 11 + 11 + 10 + 5);
    const double textures = static_cast<double>(reinterpret_cast<std::uintptr_t>(base + layout::textures.offset));
    EXPECT_EQ(uploads[0].args[7], textures + 8);
    EXPECT_EQ(uploads[10].args[7], textures + 174792);
    EXPECT_EQ(uploads[42].args[3], 16) << "texture 4 is 16 x 16";
    EXPECT_EQ(uploads[42].args[7], textures + 1747720);

    EXPECT_EQ(scene.nodes[0], &scene.animated_object);
    EXPECT_EQ(scene.nodes[1], &scene.quad_object);
    EXPECT_EQ(scene.nodes[2], &scene.camera);
    EXPECT_EQ(scene.animated_object.count(), 4);
    EXPECT_EQ(scene.quad_object.count(), 1);
    for (int m = 0; m < 4; ++m)
        EXPECT_EQ(scene.animated_object.render_object(m), scene.meshes[m]);
    EXPECT_EQ(scene.meshes[0]->vertices(), scene.meshes[3]->vertices()) << "one shared vertex stream";
    EXPECT_EQ(scene.meshes[0]->vertices()->data(), base + 160);
    EXPECT_EQ(scene.meshes[0]->indices()->data(), reinterpret_cast<const unsigned*>(base + 129272640 + 24));
    EXPECT_EQ(scene.meshes[1]->indices()->data(), reinterpret_cast<const unsigned*>(base + 129272640 + 52440));
    EXPECT_EQ(scene.quad_mesh->vertices()->count(), 4);
    EXPECT_EQ(scene.camera.transformation.position_z.evaluate(10.0), -5.0f);
}

TEST_F(DemoFixture, RefusesDamagedFilesWithOneLineAndBuildsNothing)
{
    struct damage {
        const char* what;
        void (*apply)(char* block, std::size_t& size);
        const char* message_part;
    };
    const damage cases[] = {
        {"truncated", [](char*, std::size_t& size) { size = layout::textures.end() - 1; }, "shorter than"},
        {"too long", [](char*, std::size_t& size) { size = layout::block_size + 1; }, "longer than"},
        {"index out of range",
         [](char* b, std::size_t&) {
             const std::uint32_t bad = 8308;
             std::memcpy(b + layout::indices.offset + 52440 + 4 * 7, &bad, 4);
         },
         "mesh 2"},
        {"broken camera record", [](char*, std::size_t& size) { size = layout::scene_section.offset + 144 + 20; },
         "camera"},
    };
    for (const damage& d : cases) {
        SCOPED_TRACE(d.what);
        std::size_t size = 0;
        auto block = blank_file(size);
        d.apply(block.get(), size);
        quor::demo::DemoScene scene;
        rec.clear();
        testing::internal::CaptureStderr();
        EXPECT_FALSE(scene.build(std::move(block), size));
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find(d.message_part), std::string::npos) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_TRUE(rec.calls.empty()) << "nothing reaches GL for a refused file";
        EXPECT_EQ(scene.nodes[0], nullptr);
    }
}

TEST(Timeline, FrameNumbers)
{
    EXPECT_EQ(layout::frame_at(0.0), 0u);
    EXPECT_EQ(layout::frame_at(2.0), 21u);
    EXPECT_EQ(layout::frame_at(20.99), 5u);
    EXPECT_EQ(layout::frame_at(21.0), 39u);
    EXPECT_EQ(layout::frame_at(25.0), 159u);
    EXPECT_EQ(layout::frame_at(31.5), 349u);
    EXPECT_EQ(layout::frame_at(1000.0), 349u);
}

// The clock's times are floats: on either side of every frame boundary of the timeline, the float
// nearest to it shows the frame the truncating rule gives, the boundary itself the new frame.
TEST(Timeline, EveryFloatTimeBesideABoundaryKeepsItsFrame)
{
    const auto rule = [](long whole) -> std::size_t {
        return whole < 630 ? static_cast<std::size_t>(whole % 39) : static_cast<std::size_t>(std::min(whole - 591, 349L));
    };
    for (long m = 1; m <= 31 * 30 + 15; ++m) {
        float below = static_cast<float>(m / 30.0);
        while (static_cast<double>(below) * 30 >= static_cast<double>(m))
            below = std::nextafter(below, 0.0f);
        const float at_or_above = std::nextafter(below, 100.0f);
        ASSERT_EQ(layout::frame_at(below), rule(m - 1)) << "just before boundary " << m;
        ASSERT_EQ(layout::frame_at(at_or_above), rule(m)) << "from boundary " << m;
    }
}

TEST_F(DemoFixture, OneFrameCallStream)
{
    quor::demo::Demo demo(ticks);
    ASSERT_TRUE(build_blank(demo));
    demo.clock.start();
    rec.clear();
    demo.frame();

    std::vector<std::string> names;
    std::vector<int> vertices_per_pair;
    int in_pair = -1;
    for (const auto& c : rec.calls) {
        if (c.name == "glBegin")
            in_pair = 0;
        else if (c.name == "glVertex3f")
            ++in_pair;
        else if (c.name == "glEnd")
            vertices_per_pair.push_back(in_pair);
        if (c.name != "glVertex3f" && c.name != "glActiveTexture" && c.name != "glMultiTexCoord2f")
            names.push_back(c.name);
    }
    EXPECT_EQ(vertices_per_pair, (std::vector<int>{13104, 14019, 10944, 1365, 6}));
    ASSERT_GE(names.size(), 8u);
    EXPECT_EQ(rec.calls[0], quor::test::gl_call("glClear", {GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT}));
    EXPECT_EQ(rec.calls[1], quor::test::gl_call("glMatrixMode", {GL_PROJECTION}));
    const auto projection = quor::gl::perspective(0.6058038f, 1024.0f / 768.0f, 0.1f, 300.0f);
    EXPECT_EQ(rec.calls[2].args, std::vector<double>(projection.m, projection.m + 16));
    EXPECT_EQ(rec.calls[3], quor::test::gl_call("glViewport", {0, 0, 1024, 768}));
    EXPECT_EQ(rec.calls[4], quor::test::gl_call("glDepthRange", {0, 1}));
    EXPECT_EQ(rec.calls[5], quor::test::gl_call("glEnable", {GL_CULL_FACE}));
    EXPECT_EQ(rec.calls[6], quor::test::gl_call("glCullFace", {GL_FRONT}));

    // Each mesh is drawn after its own material: the colours tracked on emission differ.
    const auto colours = rec.named("glColor4ub");
    ASSERT_EQ(colours.size(), 5u * 4);
    EXPECT_EQ(colours[2 * 4 + 0], quor::test::gl_call("glColor4ub", {167, 197, 139, 255})) << "mesh 3 ambient";
    EXPECT_EQ(colours[3 * 4 + 3], quor::test::gl_call("glColor4ub", {38, 38, 38, 255})) << "mesh 4 emission";
}

TEST_F(DemoFixture, TimelineRequestsExitOnlyAfterItsEnd)
{
    quor::demo::Demo demo(ticks);
    ASSERT_TRUE(build_blank(demo));
    demo.clock.start();
    ticks.now = 31000;
    demo.clock.update();
    ASSERT_EQ(demo.clock.time(), 31.0f);
    demo.frame();
    EXPECT_FALSE(quor::system::exit_requested()) << "31.0 is not past the end";
    EXPECT_FLOAT_EQ(demo.clock.time(), 31.0f) << "no time passed";
    ticks.now = 31001;
    demo.frame(); // the clock moves at the end of this frame
    EXPECT_FALSE(quor::system::exit_requested());
    demo.frame();
    EXPECT_TRUE(quor::system::exit_requested());
}

TEST_F(DemoFixture, EscapeRequestsExitWhileTheFrameIsStillDrawn)
{
    quor::demo::Demo demo(ticks);
    ASSERT_TRUE(build_blank(demo));
    demo.actions.bind("exit", {quor::system::device_manager().find(quor::input::keyboard_kind, 0),
                               quor::input::escape_control, 0.05f, 0.05f});
    quor::system::device_manager().on_key(27);
    rec.clear();
    demo.frame();
    EXPECT_TRUE(quor::system::exit_requested());
    EXPECT_EQ(rec.named("glEnd").size(), 5u);
}

TEST_F(DemoFixture, SpaceStopsTheTimelineAndItsEndUntilPressedAgain)
{
    quor::demo::Demo demo(ticks);
    ASSERT_TRUE(build_blank(demo));
    demo.bind_actions();
    auto& devices = quor::system::device_manager();
    demo.clock.start();
    ticks.now = 30000;
    demo.frame();
    devices.update();
    devices.on_key(' ');
    ticks.now = 30500;
    demo.frame(); // pauses; the time of the pause is the last the clock takes in
    devices.update();
    EXPECT_TRUE(demo.paused());
    EXPECT_FLOAT_EQ(demo.clock.time(), 30.5f);
    for (ticks.now = 31000; ticks.now < 40000; ticks.now += 1000) {
        demo.frame();
        devices.update();
    }
    EXPECT_FLOAT_EQ(demo.clock.time(), 30.5f);
    devices.on_key(' ');
    demo.frame(); // resumes: the paused span is left out
    devices.update();
    EXPECT_FALSE(demo.paused());
    ticks.now += 600;
    demo.frame();
    EXPECT_FALSE(quor::system::exit_requested());
    EXPECT_FLOAT_EQ(demo.clock.time(), 31.1f);
    demo.frame();
    EXPECT_TRUE(quor::system::exit_requested()) << "the end of the timeline counts again after the pause";
}

TEST_F(DemoFixture, StartTimeOffsetsTheClockAndLoopingStartsAgainAtZero)
{
    quor::system::player_options options;
    options.start = 30.5;
    options.loop = true;
    quor::demo::Demo demo(ticks, options);
    ASSERT_TRUE(build_blank(demo));
    demo.bind_actions();
    demo.clock.start();
    ticks.now = 400;
    demo.frame();
    EXPECT_NEAR(demo.demo_time(), 30.9, 1e-6);
    ticks.now = 700;
    demo.frame(); // the clock moves past the end at the end of this frame
    ticks.now = 800;
    rec.clear();
    demo.frame();
    EXPECT_FALSE(quor::system::exit_requested());
    EXPECT_EQ(rec.named("glEnd").size(), 5u);
    EXPECT_EQ(demo.demo_time(), 0.0) << "the loop's frame is drawn at 0 and the clock starts from it";
    ticks.now = 900;
    demo.frame();
    EXPECT_NEAR(demo.demo_time(), 0.1, 1e-6);

    quor::system::player_options once;
    once.start = 30.5;
    quor::demo::Demo ending(ticks, once);
    ASSERT_TRUE(build_blank(ending));
    ending.clock.start();
    ticks.now += 600;
    ending.frame();
    ending.frame();
    EXPECT_TRUE(quor::system::exit_requested()) << "without --loop the end ends the demo";
}

} // namespace
