// Render objects: one triangle mesh (vertex and index buffer) with the state it is drawn with,
// at one animation frame of its vertex buffer. Drawn in immediate mode (gl/immediate.h), the
// calls the render device's own immediate mode makes.
#pragma once

#include <utility>

#include <boost/shared_ptr.hpp>

#include "gl/index_buffer.h"
#include "gl/state.h"
#include "gl/vertex.h"
#include "gl/vertex_buffer.h"

namespace quor::gl {

// The render device (app/render_device.h) is named here only to be handed on to the state.
class render_device;

class render_object_base {
public:
    virtual void draw(render_device& device) = 0;
    // No bound check: the frame must lie inside the vertex memory.
    void set_frame(int f) { frame_ = f; }
    int frame() const { return frame_; }

protected:
    render_object_base() = default;
    // Not virtual: render objects are destroyed through a shared pointer made from the concrete type.
    ~render_object_base() = default;

    int frame_ = 0;
};

template <class Vertex>
class render_object;

template <>
class render_object<vtx_nt0t1> final : public render_object_base {
public:
    render_object(boost::shared_ptr<vertex_buffer> vertices, boost::shared_ptr<index_buffer> indices,
                  boost::shared_ptr<state> render_state)
        : index_buffer_ptr(std::move(indices)), vertex_buffer_ptr(std::move(vertices)),
          state_ptr(std::move(render_state))
    {
    }

    // Applies the state, then one glBegin(GL_TRIANGLES)/glEnd() pair with, for each index i,
    // vertex number count() * frame + i of the vertex buffer.
    void draw(render_device& device) override;

    const boost::shared_ptr<index_buffer>& indices() const { return index_buffer_ptr; }
    const boost::shared_ptr<vertex_buffer>& vertices() const { return vertex_buffer_ptr; }
    const boost::shared_ptr<state>& render_state() const { return state_ptr; }

private:
    // Declaration order makes destruction release the state, then the vertices, then the indices.
    boost::shared_ptr<index_buffer> index_buffer_ptr;
    boost::shared_ptr<vertex_buffer> vertex_buffer_ptr;
    boost::shared_ptr<state> state_ptr;
};

} // namespace quor::gl
