// Links between scene nodes, kept consistent on both sides.
#include "scene/node.h"

#include <algorithm>

namespace quor::scene {

node_base::~node_base()
{
    unlink(*this);
    for (node_base* child : children_)
        if (child)
            child->parent_ = nullptr;
}

bool link(node_base& parent, node_base& child)
{
    for (const node_base* n = &parent; n; n = n->parent_)
        if (n == &child)
            return false;
    unlink(child);
    child.parent_ = &parent;
    parent.children_.push_back(&child);
    return true;
}

void unlink(node_base& child)
{
    if (!child.parent_)
        return;
    auto& siblings = child.parent_->children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), &child), siblings.end());
    child.parent_ = nullptr;
}

} // namespace quor::scene
