// PNG encoding in memory through libpng's write calls, which swap the byte order and drop the
// alpha on the way; the file itself goes through the safe replacement. A build without libpng (the
// browser's: a page has no files to write pictures into) refuses with a reason.
#include "io/png_file.h"

#include <cstdio>

#include "build_config.h"
#include "io/replace_file.h"

#if QUOR_WRITES_PNG
#include <png.h>

#include <csetjmp>

namespace quor {

namespace {

struct png_output {
    std::vector<char>* bytes;
    char message[200] = "";
};

void on_png_error(png_structp png, png_const_charp message)
{
    auto* output = static_cast<png_output*>(png_get_error_ptr(png));
    std::snprintf(output->message, sizeof output->message, "%s", message);
    png_longjmp(png, 1);
}

void on_png_warning(png_structp, png_const_charp) {}

void on_png_write(png_structp png, png_bytep data, png_size_t size)
{
    auto* output = static_cast<png_output*>(png_get_io_ptr(png));
    output->bytes->insert(output->bytes->end(), reinterpret_cast<char*>(data), reinterpret_cast<char*>(data) + size);
}

void on_png_flush(png_structp) {}

// Only plain locals live across the setjmp: libpng leaves by longjmp on a failure.
bool encode(const png_picture& p, const png_encoding& e, png_output& output)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &output, on_png_error, on_png_warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    volatile bool ok = false;
    if (info && setjmp(png_jmpbuf(png)) == 0) {
        png_set_write_fn(png, &output, on_png_write, on_png_flush);
        png_set_IHDR(png, info, static_cast<png_uint_32>(p.width), static_cast<png_uint_32>(p.height), 8,
                     e.alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        if (e.fast) {
            png_set_compression_level(png, 1);
            png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
        }
        png_write_info(png, info);
        if (p.bgra)
            png_set_bgr(png);
        if (!e.alpha)
            png_set_filler(png, 0, PNG_FILLER_AFTER);
        const std::size_t row = static_cast<std::size_t>(p.width) * 4;
        for (int i = 0; i < p.height; ++i) {
            const int y = p.bottom_up ? p.height - 1 - i : i;
            png_write_row(png, p.pixels + static_cast<std::size_t>(y) * row);
        }
        png_write_end(png, nullptr);
        ok = true;
    }
    if (!png)
        std::snprintf(output.message, sizeof output.message, "out of memory");
    png_destroy_write_struct(&png, &info);
    return ok;
}

} // namespace

} // namespace quor
#endif

namespace quor {

bool encode_png(const png_picture& picture, const png_encoding& encoding, std::vector<char>& out, std::string* why)
{
    out.clear();
    if (!picture.pixels || picture.width <= 0 || picture.height <= 0) {
        *why = "no picture to write";
        return false;
    }
#if QUOR_WRITES_PNG
    png_output output{&out};
    if (!encode(picture, encoding, output)) {
        *why = output.message;
        return false;
    }
    return true;
#else
    static_cast<void>(encoding);
    *why = "this build writes no PNG pictures";
    return false;
#endif
}

bool write_png(const std::string& path, const std::uint8_t* rgba, int width, int height, bool bottom_up,
               std::string* error)
{
    std::vector<char> bytes;
    std::string why;
    if (!encode_png({rgba, width, height, false, bottom_up}, {}, bytes, &why)) {
        *error = path + ": " + why;
        return false;
    }
    return replace_file(path, bytes, {}, error);
}

} // namespace quor
