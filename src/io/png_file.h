// PNG pictures through libpng, the system's one PNG writer: pixels of 4 bytes in either byte
// order and row order, encoded in memory, and a file that appears whole or not at all.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quor {

// width * height pixels of 4 bytes at `pixels`: R, G, B, A, or with `bgra` B, G, R, A (as
// OpenGL reads them fastest). With `bottom_up` the first row in memory is the lowest one (as
// glReadPixels gives it).
struct png_picture {
    const std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    bool bgra = false;
    bool bottom_up = false;
};

// How a picture is encoded: with its alpha, or as RGB; and at zlib's default effort, or `fast`
// (level 1, no row filters) for pictures written by the hundred, where compression effort costs
// far more time than the size it saves is worth.
struct png_encoding {
    bool alpha = true;
    bool fast = false;
};

// The PNG file's bytes; false with one short phrase in *why.
bool encode_png(const png_picture& picture, const png_encoding& encoding, std::vector<char>& out, std::string* why);

// Writes width * height RGBA pixels as a PNG, replacing `path` safely (replace_file). False with
// one line in *error saying what failed; nothing is left behind then.
bool write_png(const std::string& path, const std::uint8_t* rgba, int width, int height, bool bottom_up,
               std::string* error);

} // namespace quor
