// PNG encoding in memory through libpng's simplified interface, which takes the row order as a
// stride sign; the file itself goes through the safe replacement. A build without libpng (the
// browser's: a page has no files to write pictures into) refuses with a reason.
#include "io/png_file.h"

#if __has_include(<png.h>)
#include <png.h>
#endif

#include <vector>

#include "io/replace_file.h"

namespace quor {

bool write_png(const std::string& path, const std::uint8_t* rgba, int width, int height, bool bottom_up,
               std::string* error)
{
    if (!rgba || width <= 0 || height <= 0) {
        *error = path + ": no picture to write";
        return false;
    }
#if !__has_include(<png.h>)
    static_cast<void>(bottom_up); // the row order matters to an encoder only
    *error = path + ": this build writes no PNG pictures";
    return false;
#else
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    // A negative stride makes libpng start from the last row of the buffer.
    const png_int_32 stride = (bottom_up ? -1 : 1) * width * 4;
    png_alloc_size_t size = 0;
    std::vector<char> bytes;
    // The first call measures, the second encodes.
    bool encoded = png_image_write_to_memory(&image, nullptr, &size, 0, rgba, stride, nullptr) != 0;
    if (encoded) {
        bytes.resize(size);
        encoded = png_image_write_to_memory(&image, bytes.data(), &size, 0, rgba, stride, nullptr) != 0;
    }
    if (!encoded) {
        *error = path + ": " + image.message;
        png_image_free(&image);
        return false;
    }
    png_image_free(&image);
    bytes.resize(size);
    return replace_file(path, bytes, {}, error);
#endif
}

} // namespace quor
