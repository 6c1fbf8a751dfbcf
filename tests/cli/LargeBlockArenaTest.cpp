#include "LargeBlockArena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

using tabulix::cli::TLargeBlockArena;

TEST(LargeBlockArena, HandsOutAlignedBlocksAndReusesWhatIsFreedLowestFirst) {
    constexpr size_t Reserve = size_t(64) << 20;
    TLargeBlockArena arena(Reserve);
    char* a = static_cast<char*>(arena.Allocate(100000));
    char* b = static_cast<char*>(arena.Allocate(40000));
    char* c = static_cast<char*>(arena.Allocate(100000));
    ASSERT_TRUE(a && b && c);
    for (char* block : {a, b, c}) {
        EXPECT_TRUE(arena.Owns(block));
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % TLargeBlockArena::Alignment, 0u);
    }
    EXPECT_GE(b, a + 100000);
    EXPECT_GE(c, b + 40000);
    std::memset(a, 1, 100000);
    std::memset(b, 2, 40000);
    std::memset(c, 3, 100000);
    int local = 0;
    EXPECT_FALSE(arena.Owns(&local));

    // Two freed neighbours are one range: a block larger than either fits where they were, and one
    // that fits nowhere below goes on top.
    arena.Free(b);
    arena.Free(a);
    char* d = static_cast<char*>(arena.Allocate(140000));
    EXPECT_EQ(d, a);
    char* e = static_cast<char*>(arena.Allocate(200000));
    EXPECT_GT(e, c);
    EXPECT_EQ(c[99999], 3);

    // The highest block freed brings the top down, with the free range just below it.
    const size_t extent = arena.Extent();
    arena.Free(e);
    EXPECT_LT(arena.Extent(), extent);
    arena.Free(d);
    arena.Free(c);
    EXPECT_EQ(arena.Extent(), 0u);

    // What the reservation cannot hold is refused, never handed out in part.
    EXPECT_EQ(arena.Allocate(Reserve), nullptr);
    void* whole = arena.Allocate(Reserve - TLargeBlockArena::Alignment);
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(arena.Allocate(1), nullptr);
    arena.Free(whole);
    EXPECT_NE(arena.Allocate(1), nullptr);
}

TEST(LargeBlockArena, MemoryFaultedInAheadKeepsWhatBlocksHold) {
    std::vector<char*> blocks;
    {
        TLargeBlockArena arena(size_t(256) << 20);
        arena.PrefaultAhead(size_t(4) << 20);
        for (int n = 0; n < 24; ++n) {
            char* block = static_cast<char*>(arena.Allocate(size_t(1) << 20));
            ASSERT_NE(block, nullptr);
            std::memset(block, 'a' + n, size_t(1) << 20);
            blocks.push_back(block);
        }
        for (int n = 0; n < 24; ++n) {
            EXPECT_EQ(blocks[size_t(n)][0], 'a' + n);
            EXPECT_EQ(blocks[size_t(n)][(size_t(1) << 20) - 1], 'a' + n);
        }
    } // the thread ends with the arena
}
