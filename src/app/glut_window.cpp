// The GLUT window and main loop: the only file that talks to the window system.
#include <GL/freeglut.h>

#include <cstdlib>
#include <iostream>

#include "app/device_manager.h"
#include "app/system.h"
#include "gl/api.h"

namespace quor::system {

namespace {

void on_display()
{
    if (!display())
        std::exit(0);
    glutSwapBuffers();
}

void on_reshape(int width, int height) { reshape(width, height); }
void on_key(unsigned char key, int, int) { device_manager().on_key(key); }
void on_button(int button, int button_state, int, int) { device_manager().on_button(button, button_state); }
void on_motion(int x, int y) { device_manager().on_motion(x, y); }

} // namespace

int run(int argc, char** argv, application_factory factory)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(640, 480);
    glutInitWindowPosition(100, 100);
    glutCreateWindow("render device test");
    if (!gl::load_system_api()) {
        // Without these entry points nothing can be drawn; carrying on would crash on a null call.
        std::cerr << "Error - OpenGL 1.3 entry points not available: " << glGetString(GL_RENDERER) << std::endl;
        return 1;
    }

    creation_params params;
    params.argc = argc;
    params.argv = argv;
    params.width = 640;
    params.height = 480;
    create_engine(params);

    glutKeyboardFunc(on_key);
    glutMouseFunc(on_button);
    glutMotionFunc(on_motion);
    glutPassiveMotionFunc(on_motion);

    create_application(factory, &params);

    glutSetCursor(GLUT_CURSOR_NONE);
    glutFullScreen();
    glutReshapeFunc(on_reshape);
    glutDisplayFunc(on_display);
    glutIdleFunc(glutPostRedisplay);
    glutMainLoop();
    return 0;
}

} // namespace quor::system
