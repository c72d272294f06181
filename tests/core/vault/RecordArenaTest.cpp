#include "core/vault/RecordArena.h"

#include <cstring>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace velmora {
namespace {

// Rooms of sizes that fill blocks unevenly, written whole: each keeps what was written to it,
// so no two overlap, and a room never runs past its block.
TEST(RecordArena, RoomsKeepWhatIsWrittenToThem)
{
    RecordArena arena;
    const std::size_t sizes[] = {0, 1, 430, PageBlock::kSize - 1000, 999, 2, PageBlock::kSize, 0, 65536, 17};
    std::vector<std::pair<char*, std::string>> written;
    for (int round = 0; round < 3; ++round) {
        for (const std::size_t size : sizes) {
            char* room = arena.Allocate(size);
            ASSERT_NE(room, nullptr) << size;
            std::string fill(size, static_cast<char>('a' + written.size() % 26));
            std::memcpy(room, fill.data(), size);
            written.emplace_back(room, std::move(fill));
        }
    }
    for (const auto& [room, fill] : written) {
        ASSERT_EQ(std::string(room, fill.size()), fill);
    }
}

TEST(RecordArena, MoreThanABlockIsLeftToTheCaller)
{
    RecordArena arena;
    EXPECT_EQ(arena.Allocate(PageBlock::kSize + 1), nullptr);
    EXPECT_NE(arena.Allocate(1), nullptr);
}

// Told how much is still to come, the arena takes blocks no larger than that; a request beyond it
// (the file grew while it was read) and an arena told nothing take the largest blocks.
TEST(RecordArena, BlocksFollowWhatIsExpected)
{
    struct Case
    {
        const char* name;
        std::optional<std::size_t> expected;
        std::vector<std::size_t> allocations;
        std::size_t held;
    };
    constexpr std::size_t kSmallest = PageBlock::kSmallestSize;
    const Case cases[] = {
        {"nothing expected", std::nullopt, {10}, PageBlock::kSize},
        {"a small read", 1000, {100, 0, 900}, kSmallest},
        {"nothing at all", 0, {0}, kSmallest},
        {"a medium read", 300'000, {200'000, 100'000}, 512 << 10},
        {"a large read ends in a small block",
         2 * PageBlock::kSize + 5000,
         {PageBlock::kSize, PageBlock::kSize, 5000},
         2 * PageBlock::kSize + (8 << 10)},
        {"more than expected", 1000, {100, 5000}, kSmallest + PageBlock::kSize},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::size_t heldBefore = PageBlock::BytesHeld();
        RecordArena arena;
        if (c.expected) {
            arena.ExpectAtMost(*c.expected);
        }
        for (const std::size_t bytes : c.allocations) {
            char* room = arena.Allocate(bytes);
            ASSERT_NE(room, nullptr);
            std::memset(room, 'x', bytes);
        }
        EXPECT_EQ(PageBlock::BytesHeld() - heldBefore, c.held);
        arena.Clear();
        EXPECT_EQ(PageBlock::BytesHeld(), heldBefore);
    }
}

TEST(RecordArena, GivesRoomAgainAfterClearing)
{
    RecordArena arena;
    for (int round = 0; round < 3; ++round) {
        char* room = arena.Allocate(100);
        ASSERT_NE(room, nullptr);
        std::memset(room, 'x', 100);
        arena.Clear();
    }
    EXPECT_NE(arena.Allocate(0), nullptr);
}

} // namespace
} // namespace velmora
