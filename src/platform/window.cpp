// GLUT behind the window interface: window creation, input and display callbacks, the loop. The
// class hint goes to X11 directly, as GLUT has no call for it; a multisampled frame is resolved
// for reading through framebuffer objects.
#include "platform/window.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xutil.h>

#include <cstdlib>

#include "platform/framebuffer_api.h"

// The hook into Xlib's event conversion for the close button; the header defines min and max.
#include <X11/Xlibint.h>
#undef min
#undef max

namespace quor::platform {

static_assert(special_left == GLUT_KEY_LEFT && special_right == GLUT_KEY_RIGHT && special_home == GLUT_KEY_HOME);
static_assert(button_left == GLUT_LEFT_BUTTON && button_down == GLUT_DOWN && button_up == GLUT_UP);

namespace {

struct handlers {
    void (*key)(unsigned char) = nullptr;
    void (*special)(int) = nullptr;
    void (*button)(int, int) = nullptr;
    void (*motion)(int, int) = nullptr;
    bool (*display)() = nullptr;
    void (*close)() = nullptr;
};

handlers current;
bool full_screen = false;
bool multisampled = false;

// The resolved copy of a multisampled back buffer while a read is under way.
struct resolved_frame {
    GLuint framebuffer = 0;
    GLuint color = 0;
};
resolved_frame resolved;

// Needed only for the resolve.
const framebuffer_api& framebuffers()
{
    static const framebuffer_api fbo = load_framebuffer_api(glutGetProcAddress);
    return fbo;
}
input_filter filter;

void on_key(unsigned char key, int x, int y)
{
    if (!filter.key || !filter.key(key, true, x, y))
        current.key(key);
}
void on_key_up(unsigned char key, int x, int y) { filter.key(key, false, x, y); }
void on_special(int key, int x, int y)
{
    if (!filter.special || !filter.special(key, true, x, y))
        current.special(key);
}
void on_special_up(int key, int x, int y) { filter.special(key, false, x, y); }
void on_button(int button, int button_state, int x, int y)
{
    if (!filter.button || !filter.button(button, button_state, x, y))
        current.button(button, button_state);
}
void on_motion(int x, int y)
{
    if (!filter.motion || !filter.motion(x, y))
        current.motion(x, y);
}
void on_wheel(int, int direction, int x, int y) { filter.wheel(direction, x, y); }
void on_close() { current.close(); }

// The close button, held: the window manager's request to close arrives as a client message that
// GLUT would act on as soon as it reads it. The hook sees each client message as Xlib converts it
// off the wire, before anything reads it, and keeps that one out of the queue.
struct held_close {
    void (*handler)() = nullptr;
    Bool (*convert)(Display*, XEvent*, xEvent*) = nullptr;
    Atom protocols = None;
    Atom delete_window = None;
    bool requested = false;
};
held_close close_request;

Bool convert_client_message(Display* display, XEvent* out, xEvent* wire)
{
    const Bool queued = close_request.convert(display, out, wire);
    const XClientMessageEvent& message = out->xclient;
    if (queued && message.message_type == close_request.protocols && message.format == 32 &&
        static_cast<Atom>(message.data.l[0]) == close_request.delete_window) {
        close_request.requested = true;
        return False;
    }
    return queued;
}

void on_display()
{
    if (close_request.requested) {
        close_request.requested = false;
        close_request.handler();
    }
    if (!current.display())
        std::exit(0);
    glutSwapBuffers();
}

bool offers_samples(int samples)
{
    int count = 0;
    int* offered = glutGetModeValues(GLUT_MULTISAMPLE, &count);
    bool found = false;
    for (int i = 0; i < count; ++i)
        found = found || offered[i] == samples;
    std::free(offered);
    return found;
}

// The window GLUT just made current is the GLX drawable of its context.
void set_class_hint(const char* class_name)
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

} // namespace

void start_window_system(int& argc, char** argv) { glutInit(&argc, argv); }

bool open_window(const window_request& request)
{
    const bool multisample = request.samples > 0 && offers_samples(request.samples);
    if (multisample)
        glutSetOption(GLUT_MULTISAMPLE, request.samples);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH | (multisample ? GLUT_MULTISAMPLE : 0));
    glutInitWindowSize(request.width, request.height);
    glutInitWindowPosition(request.x, request.y);
    glutCreateWindow(request.title);
    if (request.class_name)
        set_class_hint(request.class_name);
    multisampled = multisample;
    return multisample || request.samples == 0;
}

void begin_frame_read(int width, int height)
{
    if (!multisampled)
        return;
    const framebuffer_api& fbo = framebuffers();
    if (!fbo.complete())
        return;
    fbo.GenFramebuffers(1, &resolved.framebuffer);
    fbo.GenRenderbuffers(1, &resolved.color);
    fbo.BindRenderbuffer(GL_RENDERBUFFER, resolved.color);
    fbo.RenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    fbo.BindRenderbuffer(GL_RENDERBUFFER, 0);
    fbo.BindFramebuffer(GL_DRAW_FRAMEBUFFER, resolved.framebuffer);
    fbo.FramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, resolved.color);
    fbo.BlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    fbo.BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    fbo.BindFramebuffer(GL_READ_FRAMEBUFFER, resolved.framebuffer);
}

void end_frame_read()
{
    if (!resolved.framebuffer)
        return;
    const framebuffer_api& fbo = framebuffers();
    fbo.BindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    fbo.DeleteFramebuffers(1, &resolved.framebuffer);
    fbo.DeleteRenderbuffers(1, &resolved.color);
    resolved = {};
}

void listen_to_input(void (*key)(unsigned char), void (*special)(int), void (*button)(int, int),
                     void (*motion)(int, int))
{
    current.key = key;
    current.special = special;
    current.button = button;
    current.motion = motion;
    glutKeyboardFunc(on_key);
    glutSpecialFunc(on_special);
    glutMouseFunc(on_button);
    glutMotionFunc(on_motion);
    glutPassiveMotionFunc(on_motion);
}

void filter_input(const input_filter& f)
{
    filter = f;
    glutKeyboardUpFunc(on_key_up);
    glutSpecialUpFunc(on_special_up);
    glutMouseWheelFunc(on_wheel);
}

int held_modifiers()
{
    const int glut = glutGetModifiers();
    return ((glut & GLUT_ACTIVE_SHIFT) ? modifier_shift : 0) | ((glut & GLUT_ACTIVE_CTRL) ? modifier_ctrl : 0);
}

void go_full_screen()
{
    glutSetCursor(GLUT_CURSOR_NONE);
    glutFullScreen();
    full_screen = true;
}

void toggle_full_screen()
{
    if (full_screen) {
        glutLeaveFullScreen();
        glutSetCursor(GLUT_CURSOR_INHERIT);
        full_screen = false;
    } else {
        go_full_screen();
    }
}

void hold_close(void (*handler)())
{
    Display* display = glXGetCurrentDisplay();
    if (!display || !handler || close_request.handler)
        return;
    close_request.handler = handler;
    close_request.protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    close_request.delete_window = XInternAtom(display, "WM_DELETE_WINDOW", False);
    close_request.convert = XESetWireToEvent(display, ClientMessage, convert_client_message);
}

void run_main_loop(bool (*display)(), void (*reshape)(int width, int height), void (*close)())
{
    current.display = display;
    current.close = close;
    glutReshapeFunc(reshape);
    glutDisplayFunc(on_display);
    glutIdleFunc(glutPostRedisplay);
    // The loop returns once the window is closed, after `on_close` has run with the context current.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    glutCloseFunc(on_close);
    glutMainLoop();
    std::exit(0);
}

} // namespace quor::platform
