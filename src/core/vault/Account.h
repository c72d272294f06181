#pragma once

#include "core/vault/StringCipher.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace velmora {

class AccountFileReader;
class AccountFileWriter;
class TAccount;

// A folder's record count is 16 bits wide, and folder rows are indexed in 16 bits.
inline constexpr std::size_t kMaxRecordsPerFolder = 65535;
inline constexpr std::size_t kMaxFolders = 65536;

// An addition that would pass one of the limits above; nothing was changed.
class VaultLimitError : public std::runtime_error
{
public:
    enum class Limit
    {
        RecordsPerFolder,
        Folders
    };
    explicit VaultLimitError(Limit limit);
    Limit Which() const { return m_limit; }

private:
    Limit m_limit;
};

struct TRecType
{
    std::string Key; // identity during this run only, unique within its folder; never stored
    std::string Name;
    std::string URL;
    std::string IDNumber;
    std::string Login;
    std::string Password;
    std::string Notes;
};

// Result codes of reading an account file or a folder block.
enum class ReadResult : int
{
    Ok = 0,
    NoFile = 1,
    BadCheckLine = 2,   // wrong password or not such a file
    BadFolderBlock = 3, // a folder block inside the account file does not begin with its check line
    Failed = 4          // I/O error, a number line that is no integer, or beyond the limits
};

// What a reader had to make up for: lines it needed past the end of the file, and lines that
// did not decipher. Either way the value read empty.
struct ReadDamage
{
    std::size_t missingLines = 0;
    std::size_t undecipheredLines = 0;

    bool Any() const { return missingLines > 0 || undecipheredLines > 0; }
};

class TFolderType
{
public:
    TFolderType(const TFolderType&) = delete;
    TFolderType& operator=(const TFolderType&) = delete;

    std::string Name;
    std::int32_t ImageIndex = 0;

    std::uint16_t Count() const { return static_cast<std::uint16_t>(m_records.size()); }
    int Index() const { return m_index; }
    const TRecType* First() const { return m_records.empty() ? nullptr : m_records.front().get(); }
    const TRecType* Last() const { return m_records.empty() ? nullptr : m_records.back().get(); }
    // The record at a 0-based position of the chain; the position must exist.
    const TRecType& RecordAt(std::size_t position) const { return *m_records.at(position); }

    // Throws VaultLimitError when the folder already holds kMaxRecordsPerFolder records.
    const TRecType& AddRecord(std::string name, std::string url, std::string login, std::string idNumber,
                              std::string password, std::string notes);
    void EditRecord(std::string_view key, std::string name, std::string url, std::string login, std::string idNumber,
                    std::string password, std::string notes);
    void DeleteRecord(std::string_view key);
    const TRecType* FindRecord(std::string_view key) const;
    // The 0-based position of the record with this key, if the folder holds it.
    std::optional<std::size_t> PositionOf(std::string_view key) const;
    void MoveRecordUp(std::string_view key);
    void MoveRecordDown(std::string_view key);
    // Appends the record to the target folder with a new key and removes it here, marking the
    // account changed. A full target throws VaultLimitError and leaves both folders as they were.
    void MoveRecordToFolder(TAccount& account, std::string_view key, std::int32_t targetIndex);
    // A copy of the record at a 1-based position, key included; the position must exist.
    TRecType GetRecordAt(std::size_t position) const;
    // Drops every record; their texts are wiped first.
    void ClearRecords();

    void WriteFolder(AccountFileWriter& file) const;

private:
    friend class TAccount;
    explicit TFolderType(int index) : m_index(index) {}
    // Room for `count` more records, so reading a large folder does not regrow its storage.
    void Reserve(std::size_t count);
    void SwapContents(TFolderType& other) noexcept;

    // Records never move in memory, so the key index may point into them.
    std::vector<std::unique_ptr<TRecType>> m_records;
    std::unordered_map<std::string_view, TRecType*> m_byKey;
    int m_index;
};

class TAccount
{
public:
    TAccount();
    ~TAccount();
    TAccount(const TAccount&) = delete;
    TAccount& operator=(const TAccount&) = delete;

    std::string Name;     // also the stem of the account's file names
    std::string Password; // exactly as typed: the key text of the cipher
    bool Modified = false;
    std::function<void()> OnChange;

    StringCipher& Cipher() { return m_cipher; }

    std::size_t FolderCount() const { return m_folders.size(); }
    // Throws std::out_of_range for an index at or beyond the folder count.
    TFolderType& Folder(std::size_t index) { return *m_folders.at(index); }
    const TFolderType& Folder(std::size_t index) const { return *m_folders.at(index); }

    // Throws VaultLimitError when the account already holds kMaxFolders folders.
    void AddFolder(std::string name, std::int32_t imageIndex);
    void EditFolder(std::size_t index, std::string name, std::int32_t imageIndex);
    void MoveFolderUp(std::size_t index);
    void MoveFolderDown(std::size_t index);
    void ExchangeFolders(std::size_t a, std::size_t b);
    // An index of -1 (no folder selected) does nothing at all.
    void ClearFolder(int index);
    void DeleteFolder(int index);
    // Drops every folder; the texts of their records are wiped first. Name and password stay.
    void Clear();
    // Clear(), and the password is wiped too: the account is closed.
    void Close();

    // Sets Modified and calls OnChange: what every change of the account ends with.
    void MarkChanged();

    std::string EncipherText(std::string_view value);
    std::optional<std::string> DecipherText(std::string_view line);

    // Throws FileError when the file cannot be written; the previous file then stays as it was.
    void SaveToFile(const std::filesystem::path& fileName);
    // The account file's text, for a writer that saves it together with other files; MarkSaved()
    // ends such a save as SaveToFile ends its own.
    std::string FileContent();
    void MarkSaved();
    ReadResult LoadFromFile(const std::filesystem::path& fileName);
    // What the last LoadFromFile that read the file through had to read as empty values; none
    // after any other outcome.
    const ReadDamage& LastLoadDamage() const { return m_loadDamage; }
    // Reads one folder block and appends it as a new folder: Ok, BadCheckLine or Failed.
    ReadResult ReadFolder(AccountFileReader& file);

    // True while a file is being read: the folders it adds are no change to save.
    bool IsReading() const { return m_readDepth > 0; }

private:
    friend class ReadingScope;
    std::vector<std::unique_ptr<TFolderType>> m_folders;
    StringCipher m_cipher;
    int m_readDepth = 0;
    ReadDamage m_loadDamage;
};

} // namespace velmora
