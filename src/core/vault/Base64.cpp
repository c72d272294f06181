#include "core/vault/Base64.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <immintrin.h>

namespace velmora {
namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// A character's 6 bits, and kForeign for a character outside the alphabet (which counts as 63).
constexpr std::uint8_t kForeign = 0x40;
constexpr std::array<std::uint8_t, 256> kValues = [] {
    std::array<std::uint8_t, 256> values{};
    values.fill(63 | kForeign);
    for (std::size_t i = 0; i < kAlphabet.size(); ++i) {
        values[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::uint8_t>(i);
    }
    return values;
}();

// The two characters of every 12-bit half of a group: one lookup instead of two.
constexpr std::array<std::array<char, 2>, 4096> kPairs = [] {
    std::array<std::array<char, 2>, 4096> pairs{};
    for (std::size_t i = 0; i < pairs.size(); ++i) {
        pairs[i] = {kAlphabet[i >> 6], kAlphabet[i & 0x3F]};
    }
    return pairs;
}();

std::uint32_t ValueOf(char c)
{
    return kValues[static_cast<unsigned char>(c)];
}

// The 24 bits of a group of three bytes, first byte highest.
std::uint32_t GroupBits(const std::uint8_t* in)
{
    return static_cast<std::uint32_t>(in[0] << 16 | in[1] << 8 | in[2]);
}

// The 24 bits of four characters, the first one highest; a foreign character adds its kForeign
// bit above them (bits 24 to 30), which the callers drop or test.
std::uint32_t QuartetBits(const char* in)
{
    const std::uint32_t a = ValueOf(in[0]);
    const std::uint32_t b = ValueOf(in[1]);
    const std::uint32_t c = ValueOf(in[2]);
    const std::uint32_t d = ValueOf(in[3]);
    return ((a & 0x3F) << 18 | (b & 0x3F) << 12 | (c & 0x3F) << 6 | (d & 0x3F)) | (a | b | c | d) << 24;
}

constexpr std::uint32_t kForeignInQuartet = std::uint32_t{kForeign} << 24;

bool CpuHasSse41()
{
    static const bool has = __builtin_cpu_supports("sse4.1");
    return has;
}

// Decodes 16 characters at `in` into 12 bytes at `out` when they all belong to the alphabet; else
// writes nothing and returns false. After "Faster Base64 Encoding and Decoding using AVX2
// Instructions" (Mula, Lemire): a character's high nibble picks the offset to its 6-bit value,
// and its two nibbles together a bit that tells whether it belongs to the alphabet.
__attribute__((target("ssse3,sse4.1"))) inline bool DecodeChunk(const char* in, char* out)
{
    const __m128i nibble = _mm_set1_epi8(0x0F);
    const __m128i offsets = _mm_setr_epi8(0, 0, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0);
    // By low nibble, the high nibbles (as bits 0 to 7) that make a character of the alphabet.
    const __m128i allowed = _mm_setr_epi8(
        static_cast<char>(0xA8), static_cast<char>(0xF8), static_cast<char>(0xF8), static_cast<char>(0xF8),
        static_cast<char>(0xF8), static_cast<char>(0xF8), static_cast<char>(0xF8), static_cast<char>(0xF8),
        static_cast<char>(0xF8), static_cast<char>(0xF8), static_cast<char>(0xF0), 0x54, 0x50, 0x50, 0x50, 0x54);
    const __m128i highBit =
        _mm_setr_epi8(0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, static_cast<char>(0x80), 0, 0, 0, 0, 0, 0, 0, 0);
    const __m128i pairs = _mm_set1_epi32(0x01400140);  // a << 6 | b and c << 6 | d
    const __m128i groups = _mm_set1_epi32(0x00011000); // (ab << 12) | cd
    const __m128i order = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);

    const __m128i text = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i high = _mm_and_si128(_mm_srli_epi32(text, 4), nibble);
    const __m128i low = _mm_and_si128(text, nibble);
    const __m128i member = _mm_and_si128(_mm_shuffle_epi8(allowed, low), _mm_shuffle_epi8(highBit, high));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(member, _mm_setzero_si128())) != 0) {
        return false;
    }
    const __m128i offset = _mm_blendv_epi8(_mm_shuffle_epi8(offsets, high), _mm_set1_epi8(63 - '/'),
                                           _mm_cmpeq_epi8(text, _mm_set1_epi8('/')));
    const __m128i values = _mm_add_epi8(text, offset);
    const __m128i bits = _mm_madd_epi16(_mm_maddubs_epi16(values, pairs), groups);
    const __m128i bytes = _mm_shuffle_epi8(bits, order);
    // Exactly 12 bytes: the output ends where the value does.
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), bytes);
    const auto rest = static_cast<std::uint32_t>(_mm_extract_epi32(bytes, 2));
    std::memcpy(out + 8, &rest, 4);
    return true;
}

