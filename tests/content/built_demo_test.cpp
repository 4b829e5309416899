// The demo over the data the builder makes: one frame's call stream through the recorder, and
// real pictures on Mesa at a few demo times that show the creature (not black, not one colour).
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "app/offscreen_context.h"
#include "app/render_device.h"
#include "app/step_counter.h"
#include "app/system.h"
#include "content/data_writer.h"
#include "demo/data_layout.h"
#include "demo/demo.h"
#include "gl_recorder.h"

namespace {

namespace layout = quor::demo::layout;
namespace sys = quor::system;

std::unique_ptr<char[]> block_of(const std::vector<char>& file)
{
    std::unique_ptr<char[]> block(new char[layout::block_size]);
    std::memcpy(block.get(), file.data(), file.size());
    return block;
}

// Vertices submitted between each glBegin and its glEnd, and whether a material (its
// glEnable(GL_COLOR_MATERIAL)) came before each pair.
struct draw_summary {
    std::vector<int> vertices;
    std::vector<bool> after_material;
};

draw_summary summarise(const std::vector<quor::test::gl_call>& calls)
{
    draw_summary s;
    int count = 0;
    bool material = false;
    for (const auto& c : calls) {
        if (c.name == "glEnable" && c.args == std::vector<double>{GL_COLOR_MATERIAL})
            material = true;
        else if (c.name == "glBegin")
            count = 0;
        else if (c.name == "glVertex3f")
            ++count;
        else if (c.name == "glEnd") {
            s.vertices.push_back(count);
            s.after_material.push_back(material);
            material = false;
        }
    }
    return s;
}

TEST(BuiltData, OneFrameAndPicturesThatShowTheCreature)
{
    std::vector<char> file;
    std::string error;
    ASSERT_TRUE(quor::content::assemble_data_file(file, [](const std::string&) {}, &error)) << error;

    {
        quor::test::gl_recorder rec;
        sys::creation_params params;
        sys::create_engine(params);
        sys::step_counter ticks(30);
        quor::demo::Demo demo(ticks);
        ASSERT_TRUE(demo.scene.build(block_of(file), file.size()));
        demo.clock.start();
        rec.clear();
        demo.frame();
        ASSERT_GE(rec.calls.size(), 7u);
        EXPECT_EQ(rec.calls[0].name, "glClear");
        EXPECT_EQ(rec.calls[2].name, "glLoadTransposeMatrixf");
        EXPECT_EQ(rec.calls[3].name, "glViewport");
        EXPECT_EQ(rec.calls[6], quor::test::gl_call("glCullFace", {GL_FRONT}));
        const draw_summary s = summarise(rec.calls);
        EXPECT_EQ(s.vertices, (std::vector<int>{13104, 14019, 10944, 1365, 6}));
        EXPECT_EQ(s.after_material, std::vector<bool>(5, true));
        sys::shutdown();
    }

    constexpr int w = 160, h = 90;
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    sys::offscreen_context context(w, h);
    ASSERT_TRUE(context.ok());
    sys::creation_params params;
    sys::create_engine(params);
    sys::reshape(w, h);
    sys::step_counter ticks(30);
    quor::demo::Demo demo(ticks);
    ASSERT_TRUE(demo.scene.build(block_of(file), file.size()));
    demo.clock.start();

    std::vector<std::vector<std::uint8_t>> pictures;
    for (int seconds : {2, 12, 25}) {
        SCOPED_TRACE(seconds);
        ticks.set(static_cast<std::uint64_t>(seconds) * 30);
        demo.frame(); // its closing update moves the clock to the wanted time
        demo.frame();
        ASSERT_EQ(demo.clock.time(), static_cast<float>(seconds));
        pictures.push_back(context.read_pixels());
        const auto& p = pictures.back();

        std::set<int> colours;
        int lit = 0, lit_centre = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const std::uint8_t* px = &p[4 * (y * w + x)];
                colours.insert((px[0] >> 3) << 10 | (px[1] >> 3) << 5 | (px[2] >> 3));
                const bool on = px[0] + px[1] + px[2] > 60;
                lit += on;
                lit_centre += on && x > w / 3 && x < 2 * w / 3 && y > h / 4 && y < 3 * h / 4;
            }
        }
        EXPECT_GT(colours.size(), 150u) << "a picture of many colours, not one";
        EXPECT_GT(lit, w * h / 10) << "not black";
        EXPECT_GT(lit_centre, (w / 3) * (h / 2) / 4) << "something lit in the middle of the picture";
    }
    EXPECT_NE(pictures[0], pictures[2]) << "the scene moves";
    sys::shutdown();
}

} // namespace
