// A web page behind platform/native_window.h: the page is the display, there is no desktop to
// name the window for, and no native handles to offer.
#include "platform/native_window.h"

namespace quor::platform {

bool prepare_window_system(const char*, std::string&) { return true; }

void set_window_class(const char*) {}

native_handles find_native_handles(const char*, const char*) { return {}; }

} // namespace quor::platform
