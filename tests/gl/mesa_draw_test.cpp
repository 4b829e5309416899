// Drawing for real on Mesa: a DXT1 texture through material, render object and render device,
// read back pixel by pixel; and which winding front-face culling keeps.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "app/render_device.h"
#include "gl/api.h"
#include "gl/index_buffer.h"
#include "gl/material_ffp.h"
#include "gl/render_object.h"
#include "gl/texcoord_texgen.h"
#include "gl/texture.h"
#include "gl/vertex_buffer.h"
#include "mesa_context.h"

namespace {

using quor::vtx_nt0t1;
using namespace quor::gl;

struct rgb {
    int r, g, b;
};
constexpr rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, white{255, 255, 255}, black{0, 0, 0};

// One DXT1 block of a single colour: both end points equal, every index 0.
void put_solid_block(std::vector<char>& out, std::uint16_t rgb565)
{
    const char block[8] = {char(rgb565 & 0xFF), char(rgb565 >> 8), char(rgb565 & 0xFF), char(rgb565 >> 8), 0, 0, 0, 0};
    out.insert(out.end(), block, block + 8);
}

// An 8x8 texture with four mipmap levels; level 0 is red, green (lowest row of blocks, left to
// right), blue, white (upper row). The smaller levels are grey and must never show.
std::vector<char> quadrant_texture()
{
    std::vector<char> data;
    for (std::uint16_t c : {0xF800, 0x07E0, 0x001F, 0xFFFF})
        put_solid_block(data, c);
    for (int level = 1; level < 4; ++level)
        put_solid_block(data, 0x8410);
    return data;
}

vtx_nt0t1 corner(float x, float y, float s, float t) { return vtx_nt0t1{{x, y, 0}, {0, 0, 1}, {s, t}, {0, 0}}; }

class MesaDraw : public testing::Test {
protected:
    void SetUp() override
    {
        context = quor::test::mesa_context();
        ASSERT_NE(context, nullptr) << "no offscreen OpenGL context";
        device.reset(new render_device);
        data = quadrant_texture();
        tex.create_compressed(data.data(), 8, 8, 1, 4);
        ASSERT_NE(tex.name(), texture::no_name);

        material.reset(new material_ffp);
        // White emission saturates the lit colour, so modulation shows the texels unchanged.
        material->set_emission({255, 255, 255, 255});
        material->add_state(new texcoord_texgen(0, 0));
        material->add_texture(&tex, 0, 0);
    }

    // Draws frame 1 of an 8-vertex buffer whose frame 0 lies off screen, with the six indices.
    void draw(const std::array<vtx_nt0t1, 8>& quad_pair, const std::vector<unsigned>& indices, int cull)
    {
        for (int i = 0; i < 8; ++i) {
            frames[i] = corner(5, 5, 0, 0);
            frames[8 + i] = quad_pair[i];
        }
        render_object<vtx_nt0t1> object(
            boost::shared_ptr<orderedvertex_buffer<vtx_nt0t1>>(new orderedvertex_buffer<vtx_nt0t1>(frames.data(), 8)),
            boost::shared_ptr<ref_index_buffer<unsigned>>(
                new ref_index_buffer<unsigned>(indices.data(), static_cast<unsigned>(indices.size()))),
            material);
        object.set_frame(1);

        quor::mat4 unit;
        quor::identity(unit);
        device->clear();
        device->load_projection(unit);
        device->set_viewport(0, 0, quor::test::mesa_width, quor::test::mesa_height, 0, 1);
        device->set_cull(cull);
        device->load_modelview(unit);
        object.draw(*device);
        pixels = context->read_pixels();
    }

    void expect_pixel(int x, int y, rgb want, const char* picture)
    {
        const std::uint8_t* p = &pixels[4 * (y * quor::test::mesa_width + x)];
        const bool close = std::abs(p[0] - want.r) <= 2 && std::abs(p[1] - want.g) <= 2 && std::abs(p[2] - want.b) <= 2;
        EXPECT_TRUE(close) << "pixel (" << x << ", " << y << ") is " << int(p[0]) << ' ' << int(p[1]) << ' '
                           << int(p[2]) << ", wanted " << want.r << ' ' << want.g << ' ' << want.b
                           << "; picture: " << (close ? "" : quor::test::save_picture(picture));
    }

