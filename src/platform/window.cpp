// GLUT behind the window interface: window creation, input and display callbacks, the loop.
#include "platform/window.h"

#include <GL/freeglut.h>

#include <cstdlib>

namespace quor::platform {

namespace {

struct handlers {
    void (*key)(unsigned char) = nullptr;
    void (*button)(int, int) = nullptr;
    void (*motion)(int, int) = nullptr;
    bool (*display)() = nullptr;
};

handlers current;

void on_key(unsigned char key, int, int) { current.key(key); }
void on_button(int button, int button_state, int, int) { current.button(button, button_state); }
void on_motion(int x, int y) { current.motion(x, y); }

void on_display()
{
    if (!current.display())
        std::exit(0);
    glutSwapBuffers();
}

} // namespace

void open_window(int& argc, char** argv, int width, int height, int x, int y, const char* title)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(width, height);
    glutInitWindowPosition(x, y);
    glutCreateWindow(title);
}

void listen_to_input(void (*key)(unsigned char), void (*button)(int, int), void (*motion)(int, int))
{
    current.key = key;
    current.button = button;
    current.motion = motion;
    glutKeyboardFunc(on_key);
    glutMouseFunc(on_button);
    glutMotionFunc(on_motion);
    glutPassiveMotionFunc(on_motion);
}

void go_full_screen()
{
    glutSetCursor(GLUT_CURSOR_NONE);
    glutFullScreen();
}

void run_main_loop(bool (*display)(), void (*reshape)(int width, int height))
{
    current.display = display;
    glutReshapeFunc(reshape);
    glutDisplayFunc(on_display);
    glutIdleFunc(glutPostRedisplay);
    glutMainLoop();
    // freeglut's loop returns only if told to; this system never tells it.
    std::exit(0);
}

} // namespace quor::platform
