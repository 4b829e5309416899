// An OpenGL context without a window system: desktop GL (compatibility profile) on Mesa through
// EGL, drawing into an RGBA8 + 24-bit depth target of a fixed size, multisampled on request.
#pragma once

#include <memory>

namespace quor::platform {

class offscreen_gl {
public:
    enum class target {
        automatic,         // a pbuffer surface when the configuration offers one, else a framebuffer object
        framebuffer_object // always a framebuffer object in a surfaceless context
    };

    // Creates the context and makes it current, with the viewport over the whole target. With
    // `samples` above 1 drawing goes to a multisampled framebuffer object, whose pictures
    // `resolve` copies to the single-sampled target that reads come from.
    offscreen_gl(int width, int height, target kind, int samples = 1);
    // Releases the context and makes current again whatever context was current before.
    ~offscreen_gl();
    offscreen_gl(const offscreen_gl&) = delete;
    offscreen_gl& operator=(const offscreen_gl&) = delete;

    // Null when the context is current and ready; otherwise what failed, in a few words.
    const char* failure() const;
    // True when drawing goes to a framebuffer object rather than a pbuffer.
    bool uses_framebuffer_object() const;
    // Makes the picture drawn so far the one that pixel reads return: a multisampled target is
    // resolved (each pixel the mean of its samples) and drawing goes on into it. Nothing to do
    // with one sample a pixel.
    void resolve() const;

    struct egl_state; // EGL handles, defined with the platform code

private:
    std::unique_ptr<egl_state> egl_;
};

} // namespace quor::platform
