// An OpenGL context without a window system: desktop GL (compatibility profile) on Mesa through
// EGL, drawing into an RGBA8 + 24-bit depth target of a fixed size.
#pragma once

#include <memory>

namespace quor::platform {

class offscreen_gl {
public:
    enum class target {
        automatic,         // a pbuffer surface when the configuration offers one, else a framebuffer object
        framebuffer_object // always a framebuffer object in a surfaceless context
    };

    // Creates the context and makes it current, with the viewport over the whole target.
    offscreen_gl(int width, int height, target kind);
    // Releases the context and makes current again whatever context was current before.
    ~offscreen_gl();
    offscreen_gl(const offscreen_gl&) = delete;
    offscreen_gl& operator=(const offscreen_gl&) = delete;

    // Null when the context is current and ready; otherwise what failed, in a few words.
    const char* failure() const;
    // True when drawing goes to a framebuffer object rather than a pbuffer.
    bool uses_framebuffer_object() const;

    struct egl_state; // EGL handles, defined with the platform code

private:
    std::unique_ptr<egl_state> egl_;
};

} // namespace quor::platform
