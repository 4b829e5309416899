// The window, its OpenGL context and the main loop, through GLUT. Callers hand in plain
// function pointers, so nothing outside this folder sees the window system.
#pragma once

namespace quor::platform {

// Initialises GLUT (which may consume its own options from argc/argv), requests an RGBA,
// double-buffered, depth-buffered window of the given size and position and creates it. Its
// OpenGL context is current on return.
void open_window(int& argc, char** argv, int width, int height, int x, int y, const char* title);

// Keyboard (key), mouse button (button, state: 0 down) and pointer motion, active or passive.
// The pointer position that comes with keys and buttons is dropped.
void listen_to_input(void (*key)(unsigned char), void (*button)(int, int), void (*motion)(int, int));

// Hides the cursor, then switches the window to full screen.
void go_full_screen();

// Registers reshape and display, redisplays whenever idle and enters the main loop, which does
// not return. Each display runs `display` and swaps the buffers; when `display` returns false
// nothing is swapped and the process ends with status 0.
[[noreturn]] void run_main_loop(bool (*display)(), void (*reshape)(int width, int height));

} // namespace quor::platform
