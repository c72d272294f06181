#include "vault/RecordKey.h"

#include <random>

namespace velmora {

std::string NewRecordKey()
{
    // Keys only tell records apart during one run, so a seeded generator serves; 25^20 keys
    // make a retry for uniqueness rare.
    thread_local std::mt19937_64 generator{std::random_device{}()};
    std::uniform_int_distribution<int> letter(0, 24);
    std::string key(kRecordKeyLength, 'A');
    for (char& c : key) {
        c = static_cast<char>('A' + letter(generator));
    }
    return key;
}

} // namespace velmora
