// The window, its OpenGL context and the main loop, through GLUT. Callers hand in plain
// function pointers, so nothing outside this folder sees the window system.
#pragma once

#include <string>

namespace quor::platform {

// Initialises GLUT, which takes the options it knows (-display, -geometry, ...) out of argc/argv.
// False when there is no display to open windows on: GLUT is then not started (it would end the
// process), its options are taken out all the same, and `why` names the display that failed.
bool start_window_system(int& argc, char** argv, std::string& why);

struct window_request {
    int width = 640;
    int height = 480;
    int x = 100;
    int y = 100;
    const char* title = "";
    const char* class_name = nullptr; // the name desktops group it by (X11's WM_CLASS); null: GLUT's own
    int samples = 0;                  // multisampling: samples a pixel, 0 for none
};

// Requests an RGBA, double-buffered, depth-buffered window (multisampled when asked and offered)
// and creates it; its OpenGL context is current on return. False when multisampling was asked
// for and the OpenGL offers no window with that many samples: the window then has none.
bool open_window(const window_request& request);

// Keyboard (key), special keys (function and arrow keys, GLUT's numbers), mouse button (button,
// state: 0 down) and pointer motion, active or passive. Positions that come with keys and buttons
// are dropped.
void listen_to_input(void (*key)(unsigned char), void (*special)(int), void (*button)(int, int),
                     void (*motion)(int, int));

// Around a read of the drawing buffer (a screenshot): with a multisampled window, `begin` resolves
// the back buffer into a single-sampled framebuffer object and reads come from it until `end`.
// Some drivers (Mesa's software rasteriser) otherwise read one sample a pixel, not what is shown.
// Both do nothing without a multisampled window.
void begin_frame_read(int width, int height);
void end_frame_read();

// Special keys, pointer buttons and their states, and modifier bits as the window system numbers them.
inline constexpr int special_left = 100;
inline constexpr int special_right = 102;
inline constexpr int special_home = 106;
inline constexpr int button_left = 0;
inline constexpr int button_middle = 1;
inline constexpr int button_right = 2;
inline constexpr int button_down = 0;
inline constexpr int button_up = 1;
inline constexpr int modifier_shift = 1;
inline constexpr int modifier_ctrl = 2;

// Sees every input event before the handlers of listen_to_input, with the pointer position, and
// returns true to take it (the handlers then never see it). Key releases and the wheel reach
// only the filter.
struct input_filter {
    bool (*key)(unsigned char key, bool down, int x, int y) = nullptr;
    bool (*special)(int key, bool down, int x, int y) = nullptr;
    bool (*button)(int button, int state, int x, int y) = nullptr;
    bool (*motion)(int x, int y) = nullptr;
    void (*wheel)(int direction, int x, int y) = nullptr;
};
// Puts the filter in front of the handlers; every member must be set.
void filter_input(const input_filter& filter);
// The modifier bits held during the event being handled.
int held_modifiers();

// Hides the cursor, then switches the window to full screen.
void go_full_screen();
// Full screen (cursor hidden) to window (cursor shown) and back.
void toggle_full_screen();

// With a handler, the window manager's close button no longer closes the window: the handler runs
// before the next frame instead and decides (an editor asks about unsaved work first). Without
// one, the button closes the window as run_main_loop says.
void hold_close(void (*handler)());

// Registers reshape and display, redisplays whenever idle and enters the main loop, which does
// not return. Each display runs `display` and swaps the buffers; when `display` returns false
// nothing is swapped and the process ends with status 0. When the window manager closes the
// window, `close` runs (the context still current) and the process ends with status 0.
[[noreturn]] void run_main_loop(bool (*display)(), void (*reshape)(int width, int height), void (*close)());

} // namespace quor::platform
