// The shared offscreen context of a test process.
#include "mesa_context.h"

#include <filesystem>

#include "png_writer.h"

namespace quor::test {

system::offscreen_context* mesa_context()
{
    static system::offscreen_context* context = [] {
        auto* c = new system::offscreen_context(mesa_width, mesa_height);
        if (c->ok())
            return c;
        delete c;
        return static_cast<system::offscreen_context*>(nullptr);
    }();
    return context;
}

std::string save_picture(const std::string& name)
{
    system::offscreen_context* c = mesa_context();
    if (!c)
        return "(no context)";
    const auto path = std::filesystem::temp_directory_path() / ("quor-" + name + ".png");
    if (!write_png(path.string(), c->read_pixels(), c->width(), c->height(), true))
        return "(could not write " + path.string() + ")";
    return path.string();
}

} // namespace quor::test