// Decodes the characters from `in` up to `last` (the last quartet, which the caller decodes) in
// chunks of 16 while they belong to the alphabet; the first chunk with any other character is
// left to the caller's quartet loop, which knows what such a character means. The line begins at
// `text`.
__attribute__((target("ssse3,sse4.1"))) void DecodeChunks(const char* text, const char*& in, const char* last,
                                                          char*& out)
{
    for (; last - in >= 16; in += 16, out += 12) {
        if (!DecodeChunk(in, out)) {
            return;
        }
    }
    // What is left as one more chunk that ends at the last quartet: it decodes a few characters
    // again and writes their bytes once more.
    const std::ptrdiff_t left = last - in;
    if (left > 0 && last - text >= 16 && DecodeChunk(last - 16, out - (16 - left) / 4 * 3)) {
        in = last;
        out += left / 4 * 3;
    }
}

std::atomic<bool> g_forceNarrow{false};

bool CpuHasVbmi()
{
    static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                            __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("bmi2");
    return has;
}

constexpr std::uint8_t kOutside = 0x80;

#define VELMORA_WIDE_BASE64 __attribute__((target("avx512f,avx512bw,avx512vbmi,bmi2")))

// Encodes the `groups` whole groups of three bytes at `in`, up to 16 at a time: a byte permutation
// puts each group's bytes where one multishift takes its four 6-bit values out, and another looks
// them up in the alphabet (after Mula and Lemire). Masked moves take a line's short rest.
VELMORA_WIDE_BASE64 inline __attribute__((always_inline)) void EncodeWideGroups(const std::uint8_t*& in,
                                                                                std::size_t groups, char*& out)
{
    // Dword g holds bytes 1, 0, 2, 1 of group g.
    const __m512i spread = _mm512_setr_epi32(0x01020001, 0x04050304, 0x07080607, 0x0a0b090a, 0x0d0e0c0d, 0x10110f10,
                                             0x13141213, 0x16171516, 0x191a1819, 0x1c1d1b1c, 0x1f201e1f, 0x22232122,
                                             0x25262425, 0x28292728, 0x2b2c2a2b, 0x2e2f2d2e);
    // The bit offsets of the four values in each dword, two dwords a quadword.
    const __m512i shifts = _mm512_set1_epi64(0x3036242a1016040a);
    const __m512i alphabet = _mm512_loadu_si512(kAlphabet.data());
    constexpr __mmask64 kAll = ~__mmask64{0};
    while (groups > 0) {
        const auto count = static_cast<unsigned>(std::min<std::size_t>(groups, 16));
        const __m512i bytes = _mm512_maskz_loadu_epi8(_bzhi_u64(kAll, 3 * count), in);
        const __m512i values =
            _mm512_maskz_multishift_epi64_epi8(kAll, shifts, _mm512_maskz_permutexvar_epi8(kAll, spread, bytes));
        _mm512_mask_storeu_epi8(out, _bzhi_u64(kAll, 4 * count), _mm512_maskz_permutexvar_epi8(kAll, values, alphabet));
        groups -= count;
        in += 3 * count;
        out += 4 * count;
    }
}

// The quartet of a short final group of `rest` bytes at `in`. The group buffer still holds the
// previous group's bytes (if there is one) where the short group ends, so the fill bits come
// from the byte three positions before the end.
inline void EncodeShortGroup(const std::uint8_t* in, std::size_t rest, bool afterGroup, char* out)
{
    const std::uint8_t second = rest == 2 ? in[1] : afterGroup ? in[-2] : 0;
    const std::uint8_t third = afterGroup ? in[-1] : 0;
    out[0] = kAlphabet[in[0] >> 2];
    out[1] = kAlphabet[((in[0] & 0x03) << 4) | (second >> 4)];
    out[2] = rest == 2 ? kAlphabet[((second & 0x0F) << 2) | (third >> 6)] : '=';
    out[3] = '=';
}

