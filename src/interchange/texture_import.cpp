// Image decoding and resizing through stb_image and stb_image_resize; the chain itself comes from
// the builder's DXT1 code, so imported and built textures are filtered and encoded alike. The
// file is read whole first (a regular file only), its picture's size weighed before a pixel is
// decoded, and stb_image reads it through callbacks that notice when it wants bytes the file does
// not have: it would fill them with black.
#include "interchange/texture_import.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include <stb/stb_image.h>
#include <stb/stb_image_resize.h>

#include "demo/data_layout.h"
#include "interchange/dxt1_chain.h"
#include "io/whole_file.h"

namespace quor::interchange {
namespace {

using demo::layout::texture_table;

// The inverse of the chain's 8-bit encoding, so that level 0 gives back the image's own values.
float to_linear(std::uint8_t c) { return std::pow(static_cast<float>(c) / 255.0f, 2.2f); }

// An image file's bytes as stb_image reads them, noting a read or skip past their end.
struct image_source {
    std::span<const std::uint8_t> bytes;
    std::size_t at = 0;
    bool past_end = false;
};

// stb_image reads ahead into a buffer of this many bytes, and such a read-ahead may find fewer at
// the end of a whole file; any other read is for bytes the decoder needs.
constexpr int stb_read_ahead = 128;

int read_bytes(void* user, char* data, int size)
{
    auto& s = *static_cast<image_source*>(user);
    const std::size_t n = std::min(static_cast<std::size_t>(std::max(size, 0)), s.bytes.size() - s.at);
    if (size > 0 && (n == 0 || (n < static_cast<std::size_t>(size) && size != stb_read_ahead)))
        s.past_end = true;
    std::memcpy(data, s.bytes.data() + s.at, n);
    s.at += n;
    return static_cast<int>(n);
}

void skip_bytes(void* user, int n)
{
    auto& s = *static_cast<image_source*>(user);
    if (n < 0) {
        s.at -= std::min(s.at, static_cast<std::size_t>(-static_cast<long long>(n)));
        return;
    }
    if (static_cast<std::size_t>(n) > s.bytes.size() - s.at)
        s.past_end = true;
    s.at = std::min(s.bytes.size(), s.at + static_cast<std::size_t>(n));
}

int at_end(void* user)
{
    const auto& s = *static_cast<image_source*>(user);
    return s.at >= s.bytes.size();
}

constexpr stbi_io_callbacks image_io{read_bytes, skip_bytes, at_end};

} // namespace

bool decode_image(std::span<const std::uint8_t> file, rgb_image& out, std::string& why)
{
    image_source probe{file};
    int w = 0, h = 0, channels = 0;
    if (!stbi_info_from_callbacks(&image_io, &probe, &w, &h, &channels)) {
        why = std::string("not an image stb_image can read (") + stbi_failure_reason() + ")";
        return false;
    }
    if (w <= 0 || h <= 0 || w > max_image_side || h > max_image_side ||
        static_cast<long long>(w) * h > max_image_pixels) {
        why = "a picture of " + std::to_string(w) + " x " + std::to_string(h) + " pixels, more than the " +
              std::to_string(max_image_pixels >> 20) + " megapixels (and " + std::to_string(max_image_side) +
              " a side) an import decodes";
        return false;
    }
    // stb_image takes the low byte of a 16-bit PNM's samples where the format puts the high one
    // first, and its conversion of them to RGB reads past its buffer.
    image_source depth{file};
    if (file.size() >= 2 && file[0] == 'P' && (file[1] == '5' || file[1] == '6') &&
        stbi_is_16_bit_from_callbacks(&image_io, &depth)) {
        why = "a PGM or PPM of 16 bits a sample, which the import does not read (save it with 8)";
        return false;
    }
    image_source source{file};
    std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load_from_callbacks(&image_io, &source, &w, &h, &channels, 3), stbi_image_free);
    if (!pixels) {
        why = std::string("not an image stb_image can read (") + stbi_failure_reason() + ")";
        return false;
    }
    if (source.past_end) {
        why = "the image is cut short: the file ends before its last pixels";
        return false;
    }
    out.width = w;
    out.height = h;
    out.texels.assign(pixels.get(), pixels.get() + static_cast<std::size_t>(w) * h * 3);
    return true;
}

bool chain_from_image(const std::string& path, std::size_t slot, std::vector<std::uint8_t>& chain,
                      std::string* error)
{
    std::string file;
    rgb_image decoded;
    std::string why;
    if (!read_whole_file(path, max_image_file_bytes, file, error))
        return false;
    if (!decode_image(std::span(reinterpret_cast<const std::uint8_t*>(file.data()), file.size()), decoded, why)) {
        *error = path + ": " + why;
        return false;
    }
    file = {};
    const int w = decoded.width, h = decoded.height;
    const std::vector<std::uint8_t>& texels = decoded.texels;
    std::vector<float> linear(static_cast<std::size_t>(w) * h * 3);
    for (std::size_t i = 0; i < linear.size(); ++i)
        linear[i] = to_linear(texels[i]);

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
