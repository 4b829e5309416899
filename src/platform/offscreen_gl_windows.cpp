// No offscreen context on Windows: the capture that needs one is built for Linux only. The
// object says so through failure() like any context that could not be made.
#include "platform/offscreen_gl.h"

namespace quor::platform {

struct offscreen_gl::egl_state {};

offscreen_gl::offscreen_gl(int, int, target, int) {}
offscreen_gl::~offscreen_gl() = default;

const char* offscreen_gl::failure() const { return "no offscreen OpenGL context on this system"; }
bool offscreen_gl::uses_framebuffer_object() const { return false; }
void offscreen_gl::resolve() const {}

} // namespace quor::platform
