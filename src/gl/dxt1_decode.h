// DXT1 levels decoded to 8-bit RGBA for a GL that takes no compressed textures (WebGL without
// WEBGL_compressed_texture_s3tc, as on phones): the same texels a GPU's decoder would sample.
#pragma once

#include <cstdint>
#include <vector>

namespace quor::gl {

// The w x h texels of a DXT1 level (`bytes` of whole 4x4 blocks, row by row), four bytes each,
// rows from the first block row on. A texel of index 3 in a block whose first colour is not the
// larger is transparent black. Returns false, leaving `out` empty, when `bytes` is too short.
bool decode_dxt1(const std::uint8_t* data, std::uint64_t bytes, int width, int height,
                 std::vector<std::uint8_t>& out);

} // namespace quor::gl
