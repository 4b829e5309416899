// The page behind platform/native_window.h: the canvas is the window, and a page has neither
// a display to try nor handles or class names to offer.
#include "platform/native_window.h"

namespace quor::platform {

bool prepare_window_system(const char*, std::string&) { return true; }

void set_window_class(const char*) {}

// A page's tab closes without asking the program.
bool intercept_close_request() { return false; }
bool take_close_request() { return false; }

native_handles find_native_handles(const char*, const char*) { return {}; }

} // namespace quor::platform
