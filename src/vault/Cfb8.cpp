#include "vault/Cfb8.h"

#include <cstring>
#include <openssl/crypto.h>
#include <vector>

namespace velmora {
namespace {

constexpr std::size_t kBlock = 16;

// The feedback register before byte `pos` of a value: the last 16 bytes of iv || ciphertext[0, pos).
void CopyRegister(const AesBlock& iv, const unsigned char* ciphertext, std::size_t pos, unsigned char* target)
{
    if (pos >= kBlock) {
        std::memcpy(target, ciphertext + pos - kBlock, kBlock);
    } else {
        std::memcpy(target, iv.data() + pos, kBlock - pos);
        std::memcpy(target + kBlock - pos, ciphertext, pos);
    }
}

} // namespace

void Cfb8Decrypt(const AesEcb& aes, const AesBlock& iv, std::span<const Cfb8Job> jobs)
{
    // Small enough to stay in the first-level caches, large enough to amortise each library call.
    constexpr std::size_t kBatch = 1024;
    std::vector<unsigned char> registers(kBatch * kBlock);
    std::vector<unsigned char> keystream(kBatch * kBlock);
    std::vector<unsigned char*> targets(kBatch);
    std::vector<unsigned char> ciphertext(kBatch);
    std::size_t queued = 0;

    const auto flush = [&] {
        aes.EncryptBlocks(registers.data(), keystream.data(), queued);
        for (std::size_t i = 0; i < queued; ++i) {
            *targets[i] = ciphertext[i] ^ keystream[i * kBlock];
        }
        queued = 0;
    };

    for (const Cfb8Job& job : jobs) {
        for (std::size_t pos = 0; pos < job.size; ++pos) {
            CopyRegister(iv, job.in, pos, &registers[queued * kBlock]);
            targets[queued] = job.out + pos;
            ciphertext[queued] = job.in[pos];
            if (++queued == kBatch) {
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
    constexpr std::size_t kLanes = 128;
    struct Lane
    {
        const Cfb8Job* job;
        std::size_t pos;
    };
    std::vector<Lane> lanes;
    lanes.reserve(kLanes);
    std::vector<unsigned char> registers(kLanes * kBlock);
    std::vector<unsigned char> keystream(kLanes * kBlock);
    std::size_t nextJob = 0;

    const auto takeNextJob = [&]() -> const Cfb8Job* {
        while (nextJob < jobs.size()) {
            const Cfb8Job& job = jobs[nextJob++];
            if (job.size > 0) {
                return &job;
            }
        }
        return nullptr;
    };
    while (lanes.size() < kLanes) {
        const Cfb8Job* job = takeNextJob();
        if (job == nullptr) {
            break;
        }
        lanes.push_back({job, 0});
    }

    while (!lanes.empty()) {
        for (std::size_t l = 0; l < lanes.size(); ++l) {
            CopyRegister(iv, lanes[l].job->out, lanes[l].pos, &registers[l * kBlock]);
        }
        aes.EncryptBlocks(registers.data(), keystream.data(), lanes.size());
        std::size_t l = 0;
        while (l < lanes.size()) {
            Lane& lane = lanes[l];
            lane.job->out[lane.pos] = lane.job->in[lane.pos] ^ keystream[l * kBlock];
            if (++lane.pos < lane.job->size) {
                ++l;
                continue;
            }
            if (const Cfb8Job* job = takeNextJob()) {
                lane = {job, 0};
                ++l;
            } else {
                // The last lane, not yet advanced in this step, takes this slot with its keystream block.
                lane = lanes.back();
                lanes.pop_back();
                if (l < lanes.size()) {
                    std::memcpy(&keystream[l * kBlock], &keystream[lanes.size() * kBlock], kBlock);
                }
            }
        }
    }
    OPENSSL_cleanse(keystream.data(), keystream.size());
}

} // namespace velmora
