#include "core/vault/RecordArena.h"

#include <cstring>
#include <gtest/gtest.h>
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
