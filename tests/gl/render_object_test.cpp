// Buffers over foreign memory and render-object drawing through the recorder.
#include <gtest/gtest.h>

#include <boost/weak_ptr.hpp>
#include <boost/shared_ptr.hpp>
#include <vector>

#include "app/render_device.h"
#include "gl/index_buffer.h"
#include "gl/material_ffp.h"
#include "gl/render_object.h"
#include "gl/vertex_buffer.h"
#include "gl_recorder.h"
#include "recorded_device.h"

namespace {

using quor::vtx_nt0t1;
using quor::gl::index_buffer;
using quor::gl::orderedvertex_buffer;
using quor::gl::ref_index_buffer;
using quor::gl::render_object;
using quor::gl::state;
using quor::gl::vertex_buffer;
using quor::test::gl_call;
using quor::test::gl_recorder;
using quor::test::recorded_device;

// A state that marks where it was applied in the call stream.
class marker_state final : public state {
public:
    void apply(quor::gl::render_device&) override { quor::gl::api.Finish(); }
};

// Vertex k carries k in position.x, so a submitted vertex tells which one it was.
std::vector<vtx_nt0t1> numbered_vertices(int n)
{
    std::vector<vtx_nt0t1> v(n);
    for (int k = 0; k < n; ++k)
        v[k] = vtx_nt0t1{{float(k), 0.5f, -1}, {0, 0, 1}, {0.25f, 0.5f}, {1, 0}};
    return v;
}

std::vector<gl_call> submission(const vtx_nt0t1& v)
{
    return {{"glActiveTexture", {0x84C0}},
            {"glMultiTexCoord2f", {0x84C0, v.t0[0], v.t0[1]}},
            {"glActiveTexture", {0x84C1}},
            {"glMultiTexCoord2f", {0x84C1, v.t1[0], v.t1[1]}},
            {"glVertex3f", {v.position[0], v.position[1], v.position[2]}}};
}

boost::shared_ptr<render_object<vtx_nt0t1>> make_object(const std::vector<vtx_nt0t1>& vertices, int count,
                                                       const std::vector<unsigned>& indices)
{
    boost::shared_ptr<orderedvertex_buffer<vtx_nt0t1>> vb(new orderedvertex_buffer<vtx_nt0t1>(vertices.data(), count));
    boost::shared_ptr<ref_index_buffer<unsigned>> ib(
        new ref_index_buffer<unsigned>(indices.data(), static_cast<unsigned>(indices.size())));
    boost::shared_ptr<marker_state> st(new marker_state);
    return boost::shared_ptr<render_object<vtx_nt0t1>>(new render_object<vtx_nt0t1>(vb, ib, st));
}

TEST(Buffers, ViewTheCallersMemoryWithoutCopying)
{
    auto vertices = numbered_vertices(4);
    const unsigned indices[] = {0, 1, 2, 0, 2, 3};
    {
        boost::shared_ptr<orderedvertex_buffer<vtx_nt0t1>> vb(new orderedvertex_buffer<vtx_nt0t1>(vertices.data(), 4));
        boost::shared_ptr<ref_index_buffer<unsigned>> ib(new ref_index_buffer<unsigned>(indices, 6));
        boost::shared_ptr<vertex_buffer> as_vertices = vb;
        boost::shared_ptr<index_buffer> as_indices = ib;
        EXPECT_EQ(as_vertices->count(), 4);
        EXPECT_EQ(as_vertices->data(), vertices.data());
        EXPECT_EQ(as_indices->count(), 6u);
        EXPECT_EQ(as_indices->data(), indices);
    }
    EXPECT_EQ(vertices[3].position[0], 3.0f);
}

TEST(RenderObjectDraw, AppliesTheStateThenOneTriangleBracketWithAVertexPerIndex)
{
    recorded_device r;
    const auto vertices = numbered_vertices(4);
    const std::vector<unsigned> indices = {0, 1, 2, 0, 2, 3};
    make_object(vertices, 4, indices)->draw(r.dev);

    std::vector<gl_call> expected = {{"glFinish"}, {"glBegin", {0x0004}}};
    for (unsigned i : indices)
        for (auto& c : submission(vertices[i]))
            expected.push_back(c);
    expected.push_back({"glEnd"});
    EXPECT_EQ(r.rec.calls, expected);
}

TEST(RenderObjectDraw, TheFrameSelectsCountTimesFramePlusIndex)
{
    recorded_device r;
    const auto vertices = numbered_vertices(3 * 8308);
    const std::vector<unsigned> indices = {7, 0, 8307};
    auto object = make_object(vertices, 8308, indices);
    object->set_frame(2);
    object->draw(r.dev);

    const auto positions = r.rec.named("glVertex3f");
    ASSERT_EQ(positions.size(), 3u);
    EXPECT_EQ(positions[0].args[0], 16623);
    EXPECT_EQ(positions[1].args[0], 16616);
    EXPECT_EQ(positions[2].args[0], 24923);
    EXPECT_EQ(r.rec.named("glBegin"), (std::vector<gl_call>{{"glBegin", {0x0004}}}));
    EXPECT_EQ(r.rec.named("glEnd").size(), 1u);
    EXPECT_EQ(r.rec.calls.back(), gl_call("glEnd"));
}

TEST(RenderObjectDraw, AnEmptyIndexListGivesAnEmptyBracketAfterTheState)
{
    recorded_device r;
    const auto vertices = numbered_vertices(4);
    make_object(vertices, 4, {})->draw(r.dev);
    EXPECT_EQ(r.rec.calls, (std::vector<gl_call>{{"glFinish"}, {"glBegin", {0x0004}}, {"glEnd"}}));
}

TEST(RenderObjectDraw, TheMaterialsCallsComeFirst)
{
    recorded_device r;
    const auto vertices = numbered_vertices(3);
    const unsigned indices[] = {0, 1, 2};
    boost::shared_ptr<quor::gl::material_ffp> material(new quor::gl::material_ffp);
    render_object<vtx_nt0t1> object(
        boost::shared_ptr<orderedvertex_buffer<vtx_nt0t1>>(new orderedvertex_buffer<vtx_nt0t1>(vertices.data(), 3)),
        boost::shared_ptr<ref_index_buffer<unsigned>>(new ref_index_buffer<unsigned>(indices, 3)), material);
    object.draw(r.dev);
    ASSERT_EQ(r.rec.calls.size(), 15u + 32u + 2u + 15u);
    EXPECT_EQ(r.rec.calls.front(), gl_call("glEnable", {0x0B57}));
    EXPECT_EQ(r.rec.calls[47], gl_call("glBegin", {0x0004}));
}

TEST(RenderObjectLifetime, BuffersSharedByTwoObjectsLiveUntilBothAreGone)
{
    const auto vertices = numbered_vertices(4);
    const unsigned indices[] = {0, 1, 2};
    boost::weak_ptr<vertex_buffer> watch;
    boost::shared_ptr<render_object<vtx_nt0t1>> a, b;
    {
        boost::shared_ptr<orderedvertex_buffer<vtx_nt0t1>> vb(new orderedvertex_buffer<vtx_nt0t1>(vertices.data(), 4));
        boost::shared_ptr<ref_index_buffer<unsigned>> ib(new ref_index_buffer<unsigned>(indices, 3));
        boost::shared_ptr<marker_state> st(new marker_state);
        a.reset(new render_object<vtx_nt0t1>(vb, ib, st));
        b.reset(new render_object<vtx_nt0t1>(vb, ib, st));
        watch = vb;
    }
    a.reset();
    EXPECT_FALSE(watch.expired());
    b.reset();
    EXPECT_TRUE(watch.expired());
}

} // namespace
