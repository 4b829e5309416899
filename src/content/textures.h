// The five procedural textures of the data file, painted at full size in linear RGB with their
// lighting baked in (the demo lights with ambient light only).
#pragma once

#include <cstddef>

#include "interchange/dxt1_chain.h"

namespace quor::content {

// Painted in the picture type the DXT1 encoder takes.
using interchange::image;

// Texture `index` (0-4, as numbered in the data file) at the size of the texture table.
image paint_texture(std::size_t index);

} // namespace quor::content
