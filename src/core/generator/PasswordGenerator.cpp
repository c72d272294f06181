#include "core/generator/PasswordGenerator.h"

#include <chrono>
#include <limits>
#include <openssl/rand.h>
#include <stdexcept>

namespace velmora {

SeededRandom SeededRandom::FromClock()
{
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    return SeededRandom(static_cast<std::uint32_t>(ticks));
}

std::uint32_t SeededRandom::Below(std::uint32_t m)
{
    m_state = m_state * 134775813u + 1u;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(m_state) * m) >> 32);
}

std::uint32_t SystemRandom::Below(std::uint32_t m)
{
    // Draws beyond the largest multiple of m are thrown back, so every result is equally likely.
    const std::uint64_t range = std::uint64_t{std::numeric_limits<std::uint32_t>::max()} + 1;
    const std::uint64_t limit = range - range % m;
    for (;;) {
        std::uint32_t draw = 0;
        if (RAND_bytes(reinterpret_cast<unsigned char*>(&draw), sizeof draw) != 1) {
            throw std::runtime_error("The system's random source failed");
        }
        if (draw < limit) {
            return draw % m;
        }
    }
}

std::uint8_t RandomBetween(RandomSource& random, std::uint8_t lo, std::uint8_t hi)
{
    return static_cast<std::uint8_t>(lo + random.Below(static_cast<std::uint32_t>(hi - lo + 1)));
}

std::optional<std::string> GeneratePassword(const PasswordOptions& options, RandomSource& random)
{
    const bool special = options.Special && !options.SpecialCharacters.empty();
    std::string result;
    for (int i = 0; i < options.Length; ++i) {
        std::string pool;
        if (options.LowerCase) {
            pool += static_cast<char>(RandomBetween(random, 'a', 'z'));
        }
        if (options.UpperCase) {
            pool += static_cast<char>(RandomBetween(random, 'A', 'Z'));
        }
        if (options.Digits) {
            pool += static_cast<char>('0' + RandomBetween(random, 0, 9));
        }
        if (special) {
            // The same draw as RandomBetween(1, size) - 1, without its 8-bit limit on the size.
            const auto size = static_cast<std::uint32_t>(options.SpecialCharacters.size());
            pool += options.SpecialCharacters[random.Below(size)];
        }
        if (pool.empty()) {
            return std::nullopt;
        }
        result += pool[RandomBetween(random, 1, static_cast<std::uint8_t>(pool.size())) - 1u];
    }
    return result;
}

} // namespace velmora
