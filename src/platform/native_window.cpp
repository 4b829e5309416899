// X11 behind platform/native_window.h: the class hint goes to the GLX drawable directly, as GLUT
// has no call for it. X11 numbers no module and the frame offers no window handle.
#include "platform/native_window.h"

#include <GL/glx.h>
#include <X11/Xutil.h>

#include <cstdlib>

namespace quor::platform {

bool prepare_window_system(const char* name, std::string& why)
{
    // The trial stays open for the process: a server left without clients resets, and may refuse
    // the connection GLUT makes right after.
    static Display* trial = nullptr;
    if (!trial)
        trial = XOpenDisplay(name);
    if (trial)
        return true;
    if (!name)
        name = std::getenv("DISPLAY");
    why = name && *name ? "cannot open display " + std::string(name) : "no display (DISPLAY is not set)";
    return false;
}

void set_window_class(const char* class_name)
{
    Display* display = glXGetCurrentDisplay();
    const GLXDrawable window = glXGetCurrentDrawable();
    if (!display || !window)
        return;
    XClassHint hint;
    hint.res_name = const_cast<char*>(class_name);
    hint.res_class = const_cast<char*>(class_name);
    XSetClassHint(display, window, &hint);
}

native_handles find_native_handles(const char*, const char*) { return {}; }

} // namespace quor::platform
