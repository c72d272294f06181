#include "core/vault/Cfb8AesNi.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <immintrin.h>
#include <openssl/crypto.h>
#include <type_traits>
#include <utility>
#include <vector>
#include <wmmintrin.h>

#define VELMORA_AESNI __attribute__((target("aes,sse4.1")))
#define VELMORA_WIDE_AES __attribute__((target("aes,sse4.1,avx512f,avx512bw,vaes,bmi2")))

namespace velmora {
namespace {

constexpr std::size_t kBlock = 16;
// The AES instructions take several cycles each but start one or two per cycle: eight blocks in
// flight keep them busy while every value's next block still waits for its last one.
constexpr std::size_t kLanes = 8;

// Up to N values that advance side by side; lanes without a value have size 0. Fewer lanes than
// kLanes serve the last few values of a batch, so a single value costs one lane's work.
template <std::size_t N> struct Group
{
    const unsigned char* in[N];
    unsigned char* out[N];
    std::size_t size[N];
    std::size_t longest;
};

// Per-lane staging of one 16-byte chunk of each value, kept by the caller and wiped once at the end.
struct Scratch
{
    // Encryption: the plaintext chunk, read one byte further at every step, and room to read past
    // it. Decryption: the 16 bytes before the chunk (the IV, then the previous chunk) and the chunk.
    alignas(16) unsigned char lane[kLanes][2 * kBlock];
    alignas(16) unsigned char block[kBlock];
};

// The values in order of size, empty ones left out: lanes of a group then end within a few bytes
// of each other. Sizes below kExact are counted into buckets; the rare longer ones are sorted.
std::vector<std::size_t> BySize(std::span<const Cfb8Job> jobs)
{
    constexpr std::size_t kExact = 256;
    std::array<std::size_t, kExact + 1> starts{};
    for (const Cfb8Job& job : jobs) {
        if (job.size > 0) {
            ++starts[std::min(job.size, kExact)];
        }
    }
    std::size_t sum = 0;
    for (std::size_t& start : starts) {
        sum += std::exchange(start, sum);
    }
    std::vector<std::size_t> order(sum);
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (jobs[i].size > 0) {
            order[starts[std::min(jobs[i].size, kExact)]++] = i;
        }
    }
    const auto longOnes = order.begin() + static_cast<std::ptrdiff_t>(starts[kExact - 1]);
    std::sort(longOnes, order.end(), [&](std::size_t a, std::size_t b) { return jobs[a].size < jobs[b].size; });
    return order;
}

// Runs `kernel` on a group of the values order[first, first + N) that exist.
template <std::size_t N, typename Kernel>
void RunGroup(std::span<const Cfb8Job> jobs, const std::vector<std::size_t>& order, std::size_t first, Kernel kernel)
{
    Group<N> group{};
    for (std::size_t l = 0; l < N && first + l < order.size(); ++l) {
        const Cfb8Job& job = jobs[order[first + l]];
        group.in[l] = job.in;
        group.out[l] = job.out;
        group.size[l] = job.size;
        group.longest = std::max(group.longest, job.size);
    }
    kernel(group);
}

// The groups of one window, in order of size: of `Wide` lanes while more than half of them have a
// value, then of kLanes or fewer.
template <std::size_t Wide, typename Kernel> void ForEachGroupOfWindow(std::span<const Cfb8Job> jobs, Kernel kernel)
{
    const std::vector<std::size_t> order = BySize(jobs);
    std::size_t first = 0;
    while (first < order.size()) {
        const std::size_t left = order.size() - first;
        const std::size_t lanes = Wide > kLanes && left > Wide / 2 ? Wide : kLanes;
        // The values lie scattered in memory: fetch the next group's while this one is worked on.
        for (std::size_t l = first + lanes; l < std::min(first + 2 * lanes, order.size()); ++l) {
            __builtin_prefetch(jobs[order[l]].in);
        }
        if (lanes == Wide) {
            RunGroup<Wide>(jobs, order, first, kernel);
        } else if (left > 4) {
            RunGroup<kLanes>(jobs, order, first, kernel);
        } else if (left > 2) {
            RunGroup<4>(jobs, order, first, kernel);
        } else if (left == 2) {
            RunGroup<2>(jobs, order, first, kernel);
        } else {
            RunGroup<1>(jobs, order, first, kernel);
        }
        first += lanes;
    }
}

// Runs `kernel` on the values in groups of about equal size, taken from windows of consecutive
// values: enough for groups of close sizes, few enough that their bytes stay in the caches.
template <std::size_t Wide = kLanes, typename Kernel> void ForEachGroup(std::span<const Cfb8Job> jobs, Kernel kernel)
{
    constexpr std::size_t kWindow = 2048;
    for (std::size_t first = 0; first < jobs.size(); first += kWindow) {
        ForEachGroupOfWindow<Wide>(jobs.subspan(first, std::min(kWindow, jobs.size() - first)), kernel);
    }
}

template <std::size_t N> std::size_t Remaining(const Group<N>& group, std::size_t l, std::size_t offset)
{
    return group.size[l] > offset ? group.size[l] - offset : 0;
}

// Copies up to one block as two fixed-size moves that may overlap: most values end in a short
// chunk, and a library call for each would cost as much as the cipher steps of a few bytes.
inline void CopyUpToBlock(unsigned char* target, const unsigned char* source, std::size_t count)
{
    const auto twoMoves = [&](auto word) {
        constexpr std::size_t size = sizeof word;
        std::memcpy(&word, source, size);
        std::memcpy(target, &word, size);
        std::memcpy(&word, source + count - size, size);
        std::memcpy(target + count - size, &word, size);
    };
    if (count == kBlock) {
        std::memcpy(target, source, kBlock);
    } else if (count >= 8) {
        twoMoves(std::uint64_t{});
    } else if (count >= 4) {
        twoMoves(std::uint32_t{});
    } else if (count >= 2) {
        twoMoves(std::uint16_t{});
    } else if (count == 1) {
        *target = *source;
    }
}

// Copies up to one block of lane `l` from `offset` to `target`.
template <std::size_t N> void LoadChunk(const Group<N>& group, std::size_t l, std::size_t offset, unsigned char* target)
{
    // A lane already past its end (an empty value may have no buffer at all) has nothing to copy.
    const std::size_t count = std::min(kBlock, Remaining(group, l, offset));
    if (count > 0) {
        CopyUpToBlock(target, group.in[l] + offset, count);
    }
}

// The round keys read where they are kept, so no copy of them is left behind.
struct RoundKeys
{
    const __m128i* k;

