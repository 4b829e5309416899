// Image decoding and resizing through stb_image and stb_image_resize; the chain itself comes from
// the builder's DXT1 code, so imported and built textures are filtered and encoded alike.
#include "interchange/texture_import.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include <stb/stb_image.h>
#include <stb/stb_image_resize.h>

#include "demo/data_layout.h"
#include "interchange/dxt1_chain.h"

namespace quor::interchange {
namespace {

using demo::layout::texture_table;

// The inverse of the chain's 8-bit encoding, so that level 0 gives back the image's own values.
float to_linear(std::uint8_t c) { return std::pow(static_cast<float>(c) / 255.0f, 2.2f); }

} // namespace

bool chain_from_image(const std::string& path, std::size_t slot, std::vector<std::uint8_t>& chain,
                      std::string* error)
{
    int w = 0, h = 0, channels = 0;
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(stbi_load(path.c_str(), &w, &h, &channels, 3), stbi_image_free);
    if (!pixels) {
        *error = path + ": not an image stb_image can read (" + stbi_failure_reason() + ")";
        return false;
    }
    std::vector<float> linear(static_cast<std::size_t>(w) * h * 3);
    for (std::size_t i = 0; i < linear.size(); ++i)
        linear[i] = to_linear(pixels.get()[i]);

    const auto& entry = texture_table[slot];
    image full;
    full.width = static_cast<int>(entry.width);
    full.height = static_cast<int>(entry.height);
    full.rgb.resize(static_cast<std::size_t>(full.width) * full.height * 3);
    if (w == full.width && h == full.height) {
        full.rgb = std::move(linear);
    } else if (!stbir_resize_float_generic(linear.data(), w, h, 0, full.rgb.data(), full.width, full.height, 0, 3,
                                           STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP, STBIR_FILTER_DEFAULT,
                                           STBIR_COLORSPACE_LINEAR, nullptr)) {
        *error = path + ": the image could not be resized to " + std::to_string(full.width) + " x " +
                 std::to_string(full.height);
        return false;
    }
    chain = compress_chain(full);
    return true;
}

rgba_image decode_level0(std::span<const char> data, std::size_t slot)
{
    const auto& entry = texture_table[slot];
    rgba_image img;
    img.width = static_cast<int>(entry.width);
    img.height = static_cast<int>(entry.height);
    img.texels.resize(static_cast<std::size_t>(img.width) * img.height * 4);
    const auto* blocks = reinterpret_cast<const std::uint8_t*>(data.data() + demo::layout::textures.offset +
                                                               entry.level0_offset);
    const int bw = (img.width + 3) / 4, bh = (img.height + 3) / 4;
    for (int by = 0; by < bh; ++by)
        for (int bx = 0; bx < bw; ++bx) {
            std::uint8_t texels[64];
            decode_block(blocks + (static_cast<std::size_t>(by) * bw + bx) * 8, texels);
            for (int i = 0; i < 16; ++i) {
                const int x = bx * 4 + i % 4, y = by * 4 + i / 4;
                if (x < img.width && y < img.height)
                    std::memcpy(&img.texels[(static_cast<std::size_t>(y) * img.width + x) * 4], texels + i * 4, 4);
            }
        }
    return img;
}

} // namespace quor::interchange
