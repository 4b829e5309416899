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

// RGB8 texels, row-major, row 0 first.
struct rgb_image {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> texels;
};

// What an import reads and decodes at most: the file's bytes, and the picture's pixels and sides
// (weighed from its header before any pixel is decoded; the largest slot is 1024 x 1024).
constexpr std::size_t max_image_file_bytes = std::size_t{256} << 20;
constexpr long long max_image_pixels = 16ll << 20;
constexpr int max_image_side = 16384;

// An image file's picture, decoded by stb_image (PNG, JPEG, TGA, BMP, PSD, GIF, HDR, PIC, PNM).
// False with `why` (one phrase) when it is no image stb_image reads, is larger than the bounds
// above, or is cut short (stb_image would fill the missing pixels with black).
bool decode_image(std::span<const std::uint8_t> file, rgb_image& out, std::string& why);

// The DXT1 chain for texture `slot` (0-4) from the image file at path: resized to the slot's size
// with a high-quality filter in linear light, mips box-filtered, alpha dropped. False with *error
// when the file is not a regular file, cannot be read or decode_image refuses it.
bool chain_from_image(const std::string& path, std::size_t slot, std::vector<std::uint8_t>& chain,
                      std::string* error);

// Level 0 of texture `slot` of a data file held in memory, decoded (opaque).
rgba_image decode_level0(std::span<const char> data, std::size_t slot);

} // namespace quor::interchange
