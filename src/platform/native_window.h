// What the window system itself adds to the GLUT window: the name desktops group it by, the
// environment GLUT reads at start, and the native handles a program may be offered.
#pragma once

#include <string>

namespace quor::platform {

// Before GLUT starts: leaves out of GLUT's sight what it would misread on this system, and tries
// the display GLUT would open (`display`, null for the default), since GLUT ends the process with a
// message of its own when that fails. False, with `why` naming it, when there is no display.
bool prepare_window_system(const char* display, std::string& why);

// Names the window GLUT just created, current with its context, for the desktop (name and class
// alike); nothing where the window system has no such name.
void set_window_class(const char* class_name);

// Keeps the requests to close the window that its close button sends away from GLUT, which would
// close it at once; true where this system can, with the window GLUT just created current.
bool intercept_close_request();
// Whether such a request came since the last call.
bool take_close_request();

// The module of the running program and the window of that title, as the window system numbers
// them; null where it has no such handles or nothing is found.
struct native_handles {
    void* instance = nullptr;
    void* window = nullptr;
};
native_handles find_native_handles(const char* program, const char* title);

} // namespace quor::platform
