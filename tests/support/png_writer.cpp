// Pictures of failing pixel tests go through the engine's own PNG writer.
#include "png_writer.h"

#include "io/png_file.h"

namespace quor::test {

bool write_png(const std::string& path, const std::vector<std::uint8_t>& rgba, int width, int height,
               bool bottom_up)
{
    if (width <= 0 || height <= 0 || rgba.size() < static_cast<std::size_t>(width) * height * 4)
        return false;
    std::string ignored;
    return quor::write_png(path, rgba.data(), width, height, bottom_up, &ignored);
}

} // namespace quor::test
