// GLUT behind the window interface: window creation, input and display callbacks, the loop. The
// class hint goes to X11 directly, as GLUT has no call for it.
#include "platform/window.h"

#include <GL/freeglut.h>
#include <GL/glx.h>
#include <X11/Xutil.h>

#include <cstdlib>

namespace quor::platform {

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

void on_key(unsigned char key, int, int) { current.key(key); }
void on_special(int key, int, int) { current.special(key); }
void on_button(int button, int button_state, int, int) { current.button(button, button_state); }
void on_motion(int x, int y) { current.motion(x, y); }
void on_close() { current.close(); }

void on_display()
{
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

bool open_window(const window_spec& spec)
{
    const bool multisample = spec.samples > 0 && offers_samples(spec.samples);
    if (multisample)
        glutSetOption(GLUT_MULTISAMPLE, spec.samples);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH | (multisample ? GLUT_MULTISAMPLE : 0));
    glutInitWindowSize(spec.width, spec.height);
    glutInitWindowPosition(spec.x, spec.y);
    glutCreateWindow(spec.title);
    if (spec.class_name)
        set_class_hint(spec.class_name);
    return multisample || spec.samples == 0;
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
