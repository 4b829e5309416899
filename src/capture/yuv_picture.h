// Colour conversion for the video: a picture as OpenGL reads it (BGRA, rows bottom-up) to the
// planar 4:2:0 YUV that H.264 encodes, BT.709 with the video range (16-235), turned upright.
// Done here, on the writer thread, so that the encoder gets a third fewer bytes and no work but
// encoding.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quor::capture {

// Bytes of a `width` x `height` planar 4:2:0 picture (both sizes even).
inline std::size_t i420_bytes(int width, int height)
{
    return static_cast<std::size_t>(width) * height * 3 / 2;
}

// Writes the Y plane (top row first), then the U and V planes at half size, each chroma sample
// the mean of its 2 x 2 pixels. Width and height must be even.
void bgra_to_i420(const std::uint8_t* bgra, int width, int height, std::uint8_t* out);

} // namespace quor::capture
