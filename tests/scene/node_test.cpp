// Links between scene nodes stay consistent on both sides, through moves, refusals and destruction.
#include <gtest/gtest.h>

#include <optional>

#include "scene/node.h"
#include "scene_test_support.h"

namespace {

// Final, as every node type the engine destroys is.
struct node final : quor::scene::node<float, quor::test::fixed_transformation> {};
using quor::scene::link;
using quor::scene::unlink;

TEST(NodeLink, SetsTheParentAndAppendsToItsChildren)
{
    node parent, a, b;
    EXPECT_TRUE(link(parent, a));
    EXPECT_TRUE(link(parent, b));
    EXPECT_EQ(a.parent(), &parent);
    EXPECT_EQ(parent.children(), (std::vector<quor::scene::node_base*>{&a, &b}));
}

TEST(NodeLink, MovingAChildTakesItFromItsPreviousParent)
{
    node first, second, child;
    link(first, child);
    link(second, child);
    EXPECT_TRUE(first.children().empty());
    EXPECT_EQ(second.children().size(), 1u);
    EXPECT_EQ(child.parent(), &second);
    unlink(child);
    EXPECT_EQ(child.parent(), nullptr);
    EXPECT_TRUE(second.children().empty());
}

TEST(NodeLink, RefusesLoopsAndChangesNothing)
{
    node root, middle, leaf;
    link(root, middle);
    link(middle, leaf);
    EXPECT_FALSE(link(leaf, root));
    EXPECT_FALSE(link(middle, middle));
    EXPECT_EQ(root.parent(), nullptr);
    EXPECT_EQ(middle.parent(), &root);
    EXPECT_EQ(middle.children().size(), 1u);
}

TEST(NodeLink, DestroyingANodeLeavesNoDanglingLink)
{
    node parent, other_child;
    std::optional<node> child(std::in_place);
    link(parent, *child);
    link(parent, other_child);
    child.reset();
    EXPECT_EQ(parent.children(), (std::vector<quor::scene::node_base*>{&other_child}));

    std::optional<node> owner(std::in_place);
    node orphan;
    link(*owner, orphan);
    owner.reset();
    EXPECT_EQ(orphan.parent(), nullptr);
}

TEST(Node, PassesTheTimeToItsTransformationAsADouble)
{
    node n;
    n.transformation.local = quor::test::translated(1, 2, 3);
    quor::mat4 out;
    n.matrix(out, 2.5f);
    EXPECT_EQ(n.transformation.last_time, 2.5);
    EXPECT_EQ(out(0, 3), 1);
    EXPECT_EQ(out(2, 3), 3);
}

} // namespace