    quor::system::offscreen_context* context = nullptr;
    std::unique_ptr<render_device> device;
    std::vector<char> data;
    texture tex;
    boost::shared_ptr<material_ffp> material;
    std::array<vtx_nt0t1, 16> frames{};
    std::vector<std::uint8_t> pixels;
};

TEST_F(MesaDraw, ATexturedQuadShowsEachBlockColourInItsQuadrant)
{
    // Clockwise on screen, as the demo's meshes are, with front faces culled.
    const std::array<vtx_nt0t1, 8> quad = {corner(-1, -1, 0, 0), corner(-1, 1, 0, 1), corner(1, 1, 1, 1),
                                           corner(1, -1, 1, 0)};
    draw(quad, {0, 1, 2, 0, 2, 3}, GL_FRONT);
    expect_pixel(16, 16, red, "quadrants");
    expect_pixel(48, 16, green, "quadrants");
    expect_pixel(16, 48, blue, "quadrants");
    expect_pixel(48, 48, white, "quadrants");
}

TEST_F(MesaDraw, CullingTheFrontKeepsClockwiseFacesAndCullingTheBackTheOthers)
{
    // Left half clockwise, right half counter-clockwise; the texture is red across the bottom row.
    const std::array<vtx_nt0t1, 8> halves = {
        corner(-1, -1, 0, 0), corner(-1, 1, 0, 0.25f), corner(0, 1, 0.25f, 0.25f), corner(0, -1, 0.25f, 0),
        corner(0, -1, 0, 0),  corner(1, -1, 0.25f, 0), corner(1, 1, 0.25f, 0.25f), corner(0, 1, 0, 0.25f)};
    const std::vector<unsigned> indices = {0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7};

    draw(halves, indices, GL_FRONT);
    expect_pixel(16, 32, red, "cull-front");
    expect_pixel(48, 32, black, "cull-front");

    draw(halves, indices, GL_BACK);
    expect_pixel(16, 32, black, "cull-back");
    expect_pixel(48, 32, red, "cull-back");
}

TEST_F(MesaDraw, EachMaterialColourReachesItsOwnPropertyFromTheFirstDrawOn)
{
    // The white light is ambient only, so a surface shows material ambient x 2 (light plus scene
    // ambient) + emission. Ambient must not pick up a neighbouring colour, drawn after a material
    // whose emission differs.
    // Every corner samples the middle of the white block.
    const std::array<vtx_nt0t1, 8> quad = {corner(-1, -1, 0.75f, 0.75f), corner(-1, 1, 0.75f, 0.75f),
                                           corner(1, 1, 0.75f, 0.75f), corner(1, -1, 0.75f, 0.75f)};
    material->set_emission({0, 0, 0, 255});
    material->set_ambient({100, 0, 0, 255});
    material->set_diffuse({0, 255, 0, 255});
    material->set_specular({0, 0, 255, 255});
    draw(quad, {0, 1, 2, 0, 2, 3}, GL_FRONT);
    draw(quad, {0, 1, 2, 0, 2, 3}, GL_FRONT);
    expect_pixel(32, 32, {200, 0, 0}, "material-colours");

    boost::shared_ptr<material_ffp> glowing(new material_ffp);
    glowing->set_emission({0, 0, 90, 255});
    glowing->set_ambient({0, 50, 0, 255});
    glowing->add_texture(&tex, 0, 0);
    material = glowing;
    draw(quad, {0, 1, 2, 0, 2, 3}, GL_FRONT);
    expect_pixel(32, 32, {0, 100, 90}, "material-colours-2");
}

TEST(OffscreenContext, AFramebufferObjectTargetDrawsAndGivesTheSharedContextBack)
{
    auto* shared = quor::test::mesa_context();
    ASSERT_NE(shared, nullptr);
    {
        quor::system::offscreen_context own(16, 8, quor::system::offscreen_context::target::framebuffer_object);
        ASSERT_TRUE(own.ok());
        EXPECT_TRUE(own.uses_framebuffer_object());
        api.ClearColor(0, 1, 0, 1);
        api.Clear(GL_COLOR_BUFFER_BIT);
        const auto pixels = own.read_pixels();
        ASSERT_EQ(pixels.size(), 16u * 8u * 4u);
        EXPECT_EQ(pixels[4 * (7 * 16 + 15) + 1], 255);
        EXPECT_EQ(pixels[4 * (7 * 16 + 15) + 0], 0);
    }
    // The shared context is current again and keeps its own clear colour.
    api.ClearColor(0, 0, 1, 1);
    api.Clear(GL_COLOR_BUFFER_BIT);
    const auto pixels = shared->read_pixels();
    EXPECT_EQ(pixels[2], 255);
    EXPECT_EQ(pixels[1], 0);
}

// The sanitizer run asks Mesa to draw on the calling thread (scripts/test.sh): the leak checker at
// exit then finds one thread, none of Mesa's alive or on its way out.
TEST(OffscreenContext, TheSanitizerRunDrawsWithNoThreadOfMesasOwn)
{
    const char* threads = std::getenv("LP_NUM_THREADS");
    if (!threads || std::string_view(threads) != "0")
        GTEST_SKIP() << "this run lets Mesa start its threads";
    auto* context = quor::test::mesa_context();
    ASSERT_NE(context, nullptr);
    api.ClearColor(0, 1, 0, 1);
    api.Clear(GL_COLOR_BUFFER_BIT);
    ASSERT_EQ(context->read_pixels()[1], 255);
    const auto tasks = std::filesystem::directory_iterator("/proc/self/task");
    EXPECT_EQ(std::distance(std::filesystem::begin(tasks), std::filesystem::end(tasks)), 1);
}

} // namespace
