#pragma once

#include "core/vault/Account.h"
#include "core/vault/StringCipher.h"

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
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
// a CR elsewhere is dropped. A file is read a piece at a time, and the records of a folder go
// through the cipher in bulk straight into their own storage, keeping the lines they came from.
class AccountFileReader
{
public:
    // `keyText` must stay alive while the reader is used.
    AccountFileReader(std::string content, StringCipher& cipher, std::string_view keyText);
    // Reads the file as ReadWholeFile would, without holding it whole; throws FileError.
    AccountFileReader(const std::filesystem::path& file, StringCipher& cipher, std::string_view keyText);
    ~AccountFileReader();
    AccountFileReader(const AccountFileReader&) = delete;
    AccountFileReader& operator=(const AccountFileReader&) = delete;

    // The next line's value. Past the end of the file, and for a line that does not decipher,
    // the value is empty: a damaged line never takes another record's value.
    std::string NextValue();

    // Appends `count` records of six values each to the folder, values read as NextValue reads
    // them, their buffers in the arena of the folder's account. Throws FileError.
    void ReadRecords(std::size_t count, TFolderType& folder, RecordArena& arena);

    // No more than this many lines are left.
    std::size_t RemainingLinesAtMost() const;

    // The damage met by the values read so far.
    const ReadDamage& Damage() const { return m_damage; }

    // The cipher the lines are read with: lines kept from another one are of no use to a save.
    const StringCipher& Cipher() const { return m_cipher; }

private:
    // The next whole line in the buffer, CRs dropped; nothing when the buffer holds none, then
    // either the input has ended or Refill() brings more.
    std::optional<std::string_view> BufferedLine();
    bool AtEnd() const { return m_fileEnded && m_begin == m_end; }
    // Moves what is left to the front of the buffer and reads more: lines taken before are gone.
    void Refill();
    // The next line, or nothing at the end of the input; may refill, so `pending` lines are
    // deciphered first.
    std::optional<std::string_view> NextLine(const std::function<void()>& beforeRefill);
    // The bytes of the input not yet taken: those read and those still to read.
    std::size_t RemainingBytes() const;

    std::unique_ptr<FileChunkReader> m_file;
    std::size_t m_piece = 0; // what the buffer holds at least, once read into
    std::string m_buffer;
    std::size_t m_begin = 0; // the first byte not yet taken
    std::size_t m_end = 0;   // the end of the bytes read
    bool m_fileEnded = false;
    std::uintmax_t m_fileBytesRead = 0;
    StringCipher& m_cipher;
    std::string_view m_keyText;
    ReadDamage m_damage;
    // Kept from folder to folder: made again for each, their memory would be fresh pages each time.
    std::unique_ptr<StringCipher::LineDecipherer> m_decipherer;
    std::vector<std::string_view> m_recordLines;
};

// A decimal integer as the files write it (optional sign, digits) that fits 32 bits.
std::optional<std::int32_t> ParseFileInteger(std::string_view text);

} // namespace velmora
