// Scene nodes: a tree of nodes, each giving its local matrix at a time and drawing its own
// content. Nodes live as members of their owner; links between them are not owned.
#pragma once

#include <vector>

#include "anim/matrix.h"

namespace quor::gl {
class render_device;
}

namespace quor::scene {

class node_base {
public:
    node_base() = default;
    node_base(const node_base&) = delete;
    node_base& operator=(const node_base&) = delete;

    // Draws the node's own content; the model-view matrix is already loaded.
    virtual void draw(gl::render_device& device) = 0;
    // Writes the local matrix at time t and returns out.
    virtual mat4& matrix(mat4& out, float t) = 0;

    node_base* parent() const { return parent_; }
    // In draw order. Changed only through link and unlink.
    const std::vector<node_base*>& children() const { return children_; }

    // A hidden node still passes its world matrix on to its children.
    bool shown = true;

protected:
    // Not virtual: nodes are destroyed as members of their owner. Leaves no link dangling.
    ~node_base();

private:
    friend bool link(node_base& parent, node_base& child);
    friend void unlink(node_base& child);

    node_base* parent_ = nullptr;
    std::vector<node_base*> children_;
};

// Makes `child` the last child of `parent`, taking it from its previous parent. Refused
// (false, nothing changed) when the link would close a loop: child == parent or child is an
// ancestor of parent.
bool link(node_base& parent, node_base& child);
// Detaches `child` from its parent, if any.
void unlink(node_base& child);

// A node moved by a transformation of type T (quor::lightwave::transformation or
// transformation_camera, or anything with `mat4& matrix(mat4&, double)`). Draws nothing.
template <class Scalar, class T>
class node : public node_base {
public:
    T transformation;

    void draw(gl::render_device&) override {}
    mat4& matrix(mat4& out, Scalar t) override { return transformation.matrix(out, static_cast<double>(t)); }
};

} // namespace quor::scene
