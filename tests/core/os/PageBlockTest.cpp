#include "core/os/PageBlock.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace velmora {
namespace {

// A block is the asked size rounded up to a power of two within the sizes blocks come in, all of
// it writable, and counted as held exactly while it lives; given back and taken again (from the
// kept blocks), it works as a fresh one.
TEST(PageBlock, SizeFollowsTheBytesAskedFor)
{
    constexpr std::size_t kSmallest = PageBlock::kSmallestSize;
    struct Case
    {
        std::size_t bytes;
        std::size_t size;
    };
    const Case cases[] = {
        {0, kSmallest},
        {1, kSmallest},
        {kSmallest, kSmallest},
        {kSmallest + 1, 2 * kSmallest},
        {100'000, 128 << 10},
        {PageBlock::kSize / 2 + 1, PageBlock::kSize},
        {PageBlock::kSize, PageBlock::kSize},
        {PageBlock::kSize + 1, PageBlock::kSize},
    };
    for (int round = 0; round < 2; ++round) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.bytes);
            const std::size_t heldBefore = PageBlock::BytesHeld();
            {
                PageBlock block(c.bytes, c.bytes);
                ASSERT_EQ(block.Size(), c.size);
                EXPECT_EQ(PageBlock::BytesHeld() - heldBefore, c.size);
                std::memset(block.Data(), 'x', block.Size());
                EXPECT_EQ(block.Data()[block.Size() - 1], 'x');
            }
            EXPECT_EQ(PageBlock::BytesHeld(), heldBefore);
        }
    }
}

TEST(PageBlock, MovingHandsTheBlockOver)
{
    const std::size_t heldBefore = PageBlock::BytesHeld();
    std::vector<PageBlock> blocks;
    blocks.emplace_back(1);
    blocks.emplace_back(PageBlock::kSize);
    blocks.emplace_back(50'000); // may move the others
    EXPECT_EQ(PageBlock::BytesHeld() - heldBefore, PageBlock::kSmallestSize + PageBlock::kSize + (64 << 10));
    PageBlock taken = std::move(blocks[1]);
    EXPECT_EQ(taken.Size(), PageBlock::kSize);
    blocks.clear();
    EXPECT_EQ(PageBlock::BytesHeld() - heldBefore, PageBlock::kSize);
}

} // namespace
} // namespace velmora
