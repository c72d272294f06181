#pragma once

#include "core/os/AtomicFile.h"
#include "core/vault/CodePage.h"
#include "core/vault/Secret.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

namespace velmora {

// What each code page byte becomes in an output, so a conversion is one table look-up a byte.
class CodePageTable
{
public:
    static constexpr std::size_t kMaxSequence = 8;

    // `shape` gives what the output holds for a byte, at most kMaxSequence bytes.
    explicit CodePageTable(const std::function<std::string(char byte)>& shape)
    {
        for (int byte = 0; byte < 256; ++byte) {
            const std::string sequence = shape(static_cast<char>(byte));
            std::copy_n(sequence.begin(), std::min(sequence.size(), kMaxSequence), m_sequence[byte].begin());
            m_length[byte] = static_cast<std::uint8_t>(std::min(sequence.size(), kMaxSequence));
        }
    }

    const char* Sequence(unsigned char byte) const { return m_sequence[byte].data(); }
    std::size_t Length(unsigned char byte) const { return m_length[byte]; }

private:
    std::array<std::array<char, kMaxSequence>, 256> m_sequence{};
    std::array<std::uint8_t, 256> m_length{};
};

// The code page bytes as they are.
inline const CodePageTable& CodePageBytes()
{
    static const CodePageTable table([](char byte) { return std::string(1, byte); });
    return table;
}

// The code page bytes as UTF-8.
inline const CodePageTable& Utf8Bytes()
{
    static const CodePageTable table([](char byte) { return CodePageToUtf8(std::string_view(&byte, 1)); });
    return table;
}

// Collects an output and hands it to a writer a buffer at a time; what it held is wiped, for an
// export holds passwords in the clear. Flush() hands over the rest: a buffer destroyed without it
// drops what it holds (the output failed).
class ExportBuffer
{
public:
    explicit ExportBuffer(const PieceWriter& write) : m_write(write), m_buffer(kCapacity, '\0') {}
    ~ExportBuffer() { Wipe(m_buffer); }
    ExportBuffer(const ExportBuffer&) = delete;
    ExportBuffer& operator=(const ExportBuffer&) = delete;

    void Append(std::string_view text)
    {
        if (text.size() > kCapacity - m_used) {
            Flush();
        }
        if (text.size() > kCapacity) {
            m_write(text);
            return;
        }
        std::memcpy(m_buffer.data() + m_used, text.data(), text.size());
        m_used += text.size();
    }

    // Code page bytes as the table gives them.
    void Append(std::string_view bytes, const CodePageTable& table)
    {
        while (!bytes.empty()) {
            // Each byte copies a whole table entry and keeps as much of it as its length says.
            const std::size_t fits = (kCapacity - m_used) / CodePageTable::kMaxSequence;
            if (fits == 0) {
                Flush();
                continue;
            }
            const std::size_t count = std::min(fits, bytes.size());
            char* out = m_buffer.data() + m_used;
            for (std::size_t i = 0; i < count; ++i) {
                const auto byte = static_cast<unsigned char>(bytes[i]);
                std::memcpy(out, table.Sequence(byte), CodePageTable::kMaxSequence);
                out += table.Length(byte);
            }
            m_used = static_cast<std::size_t>(out - m_buffer.data());
            bytes.remove_prefix(count);
        }
    }

    void Flush()
    {
        if (m_used > 0) {
            m_write(std::string_view(m_buffer.data(), m_used));
            m_used = 0;
        }
    }

private:
    static constexpr std::size_t kCapacity = 1 << 16;

    const PieceWriter& m_write;
    std::string m_buffer;
    std::size_t m_used = 0;
};

} // namespace velmora
