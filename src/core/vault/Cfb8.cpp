#include "core/vault/Cfb8.h"

#include "core/vault/Cfb8AesNi.h"

#include <algorithm>
#include <cstring>
#include <openssl/crypto.h>
#include <vector>

namespace velmora {
namespace {

constexpr std::size_t kBlock = 16;

// The feedback register before byte `pos` of a value is the last 16 bytes of iv || ciphertext[0, pos).
// The first 16 registers reach into the IV, so they are taken from `head` = iv || ciphertext[0, 16);
// later ones lie wholly inside the ciphertext.
struct Registers
{
    unsigned char head[2 * kBlock];

    Registers(const AesBlock& iv, const unsigned char* ciphertext, std::size_t size)
    {
        std::memcpy(head, iv.data(), kBlock);
        std::memcpy(head + kBlock, ciphertext, std::min(size, kBlock));
    }

    const unsigned char* At(const unsigned char* ciphertext, std::size_t pos) const
    {
        return pos < kBlock ? head + pos : ciphertext + pos - kBlock;
    }
};

bool WideFramesInUse(const AesEcb& aes)
{
    return aes.NativeRoundKeys() != nullptr && AesNiInUse() && WideAesInUse();
}

// Values given apart are copied into frames a few kilobytes at a time, which stay in the caches.
void DecryptAsFrames(const AesEcb& aes, const AesBlock& iv, std::span<const Cfb8Job> jobs)
{
    constexpr std::size_t kFrameBytes = 16 * 1024;
    Cfb8Frames frames(iv, kFrameBytes);
    for (const Cfb8Job& job : jobs) {
        if (job.size == 0) {
            continue; // an empty value may have no buffer at all
        }
        if (frames.Size() > 0 && frames.Size() + kBlock + job.size > kFrameBytes) {
            frames.Decrypt(aes);
        }
        std::memcpy(frames.Add(job.size, job.out), job.in, job.size);
    }
    frames.Decrypt(aes);
}

} // namespace

Cfb8Frames::Cfb8Frames(const AesBlock& iv, std::size_t capacity) : m_iv(iv)
{
    Grow(capacity);
}

Cfb8Frames::~Cfb8Frames()
{
    // A value never deciphered (the caller was cut short) must not keep what its memory held.
    for (const Value& value : m_values) {
        std::memset(value.out, 0, value.size);
    }
}

void Cfb8Frames::Grow(std::size_t bytes)
{
    // The last run of the wide path reads and writes up to kRun bytes past the frames.
    const std::size_t capacity = bytes + kRun;
    auto frames = std::make_unique_for_overwrite<unsigned char[]>(capacity);
    if (m_used > 0) {
        std::memcpy(frames.get(), m_frames.get(), m_used);
    }
    m_frames = std::move(frames);
    m_plain = std::make_unique_for_overwrite<unsigned char[]>(capacity);
    m_capacity = capacity;
}

unsigned char* Cfb8Frames::Add(std::size_t size, unsigned char* out)
{
    if (size == 0) {
        return nullptr;
    }
    if (!HasRoomFor(size)) {
        Grow(std::max(2 * m_capacity, m_used + FrameBytes(size)));
    }
    const std::size_t start = m_used + kBlock;
    std::memcpy(&m_frames[m_used], m_iv.data(), kBlock);
    m_values.push_back({start, out, size});
    m_used = start + size;
    return &m_frames[start];
}

void Cfb8Frames::Decrypt(const AesEcb& aes)
{
    if (m_values.empty()) {
        return;
    }
    const bool wide = WideFramesInUse(aes);
    // The wide path deciphers the frames into `m_plain` at the same places and copies each value
    // from there; the others decipher each value from the frames.
    const unsigned char* const source = wide ? m_plain.get() : m_frames.get();
    m_jobs.clear();
    for (const Value& value : m_values) {
        m_jobs.push_back({source + value.offset, value.out, value.size});
    }
    if (wide) {
        std::memset(&m_frames[m_used], 0, kRun);
        AesNiCfb8DecryptFrames(*aes.NativeRoundKeys(), m_frames.get(), m_used, m_plain.get(), m_jobs);
        OPENSSL_cleanse(m_plain.get(), m_used + kRun);
    } else {
        Cfb8Decrypt(aes, m_iv, m_jobs);
    }
    m_values.clear();
    m_used = 0;
}

void Cfb8Decrypt(const AesEcb& aes, const AesBlock& iv, std::span<const Cfb8Job> jobs)
{
    if (WideFramesInUse(aes)) {
        DecryptAsFrames(aes, iv, jobs);
        return;
    }
    if (const Aes192RoundKeys* keys = aes.NativeRoundKeys(); keys != nullptr && AesNiInUse()) {
        AesNiCfb8Decrypt(*keys, iv, jobs);
        return;
    }
    // Small enough to stay in the first-level caches, large enough to amortise each library call;
    // short values (a settings file holds only those) get buffers of their own size, not 16 KB.
    constexpr std::size_t kLargestBatch = 1024;
    std::size_t total = 0;
    for (const Cfb8Job& job : jobs) {
        total += job.size;
    }
    const std::size_t batch = std::min(kLargestBatch, total);
    std::vector<unsigned char> registers(batch * kBlock);
    std::vector<unsigned char> keystream(batch * kBlock);
    // Runs of consecutive bytes of one value, in the order their registers were queued.
    std::vector<Cfb8Job> runs;
    std::size_t queued = 0;

    const auto flush = [&] {
        aes.EncryptBlocks(registers.data(), keystream.data(), queued);
        const unsigned char* stream = keystream.data();
        for (const Cfb8Job& run : runs) {
            for (std::size_t i = 0; i < run.size; ++i, stream += kBlock) {
                run.out[i] = run.in[i] ^ *stream;
            }
        }
        runs.clear();
        queued = 0;
    };

    for (const Cfb8Job& job : jobs) {
        if (job.size == 0) {
            continue; // an empty value may have no buffer at all
        }
        const Registers value(iv, job.in, job.size);
        std::size_t pos = 0;
        while (pos < job.size) {
            const std::size_t count = std::min(batch - queued, job.size - pos);
            unsigned char* target = &registers[queued * kBlock];
            for (std::size_t i = pos; i < pos + count; ++i, target += kBlock) {
                std::memcpy(target, value.At(job.in, i), kBlock);
            }
            runs.push_back({job.in + pos, job.out + pos, count});
            queued += count;
            pos += count;
            if (queued == batch) {
                flush();
            }
        }
    }
    if (queued > 0) {
        flush();
    }
    OPENSSL_cleanse(keystream.data(), keystream.size());
}

void Cfb8Encrypt(const AesEcb& aes, const AesBlock& iv, std::span<const Cfb8Job> jobs)
{
    if (const Aes192RoundKeys* keys = aes.NativeRoundKeys(); keys != nullptr && AesNiInUse()) {
        AesNiCfb8Encrypt(*keys, iv, jobs);
        return;
    }
    // As many lanes as values, up to a limit, so a single short value does not pay for them all.
    const std::size_t laneCount = std::min<std::size_t>(128, jobs.size());
    // One value in progress; its register head is filled in as its first ciphertext bytes appear.
    struct Lane
    {
        const unsigned char* in;
        unsigned char* out;
        std::size_t size;
        std::size_t pos;
        unsigned char head[2 * kBlock];
    };
    std::vector<Lane> lanes;
    lanes.reserve(laneCount);
    std::vector<unsigned char> registers(laneCount * kBlock);
    std::vector<unsigned char> keystream(laneCount * kBlock);
    std::size_t nextJob = 0;

    // Starts the next non-empty value in `lane`; false when none is left.
    const auto start = [&](Lane& lane) {
        // Values lie scattered in memory: fetch the ones due soon while these are worked on.
        constexpr std::size_t kPrefetchDistance = 32;
#if defined(__GNUC__)
        if (nextJob + kPrefetchDistance < jobs.size()) {
            __builtin_prefetch(jobs[nextJob + kPrefetchDistance].in);
        }
#endif
        while (nextJob < jobs.size()) {
            const Cfb8Job& job = jobs[nextJob++];
            if (job.size > 0) {
                lane.in = job.in;
                lane.out = job.out;
                lane.size = job.size;
                lane.pos = 0;
                std::memcpy(lane.head, iv.data(), kBlock);
                return true;
            }
        }
        return false;
    };
    while (lanes.size() < laneCount) {
        Lane lane;
        if (!start(lane)) {
            break;
        }
        lanes.push_back(lane);
    }

    while (!lanes.empty()) {
        unsigned char* target = registers.data();
        for (const Lane& lane : lanes) {
            const unsigned char* source = lane.pos < kBlock ? lane.head + lane.pos : lane.out + lane.pos - kBlock;
            std::memcpy(target, source, kBlock);
            target += kBlock;
        }
        aes.EncryptBlocks(registers.data(), keystream.data(), lanes.size());
        std::size_t l = 0;
        while (l < lanes.size()) {
            Lane& lane = lanes[l];
            const unsigned char c = lane.in[lane.pos] ^ keystream[l * kBlock];
            lane.out[lane.pos] = c;
            if (lane.pos < kBlock) {
                lane.head[kBlock + lane.pos] = c;
            }
            if (++lane.pos < lane.size || start(lane)) {
                ++l;
                continue;
            }
            // The last lane, not yet advanced in this step, takes this slot with its keystream block.
            lane = lanes.back();
            lanes.pop_back();
            if (l < lanes.size()) {
                std::memcpy(&keystream[l * kBlock], &keystream[lanes.size() * kBlock], kBlock);
            }
        }
    }
    OPENSSL_cleanse(keystream.data(), keystream.size());
}

} // namespace velmora
