// PNG pictures through the one PNG writer at its fast setting: a capture writes many large
// pictures, and compression effort costs far more time than the size it saves is worth here.
#include "capture/png_sequence.h"

#include <algorithm>
#include <cstdio>
#include <thread>
#include <vector>

#include "io/png_file.h"
#include "platform/file.h"

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
    if (!platform::make_folder(folder.c_str())) {
        failure = "cannot create the folder " + folder + ": " + platform::last_error();
        return false;
    }
    if (!platform::is_folder(folder.c_str())) {
        failure = folder + " is not a folder";
        return false;
    }
    if (!platform::can_write_into(folder.c_str())) {
        failure = "cannot write into the folder " + folder + ": " + platform::last_error();
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
    std::vector<char> bytes;
    std::string why;
    // The file is RGB, from OpenGL's bottom-up rows of BGRA.
    bool ok = encode_png({bgra, width, height, true, true}, {false, true}, bytes, &why);
    if (ok) {
        const int file = platform::create_file(incomplete.c_str(), 0666);
        ok = file != platform::no_file && platform::write_full(file, bytes.data(), bytes.size()) == bytes.size();
        if (!ok)
            why = platform::last_error();
        platform::close_file(file);
    }
    if (ok && !platform::rename_over(incomplete.c_str(), path.c_str())) {
        why = platform::last_error();
        ok = false;
    }
    if (!ok) {
        platform::remove_file(incomplete.c_str());
        std::lock_guard<std::mutex> guard(lock);
        if (failure.empty())
            failure = "cannot write " + path + ": " + why;
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
