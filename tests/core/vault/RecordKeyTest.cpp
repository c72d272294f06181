#include "core/vault/RecordKey.h"

#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(RecordKey, SpellsEachIdNibbleAsALetterMostSignificantFirst)
{
    const struct
    {
        RecordId id;
        const char* key;
    } cases[] = {
        {0, "AAAAAAAAAAAAAAAAAAAA"},
        {1, "AAAAAAAAAAAAAAAAAAAB"},
        {0x1F, "AAAAAAAAAAAAAAAAAABP"},
        {0x123456789ABCDEF0, "AAAABCDEFGHIJKLMNOPA"},
        {~RecordId{0}, "AAAAPPPPPPPPPPPPPPPP"},
    };
    for (const auto& c : cases) {
        const RecordKey key(c.id);
        EXPECT_EQ(key.View(), c.key) << c.id;
        EXPECT_EQ(RecordKey::IdOf(key), c.id) << c.id;
    }
}

TEST(RecordKey, TextsNoKeyHasNameNoId)
{
    EXPECT_EQ(RecordKey::IdOf("aaaaaaaaaaaaaaaaaaab"), RecordId{1});
    for (const char* text : {"", "AAAAAAAAAAAAAAAAAAA", "AAAAAAAAAAAAAAAAAAAAA", "AAAAAAAAAAAAAAAAAAAQ",
                             "AAABAAAAAAAAAAAAAAAA", "AAAAAAAAAAAAAAAAAA1A"}) {
        EXPECT_EQ(RecordKey::IdOf(text), std::nullopt) << text;
    }
}

} // namespace
} // namespace velmora