    explicit RoundKeys(const Aes192RoundKeys& keys) : k(reinterpret_cast<const __m128i*>(keys.bytes.data())) {}
};

// AES-192 of every lane's block whose first round key is already added, the rounds interleaved
// across lanes; the last round adds `last[l]`.
template <std::size_t N>
VELMORA_AESNI inline void Rounds(const RoundKeys& keys, __m128i (&state)[N], const __m128i (&last)[N])
{
#pragma GCC unroll 11
    for (std::size_t r = 1; r < 12; ++r) {
#pragma GCC unroll 8
        for (std::size_t l = 0; l < N; ++l) {
            state[l] = _mm_aesenc_si128(state[l], keys.k[r]);
        }
    }
#pragma GCC unroll 8
    for (std::size_t l = 0; l < N; ++l) {
        state[l] = _mm_aesenclast_si128(state[l], last[l]);
    }
}

// Writes the lane's share of the last `steps` bytes that entered `block` from the right.
template <std::size_t N>
VELMORA_AESNI inline void StoreChunk(const Group<N>& group, std::size_t l, std::size_t offset, std::size_t steps,
                                     __m128i block, Scratch& scratch)
{
    const std::size_t count = std::min(steps, Remaining(group, l, offset));
    if (count == 0) {
        return; // as in LoadChunk: no pointer into a lane that has ended
    }
    _mm_store_si128(reinterpret_cast<__m128i*>(scratch.block), block);
    CopyUpToBlock(group.out[l] + offset, scratch.block + kBlock - steps, count);
}

// The feedback register of each lane stays in a vector register: each step enciphers it, adds the
// plaintext byte through the last round key, and shifts the resulting ciphertext byte in. After 16
// steps the register is the chunk's ciphertext.
template <std::size_t N>
VELMORA_AESNI void EncryptGroup(const RoundKeys& keys, __m128i iv, const Group<N>& group, Scratch& scratch)
{
    // The next step's input is made from the new register at once, without a trip through memory.
    __m128i shift[N];
    __m128i state[N];
    for (std::size_t l = 0; l < N; ++l) {
        shift[l] = iv;
        state[l] = _mm_xor_si128(iv, keys.k[0]);
    }
    for (std::size_t offset = 0; offset < group.longest; offset += kBlock) {
        const std::size_t steps = std::min(kBlock, group.longest - offset);
        for (std::size_t l = 0; l < N; ++l) {
            LoadChunk(group, l, offset, scratch.lane[l]);
        }
        for (std::size_t j = 0; j < steps; ++j) {
            __m128i last[N];
#pragma GCC unroll 8
            for (std::size_t l = 0; l < N; ++l) {
                last[l] =
                    _mm_xor_si128(keys.k[12], _mm_loadu_si128(reinterpret_cast<const __m128i*>(scratch.lane[l] + j)));
            }
            Rounds(keys, state, last);
#pragma GCC unroll 8
            for (std::size_t l = 0; l < N; ++l) {
                shift[l] = _mm_alignr_epi8(state[l], shift[l], 1);
                state[l] = _mm_xor_si128(shift[l], keys.k[0]);
            }
        }
        for (std::size_t l = 0; l < N; ++l) {
            StoreChunk(group, l, offset, steps, shift[l], scratch);
        }
    }
}

// Every register is known beforehand, a 16-byte window of IV and ciphertext, so the steps do not
// wait on each other. Each step's keystream byte is shifted into `stream`, which after 16 steps
// holds the keystream of the whole chunk.
template <std::size_t N>
VELMORA_AESNI void DecryptGroup(const RoundKeys& keys, __m128i iv, const Group<N>& group, Scratch& scratch)
{
    __m128i last[N];
    for (std::size_t l = 0; l < N; ++l) {
        _mm_store_si128(reinterpret_cast<__m128i*>(scratch.lane[l]), iv);
        last[l] = keys.k[12];
    }
    for (std::size_t offset = 0; offset < group.longest; offset += kBlock) {
        const std::size_t steps = std::min(kBlock, group.longest - offset);
        for (std::size_t l = 0; l < N; ++l) {
            LoadChunk(group, l, offset, scratch.lane[l] + kBlock);
        }
        __m128i stream[N] = {};
        for (std::size_t j = 0; j < steps; ++j) {
            __m128i state[N];
#pragma GCC unroll 8
            for (std::size_t l = 0; l < N; ++l) {
                state[l] =
                    _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(scratch.lane[l] + j)), keys.k[0]);
            }
            Rounds(keys, state, last);
#pragma GCC unroll 8
            for (std::size_t l = 0; l < N; ++l) {
                stream[l] = _mm_alignr_epi8(state[l], stream[l], 1);
            }
        }
        for (std::size_t l = 0; l < N; ++l) {
            // The keystream of a short chunk sits at the top of `stream`: line the ciphertext up with it.
            const __m128i aligned = _mm_loadu_si128(reinterpret_cast<const __m128i*>(scratch.lane[l] + steps));
            StoreChunk(group, l, offset, steps, _mm_xor_si128(stream[l], aligned), scratch);
            auto* lane = reinterpret_cast<__m128i*>(scratch.lane[l]);
            _mm_store_si128(lane, _mm_load_si128(lane + 1));
        }
    }
}

