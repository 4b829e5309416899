// Render device: its initial state read back on Mesa, and the call streams of its setters
// through the GL recorder.
#include <gtest/gtest.h>

#include <array>

#include "app/render_device.h"
#include "app/system.h"
#include "gl_recorder.h"
#include "mesa_context.h"

namespace {

using quor::test::gl_call;
using quor::test::gl_recorder;
using calls = std::vector<gl_call>;

// The initial state as the driver holds it after construction, on a real context.
TEST(RenderDevice, InitialStateOnMesa)
{
    ASSERT_NE(quor::test::mesa_context(), nullptr) << "no offscreen OpenGL context";
    // The light position is taken under the modelview in force, which the device expects to be
    // the identity of a fresh context.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    quor::gl::render_device device;

    for (GLenum cap : {GL_NORMALIZE, GL_CULL_FACE, GL_DEPTH_TEST, GL_LIGHTING, GL_LIGHT0})
        EXPECT_TRUE(glIsEnabled(cap)) << std::hex << cap;
    auto integer = [](GLenum name) {
        GLint v = -1;
        glGetIntegerv(name, &v);
        return v;
    };
    EXPECT_EQ(integer(GL_SHADE_MODEL), GL_SMOOTH);
    EXPECT_EQ(integer(GL_DEPTH_WRITEMASK), GL_TRUE);
    EXPECT_EQ(integer(GL_DEPTH_FUNC), GL_LEQUAL);
    EXPECT_EQ(integer(GL_FRONT_FACE), GL_CCW);
    EXPECT_EQ(integer(GL_LIGHT_MODEL_LOCAL_VIEWER), 0);

    using rgba = std::array<GLfloat, 4>;
    rgba v{};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, v.data());
    EXPECT_EQ(v, (rgba{0, 0, 0, 0}));
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, v.data());
    EXPECT_EQ(v, (rgba{1, 1, 1, 1}));
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, v.data());
    EXPECT_EQ(v, (rgba{1, 1, 1, 1})) << "white ambient light";
    glGetLightfv(GL_LIGHT0, GL_DIFFUSE, v.data());
    EXPECT_EQ(v, (rgba{0, 0, 0, 1})) << "no diffuse";
    glGetLightfv(GL_LIGHT0, GL_POSITION, v.data());
    EXPECT_EQ(v, (rgba{0, -30, -30, 0})) << "directional";
}

TEST(RenderDevice, SettersAndTheirOffCases)
{
    gl_recorder rec;
    quor::gl::render_device device;
    rec.clear();

    device.clear();
    device.set_viewport(0, 0, 1024, 768, 0.0f, 1.0f);
    device.set_cull(-1);
    device.set_cull(GL_BACK);
    device.set_depth(-1, true);
    device.set_depth(GL_LESS, false);
    device.set_blend(-1, GL_ONE, GL_ONE);
    device.set_blend(GL_FUNC_ADD, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    device.set_line_width(2.0f);
    device.set_point_size(3.0f);
    const calls expected{
        {"glClear", {GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT}},
        {"glViewport", {0, 0, 1024, 768}},
        {"glDepthRange", {0, 1}},
        {"glDisable", {GL_CULL_FACE}},
        {"glEnable", {GL_CULL_FACE}},
        {"glCullFace", {GL_BACK}},
        {"glDisable", {GL_DEPTH_TEST}},
        {"glDepthMask", {GL_FALSE}},
        {"glDepthFunc", {GL_LESS}},
        {"glEnable", {GL_DEPTH_TEST}},
        {"glDepthMask", {GL_FALSE}},
        {"glDisable", {GL_BLEND}},
        {"glEnable", {GL_BLEND}},
        {"glBlendEquation", {GL_FUNC_ADD}},
        {"glBlendFunc", {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA}},
        {"glLineWidth", {2}},
        {"glPointSize", {3}},
    };
    EXPECT_EQ(rec.calls, expected);
}

TEST(RenderDevice, MatricesGoRowMajorThroughTransposeLoad)
{
    gl_recorder rec;
    quor::gl::render_device device;
    rec.clear();
    quor::mat4 m;
    for (int i = 0; i < 16; ++i)
        m.m[i] = static_cast<float>(i);
    device.load_projection(m);
    device.load_modelview(m);
    std::vector<double> row_major(m.m, m.m + 16);
    const calls expected{
        {"glMatrixMode", {GL_PROJECTION}},
        {"glLoadTransposeMatrixf", row_major},
        {"glMatrixMode", {GL_MODELVIEW}},
        {"glLoadTransposeMatrixf", row_major},
    };
    EXPECT_EQ(rec.calls, expected);
}

TEST(RenderDevice, ImmediateModeForwards)
{
    gl_recorder rec;
    quor::gl::render_device device;
    rec.clear();
    quor::vtx_nt0t1 v{{1, 2, 3}, {9, 9, 9}, {0.25f, 0.5f}, {1, 0}};
    device.begin(GL_TRIANGLES, 3);
    device.submit(v);
    device.end();
    device.color({1, 2, 3, 4});
    const calls expected{
        {"glBegin", {GL_TRIANGLES}},
        {"glActiveTexture", {GL_TEXTURE0}},
        {"glMultiTexCoord2f", {GL_TEXTURE0, 0.25, 0.5}},
        {"glActiveTexture", {GL_TEXTURE1}},
        {"glMultiTexCoord2f", {GL_TEXTURE1, 1, 0}},
        {"glVertex3f", {1, 2, 3}},
        {"glEnd", {}},
        {"glColor4ub", {1, 2, 3, 4}},
    };
    EXPECT_EQ(rec.calls, expected) << "no normal is sent";
}

TEST(RenderDevice, PerspectiveOfTheDemoCamera)
{
    const quor::mat4 p = quor::gl::perspective(0.6058038f, 1.3333334f, 0.1f, 300.0f);
    EXPECT_NEAR(p(1, 1), 3.19981f, 1e-4);
    EXPECT_NEAR(p(0, 0), 2.39986f, 1e-4);
    EXPECT_NEAR(p(2, 2), -1.000667f, 1e-6);
    EXPECT_NEAR(p(2, 3), -0.2000667f, 1e-6);
    EXPECT_EQ(p(3, 2), -1.0f);
    EXPECT_EQ(p(3, 3), 0.0f);
    EXPECT_EQ(p(0, 1), 0.0f);
    EXPECT_EQ(p(2, 0), 0.0f);
}

} // namespace
