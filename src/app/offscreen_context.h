// An OpenGL context without a window system, for tests and headless capture: the platform's
// offscreen context (RGBA8 + 24-bit depth target of a fixed size) with the OpenGL seam filled.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/offscreen_gl.h"

namespace quor::system {

class offscreen_context {
public:
    using target = platform::offscreen_gl::target;

    // Creates the context, makes it current and fills the OpenGL seam (quor::gl::api). On
    // failure one line goes to std::cerr and `ok()` is false; the seam is then left as it was.
    // `samples` above 1 draws multisampled (see `resolve`).
    offscreen_context(int width, int height, target kind = target::automatic, int samples = 1);
    // Releases the context and makes current again whatever context was current before; with
    // none, the seam still points at GL and must not be called afterwards.
    ~offscreen_context();
    offscreen_context(const offscreen_context&) = delete;
    offscreen_context& operator=(const offscreen_context&) = delete;

    bool ok() const { return ok_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // True when drawing goes to a framebuffer object rather than a pbuffer.
    bool uses_framebuffer_object() const { return gl_.uses_framebuffer_object(); }

    // Makes the picture drawn so far the one that pixel reads (`read_pixels`, or ReadPixels
    // through the seam) return; a multisampled picture is resolved here.
    void resolve() const { gl_.resolve(); }
    // Resolves, waits for drawing to finish and returns width * height RGBA pixels, 4 bytes each, rows
    // bottom-up as OpenGL numbers them: pixel (x, y) starts at byte 4 * (y * width + x), y = 0
    // being the lowest row. Empty when the context is not ok.
    std::vector<std::uint8_t> read_pixels() const;

private:
    platform::offscreen_gl gl_;
    bool ok_;
    int width_;
    int height_;
};

} // namespace quor::system
