// GLUT behind the window interface: window creation, input and display callbacks, the loop; the
// same file on every system with a GLUT. What the window system adds beyond GLUT is in
// native_window; a multisampled frame is resolved for reading through framebuffer objects.
#include "platform/window.h"

#include <GL/freeglut.h>
#include <cstdlib>
#include <string_view>

#include "platform/framebuffer_api.h"
#include "platform/native_window.h"

namespace quor::platform {

static_assert(special_left == GLUT_KEY_LEFT && special_right == GLUT_KEY_RIGHT && special_home == GLUT_KEY_HOME);
static_assert(button_left == GLUT_LEFT_BUTTON && button_middle == GLUT_MIDDLE_BUTTON && button_right == GLUT_RIGHT_BUTTON &&
              button_down == GLUT_DOWN && button_up == GLUT_UP);

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

// Runs instead of the close: see hold_close.
void (*close_handler)() = nullptr;

void on_display()
{
    if (close_handler && take_close_request())
        close_handler();
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

} // namespace

bool start_window_system(int& argc, char** argv, std::string& why)
{
    // GLUT's own options, as its initialisation reads them: two take a value.
    const auto takes_value = [](std::string_view a) { return a == "-display" || a == "-geometry"; };
    const auto is_flag = [](std::string_view a) {
        return a == "-direct" || a == "-indirect" || a == "-iconic" || a == "-gldebug" || a == "-sync";
    };
    const char* name = nullptr;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string_view(argv[i]) == "-display")
            name = argv[i + 1];
    if (prepare_window_system(name, why)) {
        glutInit(&argc, argv);
        return true;
    }
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (takes_value(argv[i]))
            ++i;
        else if (!is_flag(argv[i]))
            argv[kept++] = argv[i];
    }
    argv[kept] = nullptr;
    argc = kept;
    return false;
}

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
        set_window_class(request.class_name);
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
    if (handler && !close_handler && intercept_close_request())
        close_handler = handler;
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
