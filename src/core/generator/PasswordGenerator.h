#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velmora {

// Where the generator's numbers come from.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    // A number in 0 .. m - 1, for m >= 1.
    virtual std::uint32_t Below(std::uint32_t m) = 0;
};

// The classic 32-bit generator: S := S * 134775813 + 1, and a draw below m is the upper half of
// S * m. Its outputs are reproducible from the seed, which scripts and tests rely on.
class SeededRandom final : public RandomSource
{
public:
    explicit SeededRandom(std::uint32_t seed) : m_state(seed) {}
    // Seeded from the low 32 bits of the high-resolution clock.
    static SeededRandom FromClock();
    std::uint32_t Below(std::uint32_t m) override;

private:
    std::uint32_t m_state;
};

// The system's cryptographic random source, for passwords people will use.
class SystemRandom final : public RandomSource
{
public:
    std::uint32_t Below(std::uint32_t m) override;
};

std::uint8_t RandomBetween(RandomSource& random, std::uint8_t lo, std::uint8_t hi);

inline constexpr std::string_view kDefaultSpecialCharacters = ":-)(+!<|>/?\\&$[*]@%;'{}\"~_";
inline constexpr int kMaxPasswordLength = 24;

struct PasswordOptions
{
    bool LowerCase = true; // a .. z
    bool UpperCase = true; // A .. Z
    bool Digits = true;    // 0 .. 9
    bool Special = true;   // the characters of SpecialCharacters
    std::string SpecialCharacters{kDefaultSpecialCharacters};
    int Length = 8;
};

// Every character is drawn in two stages: one candidate from each chosen class, in the order
// above, then one of the candidates with equal chance. Nothing when no class can give a
// candidate. The special set may be of any length.
std::optional<std::string> GeneratePassword(const PasswordOptions& options, RandomSource& random);

} // namespace velmora
