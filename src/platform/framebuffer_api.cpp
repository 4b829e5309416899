// The framebuffer-object entry points by name, through the caller's lookup.
#include "platform/framebuffer_api.h"

namespace quor::platform {

namespace {

template <class Entry>
Entry entry_point(entry_lookup lookup, const char* name)
{
    return reinterpret_cast<Entry>(lookup(name));
}

} // namespace

bool framebuffer_api::complete() const
{
    return GenFramebuffers && BindFramebuffer && DeleteFramebuffers && GenRenderbuffers && BindRenderbuffer &&
           DeleteRenderbuffers && RenderbufferStorage && RenderbufferStorageMultisample && FramebufferRenderbuffer &&
           CheckFramebufferStatus && BlitFramebuffer;
}

framebuffer_api load_framebuffer_api(entry_lookup lookup)
{
    return {
        entry_point<PFNGLGENFRAMEBUFFERSPROC>(lookup, "glGenFramebuffers"),
        entry_point<PFNGLBINDFRAMEBUFFERPROC>(lookup, "glBindFramebuffer"),
        entry_point<PFNGLDELETEFRAMEBUFFERSPROC>(lookup, "glDeleteFramebuffers"),
        entry_point<PFNGLGENRENDERBUFFERSPROC>(lookup, "glGenRenderbuffers"),
        entry_point<PFNGLBINDRENDERBUFFERPROC>(lookup, "glBindRenderbuffer"),
        entry_point<PFNGLDELETERENDERBUFFERSPROC>(lookup, "glDeleteRenderbuffers"),
        entry_point<PFNGLRENDERBUFFERSTORAGEPROC>(lookup, "glRenderbufferStorage"),
        entry_point<PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC>(lookup, "glRenderbufferStorageMultisample"),
        entry_point<PFNGLFRAMEBUFFERRENDERBUFFERPROC>(lookup, "glFramebufferRenderbuffer"),
        entry_point<PFNGLCHECKFRAMEBUFFERSTATUSPROC>(lookup, "glCheckFramebufferStatus"),
        entry_point<PFNGLBLITFRAMEBUFFERPROC>(lookup, "glBlitFramebuffer"),
    };
}

} // namespace quor::platform
