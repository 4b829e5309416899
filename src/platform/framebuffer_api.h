// Framebuffer-object entry points (OpenGL 3.0) for the platform's own context code: the window's
// resolve of a multisampled frame and the offscreen context's render targets. One list, fetched
// through the lookup of the context system in use; the engine's seam stays GL 1.x only.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

namespace quor::platform {

struct framebuffer_api {
    PFNGLGENFRAMEBUFFERSPROC GenFramebuffers;
    PFNGLBINDFRAMEBUFFERPROC BindFramebuffer;
    PFNGLDELETEFRAMEBUFFERSPROC DeleteFramebuffers;
    PFNGLGENRENDERBUFFERSPROC GenRenderbuffers;
    PFNGLBINDRENDERBUFFERPROC BindRenderbuffer;
    PFNGLDELETERENDERBUFFERSPROC DeleteRenderbuffers;
    PFNGLRENDERBUFFERSTORAGEPROC RenderbufferStorage;
    PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC RenderbufferStorageMultisample;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC FramebufferRenderbuffer;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC CheckFramebufferStatus;
    PFNGLBLITFRAMEBUFFERPROC BlitFramebuffer;

    // Every entry point was found.
    bool complete() const;
};

// The GLX, EGL or GLUT lookup of an entry point by name.
using entry_lookup = void (*(*)(const char*))();

// The entry points as `lookup` finds them. Their addresses do not depend on the context, so a
// caller fetches them once.
framebuffer_api load_framebuffer_api(entry_lookup lookup);

} // namespace quor::platform
