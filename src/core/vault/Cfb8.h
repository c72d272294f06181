#pragma once

#include "core/vault/AesEcb.h"

#include <memory>
#include <span>
#include <vector>

namespace velmora {

// One value for CFB mode with 8-bit feedback: `size` bytes from `in` to `out`. Encryption may work
// in place (in == out); decryption needs separate buffers.
struct Cfb8Job
{
    const unsigned char* in;
    unsigned char* out;
    std::size_t size;
};

// Every job restarts its feedback register at `iv`. With a 192-bit key on a processor with AES
// instructions, both run on those (Cfb8AesNi.h; with the 512-bit ones, decryption goes through
// Cfb8Frames); otherwise on the library's block cipher:
//
// Decryption knows every register in advance (they are windows of the ciphertext), so all
// keystream blocks go to the block cipher in large batches. Encryption is serial inside a value,
// so many values advance side by side and each step enciphers one block of each in a single call.
void Cfb8Encrypt(const AesEcb& aes, const AesBlock& iv, std::span<const Cfb8Job> jobs);
void Cfb8Decrypt(const AesEcb& aes, const AesBlock& iv, std::span<const Cfb8Job> jobs);

// Values laid out for deciphering: each value's ciphertext right behind a copy of the IV, one
// value after another, so the feedback register of every byte is simply the 16 bytes before it and
// the wide AES instructions decipher 64 bytes at a time without regard to where values begin (the
// keystream of the IV's own bytes is not used). Without them, each value is deciphered as a job.
class Cfb8Frames
{
public:
    // The wide path works on runs of this many bytes.
    static constexpr std::size_t kRun = 64;

    // `capacity`: the bytes of frames expected before each Decrypt (it grows for a longer value).
    Cfb8Frames(const AesBlock& iv, std::size_t capacity);
    // Values added but not deciphered are cleared.
    ~Cfb8Frames();
    Cfb8Frames(const Cfb8Frames&) = delete;
    Cfb8Frames& operator=(const Cfb8Frames&) = delete;

    // Room for the next value's `size` bytes of ciphertext, to be deciphered into `out`; valid
    // until the next call. Nothing for an empty value.
    unsigned char* Add(std::size_t size, unsigned char* out);

    // The bytes laid out so far.
    std::size_t Size() const { return m_used; }
    // The bytes a value of `size` bytes takes in the frames.
    static constexpr std::size_t FrameBytes(std::size_t size) { return std::tuple_size_v<AesBlock> + size; }
    // Whether a value of `size` bytes can be added without the frames growing.
    bool HasRoomFor(std::size_t size) const { return m_used + FrameBytes(size) + kRun <= m_capacity; }

    // Deciphers every value added into its `out`, then starts empty.
    void Decrypt(const AesEcb& aes);

private:
    // Where a value's ciphertext begins in the frames, and where it goes.
    struct Value
    {
        std::size_t offset;
        unsigned char* out;
        std::size_t size;
    };

    void Grow(std::size_t bytes);

    AesBlock m_iv;
    // Neither buffer is cleared when made: only what was laid out is read, and the frames' last
    // run is padded before it is deciphered. Plain text is in `m_plain` only during Decrypt, which
    // wipes what it wrote, so the buffer is not wiped again when it goes.
    std::size_t m_capacity = 0;
    std::unique_ptr<unsigned char[]> m_frames;
    std::unique_ptr<unsigned char[]> m_plain;
    std::size_t m_used = 0;
    std::vector<Value> m_values;
    std::vector<Cfb8Job> m_jobs;
};

} // namespace velmora
