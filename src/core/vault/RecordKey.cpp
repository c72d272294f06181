#include "core/vault/RecordKey.h"

#include <cstdint>
#include <random>

namespace velmora {

std::string NewRecordKey()
{
    // Keys only tell records apart during one run, so a seeded generator serves; 25^20 keys
    // make a retry for uniqueness rare.
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::string key(kRecordKeyLength, 'A');
    for (std::size_t i = 0; i < kRecordKeyLength; i += 2) {
        // Each 32-bit half of a draw scaled to 0..24; loading large vaults makes this hot.
        const std::uint64_t draw = generator();
        key[i] = static_cast<char>('A' + (((draw & 0xFFFFFFFF) * 25) >> 32));
        key[i + 1] = static_cast<char>('A' + (((draw >> 32) * 25) >> 32));
    }
    return key;
}

} // namespace velmora
