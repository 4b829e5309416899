// Arbitrary bytes as an image file for a texture import: a refusal says why in one phrase; an
// accepted picture lies within the stated bounds and holds all its texels (stb_image decoding
// every format it knows, weighed and checked for a short file through the import's callbacks).
#include <cstdint>
#include <cstdlib>
#include <span>

#include "interchange/texture_import.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    quor::interchange::rgb_image image;
    std::string why;
    if (!quor::interchange::decode_image(std::span(data, size), image, why)) {
        if (why.empty())
            std::abort();
        return 0;
    }
    const long long pixels = static_cast<long long>(image.width) * image.height;
    if (image.width <= 0 || image.height <= 0 || pixels > quor::interchange::max_image_pixels ||
        image.texels.size() != static_cast<std::size_t>(pixels) * 3)
        std::abort();
    return 0;
}
