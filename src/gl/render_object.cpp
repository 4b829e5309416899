// Immediate-mode drawing of a render object.
#include "gl/render_object.h"

#include <cstddef>

#include "gl/api.h"
#include "gl/immediate.h"

namespace quor::gl {

void render_object<vtx_nt0t1>::draw(render_device& device)
{
    state_ptr->apply(device);
    const auto* vertices = static_cast<const vtx_nt0t1*>(vertex_buffer_ptr->data());
    const unsigned* indices = index_buffer_ptr->data();
    const unsigned n = index_buffer_ptr->count();
    // Frames of one buffer share its index list: the frame only moves the base.
    const vtx_nt0t1* base =
        vertices + static_cast<std::ptrdiff_t>(vertex_buffer_ptr->count()) * static_cast<std::ptrdiff_t>(frame_);
    begin_primitive(GL_TRIANGLES);
    for (unsigned i = 0; i < n; ++i)
        submit_vertex(base[indices[i]]);
    end_primitive();
}

} // namespace quor::gl
