// Screenshots through the render device's read-back and the PNG writer.
#include "app/screenshot.h"

#include <cstdio>
#include <filesystem>

#include "app/render_device.h"
#include "app/report.h"
#include "app/system.h"
#include "io/png_file.h"
#include "platform/local_time.h"
#include "platform/window.h"
#include "io/utf8_path.h"

namespace quor::system {

std::string screenshot_name(std::chrono::system_clock::time_point when)
{
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count();
    const platform::calendar_time t = platform::local_time(millis);
    char name[64];
    std::snprintf(name, sizeof name, "quor-%04d%02d%02d-%02d%02d%02d-%03d.png", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.millisecond);
    return name;
}

std::string save_screenshot(const std::string& folder)
{
    const std::string name = screenshot_name(std::chrono::system_clock::now());
    const std::string path = folder.empty() ? name : io::utf8_text(io::utf8_path(folder) / name);
    const int width = screen_width();
    const int height = screen_height();
    platform::begin_frame_read(width, height);
    const std::vector<std::uint8_t> pixels = render_device().read_pixels(width, height);
    platform::end_frame_read();
    std::string error;
    if (!write_png(path, pixels.data(), width, height, true, &error)) {
        report(error);
        return {};
    }
    return path;
}

} // namespace quor::system
