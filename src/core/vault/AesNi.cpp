#include "core/vault/AesNi.h"

#include <atomic>
#include <cpuid.h>
#include <cstring>
#include <immintrin.h>
#include <openssl/crypto.h>
#include <wmmintrin.h>

namespace velmora {
namespace {

std::atomic<bool> g_forcePortable{false};
std::atomic<bool> g_forceNarrow{false};

// One step of the AES-192 key expansion: `low` holds the last four words of the key so far, the
// low half of `high` the two after them; `assist` is aeskeygenassist of `high`. Both advance by
// six words.
__attribute__((target("aes,sse4.1"))) void Aes192Step(__m128i& low, __m128i& high, __m128i assist)
{
    assist = _mm_shuffle_epi32(assist, 0x55);
    __m128i shifted = _mm_slli_si128(low, 4);
    low = _mm_xor_si128(low, shifted);
    shifted = _mm_slli_si128(shifted, 4);
    low = _mm_xor_si128(low, shifted);
    shifted = _mm_slli_si128(shifted, 4);
    low = _mm_xor_si128(low, shifted);
    low = _mm_xor_si128(low, assist);
    high = _mm_xor_si128(high, _mm_slli_si128(high, 4));
    high = _mm_xor_si128(high, _mm_shuffle_epi32(low, 0xFF));
}

// Round key `index` from the two 64-bit halves `a` and `b`.
__attribute__((target("aes,sse4.1"))) void StoreHalves(Aes192RoundKeys& keys, int index, __m128i a, __m128i b,
                                                       bool highOfA)
{
    const __m128i low = highOfA ? _mm_unpackhi_epi64(a, a) : a;
    _mm_store_si128(reinterpret_cast<__m128i*>(keys.bytes.data()) + index, _mm_unpacklo_epi64(low, b));
}

__attribute__((target("aes,sse4.1"))) void StoreKey(Aes192RoundKeys& keys, int index, __m128i key)
{
    _mm_store_si128(reinterpret_cast<__m128i*>(keys.bytes.data()) + index, key);
}

// Not every compiler's __builtin_cpu_supports knows "vaes": read it from CPUID leaf 7 (ECX bit 9).
bool CpuHasVaes()
{
    unsigned eax = 0;
    unsigned ebx = 0;
    unsigned ecx = 0;
    unsigned edx = 0;
    return __get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx) != 0 && (ecx & (1U << 9)) != 0;
}

} // namespace

bool CpuHasAesNi()
{
    static const bool has = __builtin_cpu_supports("aes") && __builtin_cpu_supports("sse4.1");
    return has;
}

bool AesNiInUse()
{
    return CpuHasAesNi() && !g_forcePortable.load(std::memory_order_relaxed);
}

void ForcePortableAes(bool portable)
{
    g_forcePortable.store(portable, std::memory_order_relaxed);
}

bool WideAesInUse()
{
    static const bool has = CpuHasAesNi() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                            __builtin_cpu_supports("bmi2") && CpuHasVaes();
    return has && !g_forceNarrow.load(std::memory_order_relaxed);
}

void ForceNarrowAes(bool narrow)
{
    g_forceNarrow.store(narrow, std::memory_order_relaxed);
}

// Six key words per step, 52 words in all: every three round keys take two steps, and the
// round keys straddle the steps' halves.
__attribute__((target("aes,sse4.1"))) void ExpandAes192Key(std::span<const unsigned char, 24> key,
                                                           Aes192RoundKeys& keys)
{
    alignas(16) unsigned char padded[32] = {};
    std::memcpy(padded, key.data(), key.size());
    __m128i low = _mm_load_si128(reinterpret_cast<const __m128i*>(padded));
    __m128i high = _mm_load_si128(reinterpret_cast<const __m128i*>(padded + 16));
    OPENSSL_cleanse(padded, sizeof padded);

    StoreKey(keys, 0, low);
    // The two words of `high` before the last step: the first half of the round key that straddles it.
    __m128i previousHigh = high;
    // aeskeygenassist takes its round constant as an immediate, so the eight steps are spelled out.
    const auto step = [&](__m128i assist) {
        previousHigh = high;
        Aes192Step(low, high, assist);
    };
    step(_mm_aeskeygenassist_si128(high, 0x01));
    StoreHalves(keys, 1, previousHigh, low, false);
    StoreHalves(keys, 2, low, high, true);
    step(_mm_aeskeygenassist_si128(high, 0x02));
    StoreKey(keys, 3, low);
    step(_mm_aeskeygenassist_si128(high, 0x04));
    StoreHalves(keys, 4, previousHigh, low, false);
    StoreHalves(keys, 5, low, high, true);
    step(_mm_aeskeygenassist_si128(high, 0x08));
    StoreKey(keys, 6, low);
    step(_mm_aeskeygenassist_si128(high, 0x10));
    StoreHalves(keys, 7, previousHigh, low, false);
    StoreHalves(keys, 8, low, high, true);
    step(_mm_aeskeygenassist_si128(high, 0x20));
    StoreKey(keys, 9, low);
    step(_mm_aeskeygenassist_si128(high, 0x40));
    StoreHalves(keys, 10, previousHigh, low, false);
    StoreHalves(keys, 11, low, high, true);
    step(_mm_aeskeygenassist_si128(high, 0x80));
    StoreKey(keys, 12, low);
}

__attribute__((target("aes,sse4.1"))) void AesNiEncryptBlocks(const Aes192RoundKeys& keys, const unsigned char* in,
                                                              unsigned char* out, std::size_t blocks)
{
    const auto* k = reinterpret_cast<const __m128i*>(keys.bytes.data());
    for (std::size_t b = 0; b < blocks; ++b) {
        __m128i state = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in) + b), k[0]);
        for (int r = 1; r < 12; ++r) {
            state = _mm_aesenc_si128(state, k[r]);
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out) + b, _mm_aesenclast_si128(state, k[12]));
    }
}

} // namespace velmora
