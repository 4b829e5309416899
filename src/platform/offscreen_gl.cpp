// EGL on Mesa without a display server: the surfaceless platform (or the first EGL device),
// a desktop GL context, and a pbuffer or, failing that, a framebuffer object to draw into;
// multisampling draws into a second framebuffer object that is resolved into the first.
#include "platform/offscreen_gl.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstring>

#include "platform/framebuffer_api.h"

namespace quor::platform {

struct offscreen_gl::egl_state {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface surface = EGL_NO_SURFACE;
    GLuint framebuffer = 0;
    GLuint renderbuffers[2] = {0, 0};
    GLuint multisampled = 0; // drawn into when multisampling; resolved into `framebuffer`
    GLuint multisampled_buffers[2] = {0, 0};
    int width = 0;
    int height = 0;
    const char* failure = "not created";
    // What was current before, to be made current again at the end.
    EGLDisplay previous_display = EGL_NO_DISPLAY;
    EGLSurface previous_draw = EGL_NO_SURFACE;
    EGLSurface previous_read = EGL_NO_SURFACE;
    EGLContext previous_context = EGL_NO_CONTEXT;
};

namespace {

bool has_extension(const char* list, const char* name)
{
    if (!list)
        return false;
    const std::size_t n = std::strlen(name);
    for (const char* p = std::strstr(list, name); p; p = std::strstr(p + n, name))
        if ((p == list || p[-1] == ' ') && (p[n] == ' ' || p[n] == '\0'))
            return true;
    return false;
}

EGLDisplay open_display()
{
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    auto get_platform_display =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!get_platform_display)
        return EGL_NO_DISPLAY;
    if (has_extension(client, "EGL_MESA_platform_surfaceless")) {
        EGLDisplay d = get_platform_display(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (d != EGL_NO_DISPLAY && eglInitialize(d, nullptr, nullptr))
            return d;
    }
    auto query_devices = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
    if (has_extension(client, "EGL_EXT_platform_device") && query_devices) {
        EGLDeviceEXT device;
        EGLint count = 0;
        if (query_devices(1, &device, &count) && count > 0) {
            EGLDisplay d = get_platform_display(EGL_PLATFORM_DEVICE_EXT, device, nullptr);
            if (d != EGL_NO_DISPLAY && eglInitialize(d, nullptr, nullptr))
                return d;
        }
    }
    return EGL_NO_DISPLAY;
}

const framebuffer_api& framebuffers()
{
    static const framebuffer_api fbo = load_framebuffer_api(eglGetProcAddress);
    return fbo;
}

// A colour and a depth renderbuffer of `samples` samples (0: single-sampled) behind `framebuffer`.
bool attach_buffers(const framebuffer_api& fbo, GLuint framebuffer, GLuint buffers[2], int width, int height, int samples)
{
    fbo.BindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    fbo.GenRenderbuffers(2, buffers);
    fbo.BindRenderbuffer(GL_RENDERBUFFER, buffers[0]);
    fbo.RenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_RGBA8, width, height);
    fbo.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, buffers[0]);
    fbo.BindRenderbuffer(GL_RENDERBUFFER, buffers[1]);
    fbo.RenderbufferStorageMultisample(GL_RENDERBUFFER, samples, GL_DEPTH_COMPONENT24, width, height);
    fbo.FramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, buffers[1]);
    if (fbo.CheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        return false;
    // Without a default framebuffer the draw and read buffers must name the attachment.
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    return true;
}

