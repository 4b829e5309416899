// PNG writing through libpng at its fastest useful setting (zlib level 1, no row filters): a
// capture writes many large pictures, and compression effort costs far more time than the
// size it saves is worth here.
#include "png_sequence.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <thread>

namespace quor::capture {

namespace {

struct png_failure {
    char message[200] = "";
};

void on_png_error(png_structp png, png_const_charp message)
{
    auto* failure = static_cast<png_failure*>(png_get_error_ptr(png));
    std::snprintf(failure->message, sizeof failure->message, "%s", message);
    png_longjmp(png, 1);
}

void on_png_warning(png_structp, png_const_charp) {}

// Only plain locals live across the setjmp: libpng leaves by longjmp on a failure.
bool write_rgb(std::FILE* file, const std::uint8_t* bgra, int width, int height, png_failure& failure)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &failure, on_png_error, on_png_warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    volatile bool ok = false;
    if (info && setjmp(png_jmpbuf(png)) == 0) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_compression_level(png, 1);
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
        png_write_info(png, info);
        // The file is RGB: libpng swaps blue and red and drops the fourth byte.
        png_set_bgr(png);
        png_set_filler(png, 0, PNG_FILLER_AFTER);
        // OpenGL's rows are bottom-up; the file's go top-down.
        for (int y = height - 1; y >= 0; --y)
            png_write_row(png, bgra + static_cast<std::size_t>(y) * width * 4);
        png_write_end(png, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    return ok;
}

} // namespace

png_sequence::png_sequence(std::string dir, int w, int h) : folder(std::move(dir)), width(w), height(h) {}

std::string png_sequence::file_name(std::uint64_t index)
{
    char name[40];
    std::snprintf(name, sizeof name, "frame_%05llu.png", static_cast<unsigned long long>(index));
    return name;
}

bool png_sequence::check()
{
    if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) {
        failure = "cannot create the folder " + folder + ": " + std::strerror(errno);
        return false;
    }
    struct stat info;
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        failure = folder + " is not a folder";
        return false;
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        failure = "cannot write into the folder " + folder + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

// Each picture is written under a temporary name and renamed when complete: a picture file
// under its final name is always whole, whatever stops the capture.
bool png_sequence::write(const std::uint8_t* bgra, std::uint64_t index)
{
    const std::string path = folder + "/" + file_name(index);
    const std::string incomplete = path + ".incomplete";
    png_failure why;
    std::FILE* file = std::fopen(incomplete.c_str(), "wb");
    bool ok = file != nullptr;
    if (!file)
        std::snprintf(why.message, sizeof why.message, "%s", std::strerror(errno));
    else
        ok = write_rgb(file, bgra, width, height, why);
    // A full disk may show only when the last bytes are flushed.
    if (file && std::fclose(file) != 0 && ok) {
        std::snprintf(why.message, sizeof why.message, "%s", std::strerror(errno));
        ok = false;
    }
    if (ok && std::rename(incomplete.c_str(), path.c_str()) != 0) {
        std::snprintf(why.message, sizeof why.message, "%s", std::strerror(errno));
        ok = false;
    }
    if (!ok) {
        std::remove(incomplete.c_str());
        std::lock_guard<std::mutex> guard(lock);
        if (failure.empty())
            failure = "cannot write " + path + ": " + why.message;
    }
    return ok;
}

unsigned png_sequence::parallel_writes() const
{
    const unsigned processors = std::thread::hardware_concurrency();
    return processors == 0 ? 1 : std::min(processors, 4u);
}

std::string png_sequence::error() const
{
    std::lock_guard<std::mutex> guard(lock);
    return failure;
}

} // namespace quor::capture