// The round keys in each 128-bit part of a 512-bit register, wiped when done.
struct WideRoundKeys
{
    __m512i k[13];

    VELMORA_WIDE_AES explicit WideRoundKeys(const RoundKeys& keys)
    {
        for (std::size_t r = 0; r < 13; ++r) {
            k[r] = Broadcast(keys.k[r]);
        }
    }
    ~WideRoundKeys() { OPENSSL_cleanse(k, sizeof k); }
    WideRoundKeys(const WideRoundKeys&) = delete;
    WideRoundKeys& operator=(const WideRoundKeys&) = delete;

    // The masked broadcast: the plain one reads an undefined register that the compiler warns about.
    VELMORA_WIDE_AES static __m512i Broadcast(__m128i block) { return _mm512_maskz_broadcast_i32x4(0xFFFF, block); }
};

// Encryption with the wide AES instructions: four lanes share a 512-bit register, and eight such
// registers keep 32 values advancing side by side.
constexpr std::size_t kWideLanes = 32;

struct WideScratch
{
    alignas(64) unsigned char chunk[kWideLanes][kBlock];
};

template <std::size_t N>
VELMORA_WIDE_AES void WideEncryptGroup(const __m512i (&keys)[13], const __m512i& iv, const Group<N>& group,
                                       WideScratch& scratch)
{
    constexpr std::size_t kRegisters = N / 4;
    __m512i shift[kRegisters];
    __m512i state[kRegisters];
    for (std::size_t h = 0; h < kRegisters; ++h) {
        shift[h] = iv;
        state[h] = _mm512_xor_si512(iv, keys[0]);
    }
    for (std::size_t offset = 0; offset < group.longest; offset += kBlock) {
        const std::size_t steps = std::min(kBlock, group.longest - offset);
        for (std::size_t l = 0; l < N; ++l) {
            LoadChunk(group, l, offset, scratch.chunk[l]);
        }
        // Each lane's next plaintext byte is the lowest of its part of `plain`.
        __m512i plain[kRegisters];
        for (std::size_t h = 0; h < kRegisters; ++h) {
            plain[h] = _mm512_load_si512(scratch.chunk[4 * h]);
        }
        for (std::size_t j = 0; j < steps; ++j) {
#pragma GCC unroll 8
            for (std::size_t h = 0; h < kRegisters; ++h) {
                const __m512i last = _mm512_xor_si512(keys[12], plain[h]);
                plain[h] = _mm512_bsrli_epi128(plain[h], 1);
#pragma GCC unroll 11
                for (std::size_t r = 1; r < 12; ++r) {
                    state[h] = _mm512_aesenc_epi128(state[h], keys[r]);
                }
                state[h] = _mm512_aesenclast_epi128(state[h], last);
                shift[h] = _mm512_alignr_epi8(state[h], shift[h], 1);
                state[h] = _mm512_xor_si512(shift[h], keys[0]);
            }
        }
        for (std::size_t h = 0; h < kRegisters; ++h) {
            _mm512_store_si512(scratch.chunk[4 * h], shift[h]);
        }
        for (std::size_t l = 0; l < N; ++l) {
            const std::size_t count = std::min(steps, Remaining(group, l, offset));
            if (count > 0) {
                CopyUpToBlock(group.out[l] + offset, scratch.chunk[l] + kBlock - steps, count);
            }
        }
    }
}

