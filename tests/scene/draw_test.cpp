// Scene drawing: traversal order, matrices loaded per node, roots, objects' slots and the camera.
#include <gtest/gtest.h>

#include <boost/shared_ptr.hpp>
#include <vector>

#include "app/system.h"
#include "scene/camera.h"
#include "scene/draw.h"
#include "scene/object.h"
#include "scene/transformation.h"
#include "recorded_device.h"
#include "scene_test_support.h"

namespace {

using quor::mat4;
using quor::scene::node_base;
using quor::test::fixed_transformation;
using quor::test::gl_call;
using quor::test::marker_object;
using quor::test::recorded_device;
using quor::test::translated;

using fake_object = quor::scene::object<1, float, fixed_transformation>;
using fake_node = quor::scene::node<float, fixed_transformation>;

boost::shared_ptr<marker_object> marker(float id) { return boost::shared_ptr<marker_object>(new marker_object(id)); }

std::vector<double> row_major(const mat4& m) { return std::vector<double>(m.m, m.m + 16); }

// What drawing one shown node with a marker issues.
void expect_node(std::vector<gl_call>& calls, const mat4& modelview, float id)
{
    calls.push_back({"glMatrixMode", {0x1700}});
    calls.push_back({"glLoadTransposeMatrixf", row_major(modelview)});
    calls.push_back({"glLineWidth", {id}});
}

struct family {
    fake_object parent, a, b;
    family()
    {
        parent.add(marker(1));
        a.add(marker(2));
        b.add(marker(3));
        parent.transformation.local = translated(1, 0, 0);
        a.transformation.local = translated(0, 2, 0);
        b.transformation.local = translated(0, 0, 3);
        link(parent, a);
        link(parent, b);
    }
};

TEST(SceneDraw, ChildrenDrawInIndexOrderBeforeTheirParentWithViewTimesWorld)
{
    recorded_device r;
    family f;
    fake_node camera;
    camera.transformation.local = translated(0, 0, 10);
    node_base* roots[] = {&f.parent};
    quor::scene::draw_scene(roots, r.dev, 0.5f, camera);

    std::vector<gl_call> expected;
    expect_node(expected, translated(1, 2, -10), 2);
    expect_node(expected, translated(1, 0, -7), 3);
    expect_node(expected, translated(1, 0, -10), 1);
    EXPECT_EQ(r.rec.calls, expected);
    EXPECT_EQ(f.a.transformation.last_time, 0.5);
}

TEST(SceneDraw, AHiddenNodeSkipsItselfButStillPassesItsWorldMatrixOn)
{
    recorded_device r;
    family f;
    f.parent.shown = false;
    fake_node camera;
    node_base* roots[] = {&f.parent};
    quor::scene::draw_scene(roots, r.dev, 0, camera);

    std::vector<gl_call> expected;
    expect_node(expected, translated(1, 2, 0), 2);
    expect_node(expected, translated(1, 0, 3), 3);
    EXPECT_EQ(r.rec.calls, expected);
}

TEST(SceneDraw, RootsThatHaveAParentOrAreNullAreSkipped)
{
    recorded_device r;
    family f;
    fake_node camera;
    node_base* roots[] = {&f.a, nullptr, &f.parent};
    quor::scene::draw_scene(roots, r.dev, 0, camera);
    EXPECT_EQ(r.rec.named("glLineWidth"),
              (std::vector<gl_call>{{"glLineWidth", {2}}, {"glLineWidth", {3}}, {"glLineWidth", {1}}}));
}

TEST(SceneDraw, ASingularCameraMatrixGivesTheIdentityView)
{
    recorded_device r;
    fake_object thing;
    thing.add(marker(1));
    thing.transformation.local = translated(1, 2, 3);
    fake_node camera;
    camera.transformation.local = mat4{};
    node_base* roots[] = {&thing};
    quor::scene::draw_scene(roots, r.dev, 0, camera);
    ASSERT_EQ(r.rec.named("glLoadTransposeMatrixf").size(), 1u);
    EXPECT_EQ(r.rec.named("glLoadTransposeMatrixf")[0].args, row_major(translated(1, 2, 3)));
}

TEST(SceneDraw, WorldMatrixComposesEveryAncestor)
{
    family f;
    fake_node grandparent;
    grandparent.transformation.local = translated(10, 0, 0);
    link(grandparent, f.parent);
    mat4 world;
    quor::scene::world_matrix(world, f.b, 0);
    EXPECT_EQ(row_major(world), row_major(translated(11, 0, 3)));
}

TEST(SceneDraw, ALightWaveNodeFiveAheadOfTheCameraSitsAtMinusFiveInEyeSpace)
{
    recorded_device r;
    quor::scene::object<4, float, quor::lightwave::transformation> thing;
    thing.transformation.position_z.value = 5;
    thing.transformation.scale_x.value = thing.transformation.scale_y.value = thing.transformation.scale_z.value = 1;
    thing.add(marker(1));
    quor::scene::camera_template<float, quor::lightwave::transformation_camera> camera;
    node_base* roots[] = {&thing};
    quor::scene::draw_scene(roots, r.dev, 0, camera);

    const auto loads = r.rec.named("glLoadTransposeMatrixf");
    ASSERT_EQ(loads.size(), 1u);
    EXPECT_FLOAT_EQ(loads[0].args[3], 0);
    EXPECT_FLOAT_EQ(loads[0].args[7], 0);
    EXPECT_FLOAT_EQ(loads[0].args[11], -5);
}

TEST(SceneObject, FillsItsSlotsInOrderAndRefusesMore)
{
    recorded_device r;
    quor::scene::object<2, float, fixed_transformation> thing;
    thing.draw(r.dev);
    thing.set_frame(3);
    EXPECT_TRUE(r.rec.calls.empty());

    auto first = marker(1), second = marker(2);
    EXPECT_TRUE(thing.add(first));
    EXPECT_FALSE(thing.add(nullptr));
    EXPECT_TRUE(thing.add(second));
    EXPECT_FALSE(thing.add(marker(3)));
    EXPECT_EQ(thing.count(), 2);

    thing.set_frame(7);
    EXPECT_EQ(first->frame(), 7);
    EXPECT_EQ(second->frame(), 7);
    thing.draw(r.dev);
    EXPECT_EQ(r.rec.calls, (std::vector<gl_call>{{"glLineWidth", {1}}, {"glLineWidth", {2}}}));
}

TEST(Camera, KeepsItsBuildTimeAspectButProjectsWithTheCurrentOne)
{
    quor::system::reshape(1024, 768);
    quor::scene::camera_template<float, quor::lightwave::transformation_camera> camera;
    EXPECT_EQ(camera.aspect, 1.3333334f);
    EXPECT_EQ(camera.fov, 0.6058038f);
    EXPECT_EQ(camera.near_plane, 0.1f);
    EXPECT_EQ(camera.far_plane, 300.0f);

    quor::system::reshape(800, 400);
    mat4 p;
    camera.projection(p);
    quor::system::reshape(1024, 768);
    EXPECT_EQ(row_major(p), row_major(quor::gl::perspective(camera.fov, 2.0f, 0.1f, 300.0f)));
    EXPECT_EQ(camera.aspect, 1.3333334f);
}

} // namespace
