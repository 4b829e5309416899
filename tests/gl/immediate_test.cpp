// Immediate-mode submission and the texture-unit enumerants through the recorder.
#include <gtest/gtest.h>

#include <vector>

#include "gl/immediate.h"
#include "gl_recorder.h"

namespace {

using quor::vtx_nt0t1;
using quor::test::gl_call;
using quor::test::gl_recorder;
using calls = std::vector<gl_call>;

TEST(Immediate, SubmissionSendsTexCoordsForUnitsZeroAndOneThenThePositionAndNoNormal)
{
    gl_recorder rec;
    const vtx_nt0t1 v{{1, 2, 3}, {0, 1, 0}, {0.25f, 0.5f}, {1, 0}};
    quor::gl::submit_vertex(v);
    EXPECT_EQ(rec.calls, (calls{{"glActiveTexture", {0x84C0}},
                               {"glMultiTexCoord2f", {0x84C0, 0.25, 0.5}},
                               {"glActiveTexture", {0x84C1}},
                               {"glMultiTexCoord2f", {0x84C1, 1, 0}},
                               {"glVertex3f", {1, 2, 3}}}));
}

TEST(Immediate, TextureUnitEnumerants)
{
    using quor::gl::texture_unit;
    EXPECT_EQ(texture_unit(0), unsigned(GL_TEXTURE0));
    EXPECT_EQ(texture_unit(1), unsigned(GL_TEXTURE1));
    EXPECT_EQ(texture_unit(7), unsigned(GL_TEXTURE7));
    EXPECT_EQ(texture_unit(8), unsigned(GL_TEXTURE0));
    EXPECT_EQ(texture_unit(100), unsigned(GL_TEXTURE0));
}

} // namespace
