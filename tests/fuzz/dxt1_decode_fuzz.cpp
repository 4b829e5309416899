// Feeds arbitrary bytes to the DXT1 decoder of a WebGL without S3TC: the first four give the
// level's sides, the rest its blocks, in a buffer of exactly their size. The decoder reads no byte
// past them and fills exactly four bytes a texel, or refuses.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "gl/dxt1_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const int width = 1 + ((data[0] | (data[1] << 8)) % 1024);
    const int height = 1 + ((data[2] | (data[3] << 8)) % 1024);
    const std::vector<std::uint8_t> blocks(data + 4, data + size);
    std::vector<std::uint8_t> out;
    const bool decoded = quor::gl::decode_dxt1(blocks.data(), blocks.size(), width, height, out);
    const std::uint64_t needed = std::uint64_t((width + 3) / 4) * ((height + 3) / 4) * 8;
    if (decoded != (blocks.size() >= needed) || out.size() != (decoded ? std::size_t(width) * height * 4 : 0))
        std::abort();
    return 0;
}
