// PNG pictures on disk through libpng: RGBA pixels in, a file that appears whole or not at all.
#pragma once

#include <cstdint>
#include <string>

namespace quor {

// Writes width * height RGBA pixels of 4 bytes as a PNG, replacing `path` safely (replace_file).
// With `bottom_up` the first row in memory is the lowest one (as glReadPixels gives it). False
// with one line in *error saying what failed; nothing is left behind then.
bool write_png(const std::string& path, const std::uint8_t* rgba, int width, int height, bool bottom_up,
               std::string* error);

} // namespace quor