VELMORA_WIDE_AES void WideCfb8Encrypt(const Aes192RoundKeys& keys, const AesBlock& iv, std::span<const Cfb8Job> jobs)
{
    const RoundKeys roundKeys(keys);
    const __m128i start = _mm_loadu_si128(reinterpret_cast<const __m128i*>(iv.data()));
    const WideRoundKeys wideKeys(roundKeys);
    const __m512i wideStart = WideRoundKeys::Broadcast(start);
    WideScratch wide{};
    Scratch scratch{};
    ForEachGroup<kWideLanes>(jobs, [&](const auto& group) {
        if constexpr (std::extent_v<decltype(group.size)> == kWideLanes) {
            WideEncryptGroup(wideKeys.k, wideStart, group, wide);
        } else {
            EncryptGroup(roundKeys, start, group, scratch);
        }
    });
    OPENSSL_cleanse(&wide, sizeof wide);
    OPENSSL_cleanse(&scratch, sizeof scratch);
}

// Deciphering frames with the wide AES instructions: four feedback registers share a 512-bit
// register, and a run of 64 bytes needs no per-value work at all.
template <int Step> VELMORA_WIDE_AES inline __m512i Window(__m512i current, __m512i previous)
{
    if constexpr (Step == 0) {
        return previous;
    } else {
        return _mm512_alignr_epi8(current, previous, Step);
    }
}

