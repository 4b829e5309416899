// Drawing the scene tree from a camera: the view is the inverse of the camera's world matrix,
// and every node is drawn with view x world loaded as model-view, children before parents.
#pragma once

#include <span>

#include "anim/matrix.h"
#include "scene/node.h"

namespace quor::scene {

// The node's local matrix composed with those of all its ancestors.
mat4& world_matrix(mat4& out, node_base& node, float t);

// Draws the children (non-null ones, in index order) with this node's world matrix, then the
// node itself if it is shown.
void draw_tree(node_base& node, gl::render_device& device, float t, const mat4& parent_world, const mat4& view);

// Draws each root that is not null and has no parent. A camera matrix that cannot be inverted
// gives the identity view. The camera itself is never drawn.
void draw_scene(std::span<node_base* const> roots, gl::render_device& device, float t, node_base& camera);

} // namespace quor::scene
