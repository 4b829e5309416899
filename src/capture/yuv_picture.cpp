// BT.709 video-range coefficients in 8.8 fixed point (the chroma rows sum to 0, so grey stays
// neutral); chroma rounds a 2 x 2 sum in 8.10.
#include "capture/yuv_picture.h"

#include <cassert>
#include <cstddef>

namespace quor::capture {

namespace {

// Simple loops over one row each, so that the compiler can vectorise them.
void luma_row(const std::uint8_t* __restrict bgra, int width, std::uint8_t* __restrict y)
{
    for (int x = 0; x < width; ++x) {
        const std::uint8_t* p = bgra + 4 * x;
        y[x] = static_cast<std::uint8_t>(16 + ((47 * p[2] + 157 * p[1] + 16 * p[0] + 128) >> 8));
    }
}

void chroma_row(const std::uint8_t* __restrict top, const std::uint8_t* __restrict bottom, int half_width,
                std::uint8_t* __restrict u, std::uint8_t* __restrict v)
{
    for (int x = 0; x < half_width; ++x) {
        const std::uint8_t* a = top + 8 * x;
        const std::uint8_t* b = bottom + 8 * x;
        const int blue = a[0] + a[4] + b[0] + b[4];
        const int green = a[1] + a[5] + b[1] + b[5];
        const int red = a[2] + a[6] + b[2] + b[6];
        u[x] = static_cast<std::uint8_t>(128 + ((-26 * red - 86 * green + 112 * blue + 512) >> 10));
        v[x] = static_cast<std::uint8_t>(128 + ((112 * red - 102 * green - 10 * blue + 512) >> 10));
    }
}

} // namespace

void bgra_to_i420(const std::uint8_t* bgra, int width, int height, std::uint8_t* out)
{
    assert(width % 2 == 0 && height % 2 == 0);
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    const std::size_t half_width = static_cast<std::size_t>(width / 2);
    std::uint8_t* u_plane = out + static_cast<std::size_t>(width) * height;
    std::uint8_t* v_plane = u_plane + half_width * (height / 2);
    for (int row = 0; row < height; row += 2) {
        // Output rows `row` and `row + 1` are input rows counted from the bottom.
        const std::uint8_t* top = bgra + static_cast<std::size_t>(height - 1 - row) * stride;
        const std::uint8_t* bottom = top - stride;
        luma_row(top, width, out + static_cast<std::size_t>(row) * width);
        luma_row(bottom, width, out + static_cast<std::size_t>(row + 1) * width);
        chroma_row(top, bottom, width / 2, u_plane + (row / 2) * half_width, v_plane + (row / 2) * half_width);
    }
}

} // namespace quor::capture
