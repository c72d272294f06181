#pragma once

// The plain structure of an account file (check lines, counts, icons, values) as the fuzz input
// describes it, and the enciphered file made from it. Mutating the structure instead of the
// ciphertext reaches every count and limit, which a changed ciphertext byte almost never does.

#include "core/vault/Account.h"
#include "core/vault/AccountFile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::fuzz {

// A number line: the count (or icon) it stands for, or something else in its place.
struct NumberLine
{
    enum Mode : std::uint8_t
    {
        Exact,  // the value itself
        Offset, // the value plus the operand, which may pass 32 bits
        Fixed,  // the operand
        Text,   // any text
        Modes
    };
    std::uint8_t mode = Exact;
    std::int32_t operand = 0;
    std::string text;

    Mode Which() const { return static_cast<Mode>(mode % Modes); }

    // The number the line states in the files' own form, if it is written as one.
    std::optional<long long> Stated(long long value) const
    {
        switch (Which()) {
        case Exact:
            return value;
        case Offset:
            return value + operand;
        case Fixed:
            return operand;
        default:
            return std::nullopt;
        }
    }

    std::string For(long long value) const
    {
        const auto stated = Stated(value);
        return stated ? std::to_string(*stated) : text;
    }

    bool Says(long long value) const { return For(value) == std::to_string(value); }
};

inline constexpr std::uint8_t kWrongCheckLine = 1;       // flag bit: the check line is `checkText`
inline constexpr std::uint8_t kBlockIntoFullAccount = 2; // account flag bit: where the block goes

// Name, URL, login, ID number, password and notes: the order of the file.
using PlainRecord = std::array<std::string, 6>;

struct PlainFolder
{
    std::uint8_t flags = 0;
    std::string checkText;
    std::string name;
    std::int32_t icon = 0;
    NumberLine iconLine;
    NumberLine countLine;
    std::vector<PlainRecord> records;

    bool RightCheckLine() const { return (flags & kWrongCheckLine) == 0; }
};

struct PlainAccount
{
    std::uint8_t flags = 0;
    std::string checkText;
    NumberLine countLine;
    std::vector<PlainFolder> folders;
    // Read afterwards with the folder reader, as a folder file, into the loaded account or into
    // a full one.
    PlainFolder block;

    bool RightCheckLine() const { return (flags & kWrongCheckLine) == 0; }
    bool BlockIntoFullAccount() const { return (flags & kBlockIntoFullAccount) != 0; }
};

// At most this many folders, and records in a folder, are listed. Counts past the limits are
// stated by the count lines alone: a full folder or account would cost a thousand runs.
inline constexpr std::uint8_t kMostListed = 32;

// One layout for both directions: `io` either reads the fields from the input or appends them.
template <typename Io> void Visit(Io& io, NumberLine& line)
{
    io.Byte(line.mode);
    io.Int(line.operand);
    if (line.Which() == NumberLine::Text) {
        io.Text(line.text);
    }
}

template <typename Io, typename Item, typename Each> void VisitList(Io& io, std::vector<Item>& items, Each each)
{
    auto count = static_cast<std::uint8_t>(items.size());
    io.Byte(count);
    items.resize(count % (kMostListed + 1));
    for (Item& item : items) {
        each(item);
    }
}

template <typename Io> void Visit(Io& io, PlainFolder& folder)
{
    io.Byte(folder.flags);
    if (!folder.RightCheckLine()) {
        io.Text(folder.checkText);
    }
    io.Text(folder.name);
    io.Int(folder.icon);
    Visit(io, folder.iconLine);
    Visit(io, folder.countLine);
    VisitList(io, folder.records, [&io](PlainRecord& record) {
        for (std::string& value : record) {
            io.Text(value);
        }
    });
}

template <typename Io> void Visit(Io& io, PlainAccount& account)
{
    io.Byte(account.flags);
    if (!account.RightCheckLine()) {
        io.Text(account.checkText);
    }
    Visit(io, account.countLine);
    VisitList(io, account.folders, [&io](PlainFolder& folder) { Visit(io, folder); });
    Visit(io, account.block);
}

// Reads the fields from the fuzz input; past its end every field is zero or empty, so a short
// input still describes a whole, well-formed account.
class InputReader
{
public:
    InputReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    void Byte(std::uint8_t& value) { value = m_pos < m_size ? m_data[m_pos++] : 0; }

    void Int(std::int32_t& value)
    {
        std::uint32_t bits = 0;
        for (int i = 0; i < 4; ++i) {
            std::uint8_t byte = 0;
            Byte(byte);
            bits |= static_cast<std::uint32_t>(byte) << (8 * i);
        }
        value = static_cast<std::int32_t>(bits);
    }

    // A length byte, then as many bytes as there are.
    void Text(std::string& value)
    {
        std::uint8_t length = 0;
        Byte(length);
        const std::size_t taken = std::min<std::size_t>(length, m_size - m_pos);
        value.assign(reinterpret_cast<const char*>(m_data + m_pos), taken);
        m_pos += taken;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

// Appends the fields as InputReader reads them: the seed corpus is written with it.
class InputWriter
{
public:
    void Byte(const std::uint8_t& value) { m_bytes.push_back(static_cast<char>(value)); }

    void Int(const std::int32_t& value)
    {
        for (int i = 0; i < 4; ++i) {
            Byte(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i)));
        }
    }

    void Text(const std::string& value)
    {
        const std::string_view kept = std::string_view(value).substr(0, 255);
        Byte(static_cast<std::uint8_t>(kept.size()));
        m_bytes += kept;
    }

    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

inline PlainAccount ReadStructure(const std::uint8_t* data, std::size_t size)
{
    PlainAccount account;
    InputReader reader(data, size);
    Visit(reader, account);
    return account;
}

inline std::string StructureInput(PlainAccount account)
{
    InputWriter writer;
    Visit(writer, account);
    return writer.Bytes();
}

// The lines of the structure, enciphered by the account file writer.
class StructureFile
{
public:
    void Add(const PlainAccount& account)
    {
        AddCheckLine(account.RightCheckLine(), kAccountCheckLine, account.checkText);
        AddText(account.countLine.For(static_cast<long long>(account.folders.size())));
        for (const PlainFolder& folder : account.folders) {
            Add(folder);
        }
    }

    void Add(const PlainFolder& folder)
    {
        AddCheckLine(folder.RightCheckLine(), kFolderCheckLine, folder.checkText);
        m_writer.Add(folder.name);
        AddText(folder.iconLine.For(folder.icon));
        AddText(folder.countLine.For(static_cast<long long>(folder.records.size())));
        for (const PlainRecord& record : folder.records) {
            for (const std::string& value : record) {
                m_writer.Add(value);
            }
        }
    }

    std::string Finish(StringCipher& cipher, std::string_view password) const
    {
        return m_writer.Finish(cipher, password);
    }

private:
    void AddCheckLine(bool right, std::string_view line, const std::string& wrong)
    {
        m_writer.Add(right ? line : std::string_view(wrong));
    }

    void AddText(std::string text)
    {
        m_texts.push_back(std::move(text));
        m_writer.Add(m_texts.back());
    }

    AccountFileWriter m_writer;
    std::deque<std::string> m_texts;
};

} // namespace velmora::fuzz
