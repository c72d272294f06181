#pragma once

#include "core/vault/Account.h"
#include "core/vault/StringCipher.h"

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

inline constexpr std::string_view kAccountCheckLine = "account_check_line";
inline constexpr std::string_view kFolderCheckLine = "folder_check_line";

// Collects the values of an account file or folder file in order and enciphers them all at once
// into lines ended by CR LF.
class AccountFileWriter
{
public:
    // The value must stay alive until Finish().
    void Add(std::string_view value) { m_values.push_back(value); }
    void AddNumber(long long number);
    std::string Finish(StringCipher& cipher, std::string_view keyText) const;

private:
    std::vector<std::string_view> m_values;
    std::deque<std::string> m_numbers;
};

// The values of an account file or folder file, line by line. A line ends at LF or CR LF, and
// a CR elsewhere is dropped. Lines are deciphered in growing batches, so a wrong password costs
// one line and a large file goes through the cipher in bulk.
class AccountFileReader
{
public:
    // `keyText` must stay alive while the reader is used.
    AccountFileReader(std::string content, StringCipher& cipher, std::string_view keyText);

    // The next line's value. Past the end of the file, and for a line that does not decipher,
    // the value is empty: a damaged line never takes another record's value.
    std::string NextValue();

    std::size_t RemainingLines() const { return m_lines.size() - std::min(m_nextLine, m_lines.size()); }

    // The damage met by the values read so far.
    const ReadDamage& Damage() const { return m_damage; }

private:
    void SplitLines();
    void DecipherNextBatch();

    std::string m_content;
    std::deque<std::string> m_cleanedLines; // lines that held a stray CR, without it
    std::vector<std::string_view> m_lines;
    StringCipher& m_cipher;
    std::string_view m_keyText;

    std::vector<std::optional<std::string>> m_batch;
    std::size_t m_batchStart = 0; // line index of m_batch[0]
    std::size_t m_nextLine = 0;
    ReadDamage m_damage;
};

// A decimal integer as the files write it (optional sign, digits) that fits 32 bits.
std::optional<std::int32_t> ParseFileInteger(std::string_view text);

} // namespace velmora
