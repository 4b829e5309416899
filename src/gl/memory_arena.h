// A bump allocator in a block owned elsewhere: where texture levels read from files are given
// their final place, so that they are uploaded from there without a copy.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quor::gl {

// Bumps through a block owned elsewhere, handing out 32-byte aligned pieces.
struct memory_arena {
    char* base = nullptr;
    // Bytes of the block from `base`.
    std::size_t capacity = 0;
    std::uint32_t used = 0;

    // base + used rounded up to a multiple of 32, then `used` moves past the n bytes; null (and
    // `used` unchanged) when they do not fit in the block.
    void* allocate(std::size_t n);
};

} // namespace quor::gl
