// Render states: what a render object applies to OpenGL before it sends its triangles.
#pragma once

namespace quor::gl {

class render_device;

class state {
public:
    // Sets every piece of GL state the following triangles rely on; nothing is restored later.
    virtual void apply(render_device& device) = 0;
    // Virtual so that a material can destroy the sub-states it owns through this type.
    virtual ~state() = default;
};

} // namespace quor::gl
