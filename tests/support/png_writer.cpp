// PNG writing through libpng's simplified API.
#include "png_writer.h"

#include <png.h>

namespace quor::test {

bool write_png(const std::string& path, const std::vector<std::uint8_t>& rgba, int width, int height,
               bool bottom_up)
{
    if (width <= 0 || height <= 0 || rgba.size() < static_cast<std::size_t>(width) * height * 4)
        return false;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    // A negative stride makes libpng start from the last row of the buffer.
    const png_int_32 stride = (bottom_up ? -1 : 1) * width * 4;
    const int ok = png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), stride, nullptr);
    png_image_free(&image);
    return ok != 0;
}

} // namespace quor::test
