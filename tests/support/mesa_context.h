// One offscreen Mesa context per test process, shared by every test that draws for real.
#pragma once

#include <string>

#include "app/offscreen_context.h"

namespace quor::test {

constexpr int mesa_width = 64;
constexpr int mesa_height = 64;

// Created (and made current, with the seam filled) on first use; null when Mesa offers no
// context here. The context lives until the process ends.
system::offscreen_context* mesa_context();

// Writes the context's current picture as a PNG into the build's output folder and returns the
// path, for the message of a failing pixel test.
std::string save_picture(const std::string& name);

} // namespace quor::test