// Whether the last quartet `last` of a line is how the short group of `produced` bytes at `bytes`
// is encoded: its fill bits depend on the group before it (`afterGroup`), so encode it again.
bool ShortGroupIsCanonical(const char* last, const char* bytes, std::size_t produced, bool afterGroup)
{
    std::array<char, 4> encoded{};
    EncodeShortGroup(reinterpret_cast<const std::uint8_t*>(bytes), produced, afterGroup, encoded.data());
    return std::memcmp(encoded.data(), last, 4) == 0;
}

// Decodes a whole line, 64 characters at a time, when all its characters belong to the alphabet
// but those after the last group's bytes; then returns whether the line is canonical, else nothing
// and the quartet loop decodes the line as the rule says. A byte permutation looks each character up
// in a table of the 128 ASCII values; masked moves take a line's short rest without reading or
// writing past it.
VELMORA_WIDE_BASE64 std::optional<bool> DecodeWideLine(std::string_view text, char* out)
{
    // kValues with the mark of a foreign character in the bit the permutation leaves alone.
    alignas(64) static constexpr std::array<std::uint8_t, 128> kTable = [] {
        std::array<std::uint8_t, 128> table{};
        for (std::size_t i = 0; i < table.size(); ++i) {
            table[i] = (kValues[i] & kForeign) != 0 ? kOutside | 63 : kValues[i];
        }
        return table;
    }();
    // Byte j of the output is byte 2 - j % 3 of the 24 bits in dword j / 3.
    alignas(64) static constexpr std::array<std::uint8_t, 64> kOrder = [] {
        std::array<std::uint8_t, 64> order{};
        for (std::size_t j = 0; j < 48; ++j) {
            order[j] = static_cast<std::uint8_t>(4 * (j / 3) + 2 - j % 3);
        }
        return order;
    }();
    constexpr __mmask64 kAll = ~__mmask64{0};
    const __m512i lowTable = _mm512_load_si512(kTable.data());
    const __m512i highTable = _mm512_load_si512(kTable.data() + 64);
    const __m512i order = _mm512_load_si512(kOrder.data());
    const __m512i pairs = _mm512_set1_epi32(0x01400140);
    const __m512i groups = _mm512_set1_epi32(0x00011000);
    const __m512i outside = _mm512_set1_epi8(static_cast<char>(kOutside));
    const __m512i sixBits = _mm512_set1_epi8(0x3F);

    const std::size_t produced = *DecodedBase64Length(text.substr(text.size() - 4));
    const char* in = text.data();
    char* to = out;
    for (std::size_t left = text.size();; left -= 64, in += 64, to += 48) {
        const auto count = static_cast<unsigned>(std::min<std::size_t>(left, 64));
        const bool lastChunk = count == left;
        const __mmask64 taken = _bzhi_u64(kAll, count);
        const __m512i chars = _mm512_maskz_loadu_epi8(taken, in);
        const __m512i values = _mm512_permutex2var_epi8(lowTable, chars, highTable);
        // A short last group's bytes do not depend on the characters after them.
        const unsigned counted = lastChunk ? count - 3 + static_cast<unsigned>(produced) : count;
        if (_mm512_mask_test_epi8_mask(_bzhi_u64(kAll, counted), _mm512_or_si512(values, chars), outside) != 0) {
            return std::nullopt;
        }
        const __m512i bits = _mm512_madd_epi16(_mm512_maddubs_epi16(_mm512_and_si512(values, sixBits), pairs), groups);
        const __m512i bytes = _mm512_maskz_permutexvar_epi8(kAll, order, bits);
        const unsigned written = count / 4 * 3 - (lastChunk ? 3 - static_cast<unsigned>(produced) : 0);
        _mm512_mask_storeu_epi8(to, _bzhi_u64(kAll, written), bytes);
        if (lastChunk) {
            const char* const group = to + written - produced;
            return produced == 3 || ShortGroupIsCanonical(in + count - 4, group, produced, group != out);
        }
    }
}

// The whole groups at `in`, three bytes to four characters at a time.
void EncodeNarrowGroups(const std::uint8_t*& in, std::size_t groups, char*& out)
{
    for (const auto* const end = in + 3 * groups; in != end; in += 3, out += 4) {
        const std::uint32_t bits = GroupBits(in);
        std::memcpy(out, kPairs[bits >> 12].data(), 2);
        std::memcpy(out + 2, kPairs[bits & 0xFFF].data(), 2);
    }
}

