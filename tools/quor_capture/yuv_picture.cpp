// BT.709 video-range coefficients in 8.8 fixed point (the chroma rows sum to 0, so grey stays
// neutral); chroma rounds a 2 x 2 sum in 8.10.
#include "yuv_picture.h"

#include <cassert>
#include <cstddef>

namespace quor::capture {

namespace {

inline std::uint8_t luma(const std::uint8_t* p) // p: B, G, R, A
{
    return static_cast<std::uint8_t>(16 + ((47 * p[2] + 157 * p[1] + 16 * p[0] + 128) >> 8));
}

} // namespace

void bgra_to_i420(const std::uint8_t* bgra, int width, int height, std::uint8_t* out)
{
    assert(width % 2 == 0 && height % 2 == 0);
    const std::size_t stride = static_cast<std::size_t>(width) * 4;
    std::uint8_t* y_plane = out;
    std::uint8_t* u_plane = out + static_cast<std::size_t>(width) * height;
    std::uint8_t* v_plane = u_plane + static_cast<std::size_t>(width / 2) * (height / 2);
    for (int row = 0; row < height; row += 2) {
        // Output rows `row` and `row + 1` are input rows counted from the bottom.
        const std::uint8_t* top = bgra + static_cast<std::size_t>(height - 1 - row) * stride;
        const std::uint8_t* bottom = top - stride;
        std::uint8_t* y0 = y_plane + static_cast<std::size_t>(row) * width;
        std::uint8_t* y1 = y0 + width;
        std::uint8_t* u = u_plane + static_cast<std::size_t>(row / 2) * (width / 2);
        std::uint8_t* v = v_plane + static_cast<std::size_t>(row / 2) * (width / 2);
        for (int x = 0; x < width; x += 2) {
            const std::uint8_t* a = top + 4 * x;
            const std::uint8_t* b = bottom + 4 * x;
            y0[x] = luma(a);
            y0[x + 1] = luma(a + 4);
            y1[x] = luma(b);
            y1[x + 1] = luma(b + 4);
            const int blue = a[0] + a[4] + b[0] + b[4];
            const int green = a[1] + a[5] + b[1] + b[5];
            const int red = a[2] + a[6] + b[2] + b[6];
            u[x / 2] = static_cast<std::uint8_t>(128 + ((-26 * red - 86 * green + 112 * blue + 512) >> 10));
            v[x / 2] = static_cast<std::uint8_t>(128 + ((112 * red - 102 * green - 10 * blue + 512) >> 10));
        }
    }
}

} // namespace quor::capture