// Eight steps from `First` on, their rounds interleaved; lane l of step s holds the register of
// byte 16 l + s of the run. Each keystream byte is shifted into `stream`, which after 16 steps
// holds the keystream of the run.
template <int First>
VELMORA_WIDE_AES inline void WideSteps(const __m512i (&keys)[13], __m512i previous, __m512i current, __m512i& stream)
{
    __m512i state[8];
    state[0] = _mm512_xor_si512(Window<First>(current, previous), keys[0]);
    state[1] = _mm512_xor_si512(Window<First + 1>(current, previous), keys[0]);
    state[2] = _mm512_xor_si512(Window<First + 2>(current, previous), keys[0]);
    state[3] = _mm512_xor_si512(Window<First + 3>(current, previous), keys[0]);
    state[4] = _mm512_xor_si512(Window<First + 4>(current, previous), keys[0]);
    state[5] = _mm512_xor_si512(Window<First + 5>(current, previous), keys[0]);
    state[6] = _mm512_xor_si512(Window<First + 6>(current, previous), keys[0]);
    state[7] = _mm512_xor_si512(Window<First + 7>(current, previous), keys[0]);
#pragma GCC unroll 11
    for (std::size_t r = 1; r < 12; ++r) {
#pragma GCC unroll 8
        for (std::size_t s = 0; s < 8; ++s) {
            state[s] = _mm512_aesenc_epi128(state[s], keys[r]);
        }
    }
#pragma GCC unroll 8
    for (std::size_t s = 0; s < 8; ++s) {
        stream = _mm512_alignr_epi8(_mm512_aesenclast_epi128(state[s], keys[12]), stream, 1);
    }
}

// Most values are shorter than 64 bytes: masked moves instead of a library call for each.
VELMORA_WIDE_AES inline void CopyWide(unsigned char* target, const unsigned char* source, std::size_t count)
{
    constexpr std::size_t kRun = 64;
    for (; count >= kRun; count -= kRun, source += kRun, target += kRun) {
        _mm512_storeu_si512(target, _mm512_loadu_si512(source));
    }
    const __mmask64 rest = _bzhi_u64(~std::uint64_t{0}, static_cast<unsigned>(count));
    _mm512_mask_storeu_epi8(target, rest, _mm512_maskz_loadu_epi8(rest, source));
}

} // namespace

VELMORA_AESNI void AesNiCfb8Encrypt(const Aes192RoundKeys& keys, const AesBlock& iv, std::span<const Cfb8Job> jobs)
{
    if (WideAesInUse()) {
        WideCfb8Encrypt(keys, iv, jobs);
        return;
    }
    const RoundKeys roundKeys(keys);
    const __m128i start = _mm_loadu_si128(reinterpret_cast<const __m128i*>(iv.data()));
    Scratch scratch{};
    ForEachGroup(jobs, [&](const auto& group) { EncryptGroup(roundKeys, start, group, scratch); });
    OPENSSL_cleanse(&scratch, sizeof scratch);
}

VELMORA_WIDE_AES void AesNiCfb8DecryptFrames(const Aes192RoundKeys& keys, const unsigned char* frames, std::size_t size,
                                             unsigned char* plain, std::span<const Cfb8Job> values)
{
    const WideRoundKeys wideKeys{RoundKeys(keys)};
    // The first value starts behind the first IV.
    for (std::size_t p = kBlock; p < size; p += Cfb8Frames::kRun) {
        const __m512i previous = _mm512_loadu_si512(frames + p - kBlock);
        const __m512i current = _mm512_loadu_si512(frames + p);
        __m512i stream = _mm512_setzero_si512();
        WideSteps<0>(wideKeys.k, previous, current, stream);
        WideSteps<8>(wideKeys.k, previous, current, stream);
        _mm512_storeu_si512(plain + p, _mm512_xor_si512(stream, current));
    }
    for (const Cfb8Job& value : values) {
        CopyWide(value.out, value.in, value.size);
    }
}

VELMORA_AESNI void AesNiCfb8Decrypt(const Aes192RoundKeys& keys, const AesBlock& iv, std::span<const Cfb8Job> jobs)
{
    const RoundKeys roundKeys(keys);
    const __m128i start = _mm_loadu_si128(reinterpret_cast<const __m128i*>(iv.data()));
    Scratch scratch{};
    ForEachGroup(jobs, [&](const auto& group) { DecryptGroup(roundKeys, start, group, scratch); });
    OPENSSL_cleanse(&scratch, sizeof scratch);
}

} // namespace velmora
