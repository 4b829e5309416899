// The offscreen context joined to the seam: the entry points are loaded once the platform's
// context is current, and pixels are read back through the seam like any other call.
#include "app/offscreen_context.h"

#include "app/report.h"
#include "gl/api.h"

namespace quor::system {

namespace {

bool fail(const char* why)
{
    report("offscreen OpenGL context", why);
    return false;
}

} // namespace

offscreen_context::offscreen_context(int width, int height, target kind, int samples)
    : gl_(width, height, kind, samples), width_(width), height_(height)
{
    if (gl_.failure())
        ok_ = fail(gl_.failure());
    else if (!gl::load_system_api())
        ok_ = fail("OpenGL entry points beyond 1.1 are missing");
    else
        ok_ = true;
}

offscreen_context::~offscreen_context() = default;

std::vector<std::uint8_t> offscreen_context::read_pixels() const
{
    if (!ok_)
        return {};
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width_) * height_ * 4);
    gl_.resolve();
    gl::api.Finish();
    gl::api.PixelStorei(GL_PACK_ALIGNMENT, 1);
    gl::api.ReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

} // namespace quor::system