// Null when the context is current and ready, else why it is not.
const char* create(offscreen_gl::egl_state& s, int width, int height, offscreen_gl::target kind, int samples)
{
    s.width = width;
    s.height = height;
    // A multisampled target is resolved into a framebuffer object of the same kind.
    if (samples > 1)
        kind = offscreen_gl::target::framebuffer_object;
    s.previous_display = eglGetCurrentDisplay();
    s.previous_draw = eglGetCurrentSurface(EGL_DRAW);
    s.previous_read = eglGetCurrentSurface(EGL_READ);
    s.previous_context = eglGetCurrentContext();
    s.display = open_display();
    if (s.display == EGL_NO_DISPLAY)
        return "no EGL display without a window system";
    if (!eglBindAPI(EGL_OPENGL_API))
        return "desktop OpenGL is not available through EGL";

    // Configurations match window surfaces unless told otherwise: ask for a pbuffer first,
    // then for any surface type (a framebuffer object is drawn into then).
    EGLint wanted[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8,
                       EGL_ALPHA_SIZE, 8, EGL_DEPTH_SIZE, 24, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (kind == offscreen_gl::target::framebuffer_object ||
        !eglChooseConfig(s.display, wanted, &config, 1, &count) || count == 0) {
        wanted[1] = EGL_DONT_CARE;
        if (!eglChooseConfig(s.display, wanted, &config, 1, &count) || count == 0)
            return "no RGBA8 configuration with a 24-bit depth buffer";
    }

    // The default profile is the compatibility one that fixed-function drawing needs.
    s.context = eglCreateContext(s.display, config, EGL_NO_CONTEXT, nullptr);
    if (s.context == EGL_NO_CONTEXT)
        return "context creation refused";

    EGLint surface_types = 0;
    eglGetConfigAttrib(s.display, config, EGL_SURFACE_TYPE, &surface_types);
    if (kind == offscreen_gl::target::automatic && (surface_types & EGL_PBUFFER_BIT)) {
        const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
        s.surface = eglCreatePbufferSurface(s.display, config, size);
    }
    if (!eglMakeCurrent(s.display, s.surface, s.surface, s.context))
        return "cannot make the context current";

    if (s.surface == EGL_NO_SURFACE) {
        const framebuffer_api& fbo = framebuffers();
        if (!fbo.complete())
            return "neither a pbuffer nor framebuffer objects are available";
        fbo.GenFramebuffers(1, &s.framebuffer);
        if (!attach_buffers(fbo, s.framebuffer, s.renderbuffers, width, height, 0))
            return "the framebuffer object is incomplete";
        if (samples > 1) {
            GLint most = 0;
            glGetIntegerv(GL_MAX_SAMPLES, &most);
            if (samples > most)
                return "the renderer cannot take that many samples a pixel";
            fbo.GenFramebuffers(1, &s.multisampled);
            if (!attach_buffers(fbo, s.multisampled, s.multisampled_buffers, width, height, samples))
                return "the multisampled framebuffer object is incomplete";
        }
    }
    glViewport(0, 0, width, height);
    return nullptr;
}

void destroy(offscreen_gl::egl_state& s)
{
    if (s.display == EGL_NO_DISPLAY)
        return;
    if (s.framebuffer && eglGetCurrentContext() == s.context) {
        const framebuffer_api& fbo = framebuffers();
        if (fbo.complete()) {
            fbo.DeleteFramebuffers(1, &s.framebuffer);
            fbo.DeleteRenderbuffers(2, s.renderbuffers);
            if (s.multisampled) {
                fbo.DeleteFramebuffers(1, &s.multisampled);
                fbo.DeleteRenderbuffers(2, s.multisampled_buffers);
            }
        }
    }
    if (eglGetCurrentContext() == s.context) {
        if (s.previous_context != EGL_NO_CONTEXT)
            eglMakeCurrent(s.previous_display, s.previous_draw, s.previous_read, s.previous_context);
        else
            eglMakeCurrent(s.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    if (s.surface != EGL_NO_SURFACE)
        eglDestroySurface(s.display, s.surface);
    if (s.context != EGL_NO_CONTEXT)
        eglDestroyContext(s.display, s.context);
    // The display stays initialised: another context of this process may still be using it.
}

} // namespace

offscreen_gl::offscreen_gl(int width, int height, target kind, int samples) : egl_(std::make_unique<egl_state>())
{
    egl_->failure = create(*egl_, width, height, kind, samples);
}

offscreen_gl::~offscreen_gl() { destroy(*egl_); }

const char* offscreen_gl::failure() const { return egl_->failure; }

bool offscreen_gl::uses_framebuffer_object() const { return egl_->framebuffer != 0; }

void offscreen_gl::resolve() const
{
    const egl_state& s = *egl_;
    if (!s.multisampled || s.failure)
        return;
    const framebuffer_api& fbo = framebuffers();
    fbo.BindFramebuffer(GL_READ_FRAMEBUFFER, s.multisampled);
    fbo.BindFramebuffer(GL_DRAW_FRAMEBUFFER, s.framebuffer);
    fbo.BlitFramebuffer(0, 0, s.width, s.height, 0, 0, s.width, s.height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    fbo.BindFramebuffer(GL_READ_FRAMEBUFFER, s.framebuffer);
    fbo.BindFramebuffer(GL_DRAW_FRAMEBUFFER, s.multisampled);
}

} // namespace quor::platform
