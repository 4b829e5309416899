// Screenshots through the render device's read-back and the PNG writer.
#include "app/screenshot.h"

#include <cstdio>
#include <ctime>
#include <iostream>

#include "app/render_device.h"
#include "app/system.h"
#include "io/png_file.h"

namespace quor::system {

std::string screenshot_name(std::chrono::system_clock::time_point when)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[48];
    const std::size_t n = std::strftime(text, sizeof text, "quor-%Y%m%d-%H%M%S", &local);
    std::snprintf(text + n, sizeof text - n, "-%03d.png", static_cast<int>(millis));
    return text;
}

std::string save_screenshot(const std::string& folder)
{
    const std::string name = screenshot_name(std::chrono::system_clock::now());
    const std::string path = folder.empty() ? name : folder + "/" + name;
    const int width = screen_width();
    const int height = screen_height();
    const std::vector<std::uint8_t> pixels = render_device().read_pixels(width, height);
    std::string error;
    if (!write_png(path, pixels.data(), width, height, true, &error)) {
        std::cerr << "quor-demo: " << error << std::endl;
        return {};
    }
    return path;
}

} // namespace quor::system
