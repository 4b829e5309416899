// PNG output of RGBA pictures, to look at what a failing pixel test saw.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quor::test {

// `rgba` holds width * height pixels of 4 bytes; with `bottom_up` its first row is the lowest
// one (as glReadPixels gives it) and is written last. False when the file cannot be written.
bool write_png(const std::string& path, const std::vector<std::uint8_t>& rgba, int width, int height,
               bool bottom_up);

} // namespace quor::test
