// The application frame: process-wide engine objects, their accessors, and the per-callback
// logic of the main loop. `run` joins them to the platform's window; the frame steps need no
// window, so a different driver (a test, an offscreen capture) can run frames too.
#pragma once

#include <string>

#include "app/application.h"

namespace quor::gl {
class render_device;
}
namespace quor::input {
class DeviceManager;
}

namespace quor::system {

// Reads the player's options from what GLUT leaves of the command line, opens the window, builds
// the engine and the application, and enters the main loop, which does not return; the process
// ends with exit(0) after the exit countdown or when the window is closed. Returns 0 after
// --help or --version, 2 after a bad command line (also without a display), 1 when the start
// fails (no display, no usable OpenGL, an application whose init refuses), after one line saying why.
int run(int argc, char** argv, application_factory factory);

input::DeviceManager& device_manager();
gl::render_device& render_device();
application* current_application();
// Starts the exit countdown; further calls change nothing.
void request_exit();
// Switches the window between full screen and its window size; nothing without a window.
void toggle_full_screen();
// The current directory when `run` began, before --data moved it; empty for other drivers.
const std::string& start_folder();

// Size of the drawing area: 1024 x 768 until the first reshape.
int screen_width();
int screen_height();

// -- Frame steps, used by `run` and by other drivers of the frame --------------------------

// Creates the render device (issues GL calls: a context must be current) and the device
// manager, and resets the screen size and the exit countdown.
void create_engine(const creation_params& params);
// Calls the factory and the application's init; false when init refused to start.
bool create_application(application_factory factory, creation_params* params);
// One display callback without the buffer swap: advances the exit countdown, runs the
// application's frame and rolls the input over. Returns false when the countdown completed:
// the shutdown has run and nothing was drawn; the caller then ends the process.
bool display();
void reshape(int width, int height);
// Application shutdown and destruction, then the device manager, then the render device.
void shutdown();

bool exit_requested();
float exit_countdown();
// Display callbacks from the exit request to the shutdown: 30, set again by create_engine. A
// capture at another frame rate sets the count that lasts as long in demo time.
void set_countdown_frames(int frames);

} // namespace quor::system
