// The window in a web page: the page's canvas with a WebGL 1 context, keys and the pointer through
// emscripten's html5 events, and the main loop on the browser's animation frames. The page
// (web/player.js, Module.quor.screen and Module.quor.show) sizes the canvas, holds the frames back
// until the viewer's click starts the show, and shows the end when the loop stops.
#include "platform/window.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdlib>
#include <cstring>
#include <string_view>

EM_JS(void, quor_screen_window, (int width, int height), { Module.quor.screen.window(width, height); });
EM_JS(void, quor_screen_fill, (), { Module.quor.screen.fill(); });
EM_JS(void, quor_screen_toggle, (), { Module.quor.screen.toggle(); });
EM_JS(int, quor_show_running, (), { return Module.quor.show.running() ? 1 : 0; });
EM_JS(void, quor_show_ready, (), { Module.quor.show.ready(); });
EM_JS(void, quor_show_ended, (), { Module.quor.show.ended(); });

namespace quor::platform {

namespace {

constexpr const char* canvas = "#canvas";

struct handlers {
    void (*key)(unsigned char) = nullptr;
    void (*special)(int) = nullptr;
    void (*button)(int, int) = nullptr;
    void (*motion)(int, int) = nullptr;
    bool (*display)() = nullptr;
    void (*reshape)(int, int) = nullptr;
};

handlers current;
int drawn_width = 0;
int drawn_height = 0;

// Keys named by the browser that GLUT delivers as characters.
struct named_key {
    const char* name;
    int code;
};
constexpr named_key character_keys[] = {{"Escape", 27}, {"Enter", 13}, {"Tab", 9}, {"Backspace", 8}, {"Delete", 127}};
// GLUT's numbers of the special keys. F12 stays with the browser (its developer tools).
constexpr named_key special_keys[] = {
    {"F1", 1},         {"F2", 2},          {"F3", 3},          {"F4", 4},         {"F5", 5},        {"F6", 6},
    {"F7", 7},         {"F8", 8},          {"F9", 9},          {"F10", 10},       {"F11", 11},      {"ArrowLeft", 100},
    {"ArrowUp", 101},  {"ArrowRight", 102}, {"ArrowDown", 103}, {"PageUp", 104},   {"PageDown", 105}, {"Home", 106},
    {"End", 107},      {"Insert", 108}};

EM_BOOL on_key_down(int, const EmscriptenKeyboardEvent* event, void*)
{
    // Before the show starts the input is not the program's (a window shows nothing yet either);
    // shortcuts with Ctrl, Alt or Meta remain the browser's.
    if (!quor_show_running() || event->ctrlKey || event->altKey || event->metaKey)
        return EM_FALSE;
    const std::string_view key = event->key;
    if (key.size() == 1 && static_cast<unsigned char>(key[0]) < 128) {
        current.key(static_cast<unsigned char>(key[0]));
        return EM_TRUE;
    }
    for (const named_key& k : character_keys)
        if (key == k.name) {
            current.key(static_cast<unsigned char>(k.code));
            return EM_TRUE;
        }
    for (const named_key& k : special_keys)
        if (key == k.name) {
            current.special(k.code);
            return EM_TRUE;
        }
    return EM_FALSE;
}

// Pointer positions in drawing-buffer pixels, as a window system reports them.
void to_pixels(const EmscriptenMouseEvent* event, int& x, int& y)
{
    double css_width = 1, css_height = 1;
    int width = 1, height = 1;
    emscripten_get_element_css_size(canvas, &css_width, &css_height);
    emscripten_get_canvas_element_size(canvas, &width, &height);
    x = static_cast<int>(event->targetX * (css_width > 0 ? width / css_width : 1.0));
    y = static_cast<int>(event->targetY * (css_height > 0 ? height / css_height : 1.0));
}

EM_BOOL on_mouse(int type, const EmscriptenMouseEvent* event, void*)
{
    if (!quor_show_running())
        return EM_FALSE;
    if (type == EMSCRIPTEN_EVENT_MOUSEMOVE) {
        int x, y;
        to_pixels(event, x, y);
        current.motion(x, y);
    } else if (event->button <= 2) {
        current.button(event->button, type == EMSCRIPTEN_EVENT_MOUSEDOWN ? button_down : button_up);
    }
    return EM_FALSE;
}

void tick()
{
    if (!quor_show_running())
        return;
    int width = 0, height = 0;
    emscripten_get_canvas_element_size(canvas, &width, &height);
    if (width != drawn_width || height != drawn_height) {
        drawn_width = width;
        drawn_height = height;
        current.reshape(width, height);
    }
    // The browser shows the drawing buffer when the callback returns: there is no swap to make.
    if (!current.display()) {
        emscripten_cancel_main_loop();
        quor_show_ended();
        std::exit(0);
    }
}

} // namespace

// The page is the display: there is always one.
bool start_window_system(int&, char**, std::string&)
{
    return true;
}

bool open_window(const window_request& request)
{
    quor_screen_window(request.width, request.height);
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    // The browser chooses the number of samples; one cannot ask for a count.
    attributes.antialias = request.samples > 0 ? EM_TRUE : EM_FALSE;
    attributes.majorVersion = 1;
    attributes.minorVersion = 0;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(canvas, &attributes);
    if (context <= 0)
        return request.samples == 0;
    emscripten_webgl_make_context_current(context);
    EmscriptenWebGLContextAttributes got;
    emscripten_webgl_get_context_attributes(context, &got);
    return request.samples == 0 || got.antialias;
}

// WebGL resolves a multisampled drawing buffer for every read by itself.
void begin_frame_read(int, int) {}
void end_frame_read() {}

void listen_to_input(void (*key)(unsigned char), void (*special)(int), void (*button)(int, int),
                     void (*motion)(int, int))
{
    current.key = key;
    current.special = special;
    current.button = button;
    current.motion = motion;
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_TRUE, on_key_down);
    emscripten_set_mousedown_callback(canvas, nullptr, EM_TRUE, on_mouse);
    emscripten_set_mouseup_callback(canvas, nullptr, EM_TRUE, on_mouse);
    emscripten_set_mousemove_callback(canvas, nullptr, EM_TRUE, on_mouse);
}

void go_full_screen() { quor_screen_fill(); }

void toggle_full_screen() { quor_screen_toggle(); }

void run_main_loop(bool (*display)(), void (*reshape)(int width, int height), void (*)())
{
    current.display = display;
    current.reshape = reshape;
    quor_show_ready();
    // A page is not closed the way a window is: leaving it ends everything without a word. With
    // an infinite loop simulated, the call unwinds the stack instead of returning.
    emscripten_set_main_loop(tick, 0, EM_TRUE);
    __builtin_unreachable();
}

} // namespace quor::platform
