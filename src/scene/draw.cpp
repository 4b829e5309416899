// Scene traversal: world matrices down the tree, model-view loads per shown node.
#include "scene/draw.h"

#include "app/render_device.h"

namespace quor::scene {

mat4& world_matrix(mat4& out, node_base& node, float t)
{
    mat4 local;
    node.matrix(local, t);
    if (!node.parent())
        return out = local;
    mat4 parent_world;
    world_matrix(parent_world, *node.parent(), t);
    return multiply(out, parent_world, local);
}

void draw_tree(node_base& node, gl::render_device& device, float t, const mat4& parent_world, const mat4& view)
{
    mat4 local;
    mat4 world;
    multiply(world, parent_world, node.matrix(local, t));
    // By index: a child's draw may change the list under us.
    for (std::size_t i = 0; i < node.children().size(); ++i)
        if (node_base* child = node.children()[i])
            draw_tree(*child, device, t, world, view);
    if (node.shown) {
        mat4 modelview;
        device.load_modelview(multiply(modelview, view, world));
        node.draw(device);
    }
}

void draw_scene(std::span<node_base* const> roots, gl::render_device& device, float t, node_base& camera)
{
    mat4 camera_world;
    mat4 view;
    inverse(view, world_matrix(camera_world, camera, t));
    mat4 root_world;
    identity(root_world);
    for (node_base* root : roots)
        if (root && !root->parent())
            draw_tree(*root, device, t, root_world, view);
}

} // namespace quor::scene
