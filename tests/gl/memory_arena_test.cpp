// The bump allocator: 32-byte aligned pieces measured from the block's base, and refusals that
// leave it as it was.
#include "gl/memory_arena.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

using quor::gl::memory_arena;

TEST(MemoryArena, AlignsTo32BytesAndRefusesWhatDoesNotFit)
{
    alignas(32) char block[256];
    memory_arena arena{block + 8, 200, 0};
    EXPECT_EQ(arena.allocate(10), block + 32);
    EXPECT_EQ(arena.used, 34u);
    EXPECT_EQ(arena.allocate(1), block + 64);
    EXPECT_EQ(arena.used, 57u);
    // 96 - 8 + 120 = 208 > 200.
    EXPECT_EQ(arena.allocate(121), nullptr);
    EXPECT_EQ(arena.allocate(SIZE_MAX), nullptr);
    EXPECT_EQ(arena.used, 57u);
    EXPECT_EQ(arena.allocate(112), block + 96);
    EXPECT_EQ(arena.used, 200u);
    EXPECT_EQ(arena.allocate(0), nullptr);
}

} // namespace
