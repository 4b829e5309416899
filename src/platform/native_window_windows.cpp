// Win32 behind platform/native_window.h. The window class is GLUT's own, "GLUT" (our freeglut is
// built with that name), so the window is found by class and title like any GLUT window.
#include "platform/native_window.h"
#include "platform/wide_text_windows.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace quor::platform {

// GLUT on Windows takes DISPLAY for a display device's name. Under Wine it holds the X display
// (":0"), which no device is called, and GLUT warns about it at every start.
bool prepare_window_system(const char*, std::string&)
{
    if (const char* display = std::getenv("DISPLAY"); display && display[0] == ':')
        _putenv("DISPLAY=");
    return true;
}

// Windows has no per-window name for desktops besides the class.
void set_window_class(const char*) {}

// GLUT's window procedure closes on WM_CLOSE before anything else sees it: the close button
// closes as it always does.
bool intercept_close_request() { return false; }
bool take_close_request() { return false; }

native_handles find_native_handles(const char* program, const char* title)
{
    native_handles found;
    found.instance = GetModuleHandleW(utf16(program).c_str());
    found.window = FindWindowW(L"GLUT", utf16(title).c_str());
    return found;
}

} // namespace quor::platform
