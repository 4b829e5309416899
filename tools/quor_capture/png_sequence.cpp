// PNG writing through libpng's simplified API, with its fast setting: a capture writes many
// large pictures, and compression effort costs far more than the few percent of size it saves.
#include "png_sequence.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace quor::capture {

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

bool png_sequence::write(const std::uint8_t* rgb, std::uint64_t index)
{
    const std::string path = folder + "/" + file_name(index);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    image.flags = PNG_IMAGE_FLAG_FAST;
    // A negative stride starts from the last row of the buffer: OpenGL's rows are bottom-up.
    const png_int_32 stride = -width * 3;
    const int ok = png_image_write_to_file(&image, path.c_str(), 0, rgb, stride, nullptr);
    if (!ok)
        failure = "cannot write " + path + ": " + image.message;
    png_image_free(&image);
    return ok != 0;
}

} // namespace quor::capture
