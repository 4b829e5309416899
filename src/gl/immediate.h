// Immediate-mode submission and the texture-unit enumerant: the GL calls behind the render
// device's begin, end, submit and color. The drawing files of this layer issue them here, handed
// the device only to pass on, so that gl/ needs nothing of app/, where the device lives and
// forwards to these.
#pragma once

#include "gl/color.h"
#include "gl/vertex.h"

namespace quor::gl {

// glBegin(mode) and glEnd().
void begin_primitive(int mode);
void end_primitive();
// Texture coordinates for units 0 and 1, then the position; the normal is not sent and unit 1
// is left active.
void submit_vertex(const vtx_nt0t1& vertex);
void send_color(const color4ub& c);

// GL_TEXTURE0 + n for n in 1..7, GL_TEXTURE0 for 0 and for anything above 7.
unsigned texture_unit(unsigned n);

} // namespace quor::gl
