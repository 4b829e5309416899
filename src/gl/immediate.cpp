// Immediate-mode submission through the seam.
#include "gl/immediate.h"

#include "gl/api.h"

namespace quor::gl {

void begin_primitive(int mode) { api.Begin(static_cast<GLenum>(mode)); }
void end_primitive() { api.End(); }

void submit_vertex(const vtx_nt0t1& v)
{
    api.ActiveTexture(GL_TEXTURE0);
    api.MultiTexCoord2f(GL_TEXTURE0, v.t0[0], v.t0[1]);
    api.ActiveTexture(GL_TEXTURE1);
    api.MultiTexCoord2f(GL_TEXTURE1, v.t1[0], v.t1[1]);
    api.Vertex3f(v.position[0], v.position[1], v.position[2]);
}

void send_color(const color4ub& c) { api.Color4ub(c.r, c.g, c.b, c.a); }

unsigned texture_unit(unsigned n) { return GL_TEXTURE0 + (n <= 7 ? n : 0); }

} // namespace quor::gl
