// Textures from image files: any image stb_image reads, resized to a slot's size and made into
// the slot's DXT1 chain as the builder makes its own; and a slot's level 0 decoded for editing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quor::interchange {

// RGBA8 texels, row-major, row 0 first.
struct rgba_image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> texels;
};

// The DXT1 chain for texture `slot` (0-4) from the image file at path: resized to the slot's size
// with a high-quality filter in linear light, mips box-filtered, alpha dropped. False with *error
// when the file cannot be read as an image.
bool chain_from_image(const std::string& path, std::size_t slot, std::vector<std::uint8_t>& chain,
                      std::string* error);

// Level 0 of texture `slot` of a data file held in memory, decoded (opaque).
rgba_image decode_level0(std::span<const char> data, std::size_t slot);

} // namespace quor::interchange
