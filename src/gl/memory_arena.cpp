// The bump allocator: 32-byte alignment, and a refusal instead of a write past the block.
#include "gl/memory_arena.h"

namespace quor::gl {

void* memory_arena::allocate(std::size_t n)
{
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(base);
    const std::uintptr_t aligned = (start + used + 31) & ~std::uintptr_t(31);
    const std::size_t offset = aligned - start;
    if (offset > capacity || n > capacity - offset || n > UINT32_MAX - offset)
        return nullptr;
    used = static_cast<std::uint32_t>(offset + n);
    return base + offset;
}

} // namespace quor::gl
