// X11 behind platform/native_window.h: the class hint goes to the GLX drawable directly, as GLUT
// has no call for it; the close request is caught in Xlib's conversion of events off the wire.
// X11 numbers no module and the frame offers no window handle.
#include "platform/native_window.h"

#include <GL/glx.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <utility>

// The hook into Xlib's event conversion; the header defines min and max.
#include <X11/Xlibint.h>
#undef min
#undef max

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

namespace {

// The window manager's request to close arrives as a client message that GLUT acts on as soon as
// it reads it. The hook sees each client message as Xlib converts it, before anything reads it,
// and keeps that one out of the queue.
struct close_interception {
    Bool (*convert)(Display*, XEvent*, xEvent*) = nullptr;
    Atom protocols = None;
    Atom delete_window = None;
    bool requested = false;
};
close_interception closing;

Bool convert_client_message(Display* display, XEvent* out, xEvent* wire)
{
    const Bool queued = closing.convert(display, out, wire);
    const XClientMessageEvent& message = out->xclient;
    if (queued && message.message_type == closing.protocols && message.format == 32 &&
        static_cast<Atom>(message.data.l[0]) == closing.delete_window) {
        closing.requested = true;
        return False;
    }
    return queued;
}

} // namespace

bool intercept_close_request()
{
    Display* display = glXGetCurrentDisplay();
    if (!display)
        return false;
    if (!closing.convert) {
        closing.protocols = XInternAtom(display, "WM_PROTOCOLS", False);
        closing.delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);
        closing.convert = XESetWireToEvent(display, ClientMessage, convert_client_message);
    }
    return true;
}

bool take_close_request() { return std::exchange(closing.requested, false); }

native_handles find_native_handles(const char*, const char*) { return {}; }

} // namespace quor::platform