// Encodes one piece with `encodeGroups` for its whole groups; returns where its text ends.
template <typename EncodeGroups>
inline __attribute__((always_inline)) char* EncodePiece(std::string_view bytes, char* out, EncodeGroups encodeGroups)
{
    const auto* in = reinterpret_cast<const std::uint8_t*>(bytes.data());
    const std::size_t full = bytes.size() / 3;
    encodeGroups(in, full, out);
    const std::size_t rest = bytes.size() % 3;
    if (rest > 0) {
        EncodeShortGroup(in, rest, full > 0, out);
        out += 4;
    }
    return out;
}

template <typename EncodeGroups>
inline __attribute__((always_inline)) char* EncodeLines(const char* bytes, std::span<const std::uint32_t> ends,
                                                        std::string_view separator, char* out,
                                                        EncodeGroups encodeGroups)
{
    std::uint32_t begin = 0;
    for (const std::uint32_t end : ends) {
        out = EncodePiece({bytes + begin, end - begin}, out, encodeGroups);
        out = std::copy(separator.begin(), separator.end(), out);
        begin = end;
    }
    return out;
}

// Whole groups on the 512-bit instructions, for functions with their target only.
constexpr auto kWideGroups = [](const std::uint8_t*& in, std::size_t groups, char*& out)
                                 VELMORA_WIDE_BASE64 { EncodeWideGroups(in, groups, out); };

VELMORA_WIDE_BASE64 void EncodeWide(std::string_view bytes, char* out)
{
    EncodePiece(bytes, out, kWideGroups);
}

VELMORA_WIDE_BASE64 char* EncodeWideLines(const char* bytes, std::span<const std::uint32_t> ends,
                                          std::string_view separator, char* out)
{
    return EncodeLines(bytes, ends, separator, out, kWideGroups);
}

} // namespace

bool WideBase64InUse()
{
    return CpuHasVbmi() && !g_forceNarrow.load(std::memory_order_relaxed);
}

void ForceNarrowBase64(bool narrow)
{
    g_forceNarrow.store(narrow, std::memory_order_relaxed);
}

void EncodeBase64(std::string_view bytes, char* out)
{
    if (WideBase64InUse()) {
        EncodeWide(bytes, out);
    } else {
        EncodePiece(bytes, out, EncodeNarrowGroups);
    }
}

char* EncodeBase64Lines(const char* bytes, std::span<const std::uint32_t> ends, std::string_view separator, char* out)
{
    if (WideBase64InUse()) {
        return EncodeWideLines(bytes, ends, separator, out);
    }
    return EncodeLines(bytes, ends, separator, out, EncodeNarrowGroups);
}

bool DecodeBase64Into(std::string_view text, char* out)
{
    if (text.empty()) {
        return true;
    }
    // A line the wide decoder leaves holds a character outside the alphabet: the quartet loop
    // takes all of it.
    const bool wide = WideBase64InUse();
    if (wide) {
        if (const auto canonical = DecodeWideLine(text, out)) {
            return *canonical;
        }
    }
    const char* const begin = out;
    const char* in = text.data();
    const char* const last = in + text.size() - 4;
    if (!wide && CpuHasSse41()) {
        DecodeChunks(text.data(), in, last, out);
    }
    std::uint32_t foreign = 0;
    for (; in < last; in += 4, out += 3) {
        const std::uint32_t bits = QuartetBits(in);
        foreign |= bits;
        out[0] = static_cast<char>(bits >> 16);
        out[1] = static_cast<char>(bits >> 8);
        out[2] = static_cast<char>(bits);
    }
    // Only the last quartet may be short; its "=" count as 63 like any other stray character.
    const std::uint32_t bits = QuartetBits(last);
    const std::size_t produced = last[2] == '=' ? 1 : last[3] == '=' ? 2 : 3;
    for (std::size_t i = 0; i < produced; ++i) {
        out[i] = static_cast<char>(bits >> (16 - 8 * i));
    }
    if ((foreign & kForeignInQuartet) != 0) {
        return false;
    }
    if (produced == 3) {
        return (bits & kForeignInQuartet) == 0;
    }
    return ShortGroupIsCanonical(last, out, produced, out != begin);
}

std::optional<std::string> DecodeBase64(std::string_view text)
{
    const auto length = DecodedBase64Length(text);
    if (!length) {
        return std::nullopt;
    }
    std::string bytes(*length, '\0');
    DecodeBase64Into(text, bytes.data());
    return bytes;
}

} // namespace velmora
