// Screenshots: the frame just drawn, saved as a PNG named after the moment it was taken.
#pragma once

#include <chrono>
#include <string>

namespace quor::system {

// "quor-YYYYMMDD-HHMMSS-mmm.png" in local time, to the millisecond, so shots sort by time and two
// in one second keep apart.
std::string screenshot_name(std::chrono::system_clock::time_point when);

// Reads the drawing buffer at the screen size (call after the frame is drawn, before the swap) and
// writes it into `folder` (empty: the current directory) under `screenshot_name(now)`. Returns the
// path written, or empty after one line on the standard error stream saying why not.
std::string save_screenshot(const std::string& folder);

} // namespace quor::system
