// The five procedural textures of the data file, painted at full size in linear RGB with their
// lighting baked in (the demo lights with ambient light only).
#pragma once

#include <cstddef>
#include <vector>

namespace quor::tools {

// Linear RGB, row-major, three floats a texel; row 0 is t = 0.
struct image {
    int width = 0;
    int height = 0;
    std::vector<float> rgb;

    float* at(int x, int y) { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
    const float* at(int x, int y) const { return &rgb[(static_cast<std::size_t>(y) * width + x) * 3]; }
};

// Texture `index` (0-4, as numbered in the data file) at the size of the texture table.
image paint_texture(std::size_t index);

} // namespace quor::tools
