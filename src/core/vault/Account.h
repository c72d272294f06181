#pragma once

#include "core/os/AtomicFile.h"
#include "core/vault/RecordArena.h"
#include "core/vault/RecordKey.h"
#include "core/vault/SealedText.h"
#include "core/vault/StringCipher.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
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

// A record keeps its six values in one buffer, followed by their ciphertext as the account file
// holds it before Base64, so a save enciphers again only the records that changed. A record a
// reader made has its buffer in its account's arena; any other owns its buffer. The values are
// only read: a record changes through its folder. Their views stay valid until the record is
// changed or dropped, and the values are wiped when it goes.
class TRecType
{
public:
    TRecType() = default;
    TRecType(const TRecType& other);
    TRecType& operator=(const TRecType& other);
    TRecType(TRecType&& other) noexcept;
    TRecType& operator=(TRecType&& other) noexcept;
    ~TRecType();

    RecordKey Key; // identity during this run only, unique within its folder; never stored

    std::string_view Name() const { return Value(0); }
    std::string_view URL() const { return Value(1); }
    std::string_view Login() const { return Value(2); }
    std::string_view IDNumber() const { return Value(3); }
    std::string_view Password() const { return Value(4); }
    std::string_view Notes() const { return Value(5); }

private:
    friend class TFolderType;
    friend class TAccount;
    friend class AccountFileReader;

    static constexpr std::size_t kFields = 6;
    using Sizes = std::array<std::size_t, kFields>;

    // A record with room for values of these sizes, in file order, and for their ciphertext; both
    // still to be written. Throws std::length_error past 4 GiB of values.
    static TRecType WithSizes(const Sizes& sizes);
    static TRecType WithValues(const std::array<std::string_view, kFields>& values);
    // Like WithSizes, with the buffer in the arena where it has room.
    static TRecType InArena(const Sizes& sizes, RecordArena& arena);

    // Fields are numbered in the order the file holds them.
    std::size_t Begin(std::size_t field) const { return field == 0 ? 0 : m_ends[field - 1]; }
    std::string_view Value(std::size_t field) const { return {m_bytes + Begin(field), m_ends[field] - Begin(field)}; }
    std::size_t ValueBytes() const { return m_ends[kFields - 1]; }
    char* ValuePlace(std::size_t field) { return m_bytes + Begin(field); }
    // The ciphertext of a field is as long as its value.
    char* CipherTextPlace(std::size_t field) { return ValuePlace(field) + ValueBytes(); }
    // The lines of all fields as the file holds them, each followed by CR LF: LinesLength() bytes.
    std::size_t LinesLength() const;
    char* WriteLines(char* out) const;
    // Records need not lie one after another (an edited one has its own buffer), beyond the
    // processor's guess: a writer asks for the ciphertext of a record a few ahead of the one it writes.
    void PrefetchCipherText() const;
    // Sets the value ends and returns the size of the buffer they need; throws std::length_error
    // past 4 GiB of values.
    std::size_t SetSizes(const Sizes& sizes);
    // Room of its own for the values and their ciphertext, as the value ends ask.
    void MakeOwnBuffer();
    void Release() noexcept;

    std::array<std::uint32_t, kFields> m_ends{}; // where each value ends in m_bytes
    bool m_hasCipherText = false;                // made of the values, with the key the account last enciphered with
    bool m_ownsBytes = false;                    // else they lie in the account's arena
    char* m_bytes = nullptr;
};

// One of a record's fields, by its reader.
using RecordField = std::string_view (TRecType::*)() const;

// Result codes of reading an account file or a folder block.
enum class ReadResult : int
{
    Ok = 0,
    NoFile = 1,
    BadCheckLine = 2,   // wrong password or not such a file
    BadFolderBlock = 3, // a folder block inside the account file does not begin with its check line
    Failed = 4,         // I/O error, a number line that is no integer, or beyond the limits
    SealChanged = 5     // a sealed file changed outside the program: nothing of it is read
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
    const TRecType* First() const { return m_records.empty() ? nullptr : &m_records.front(); }
    const TRecType* Last() const { return m_records.empty() ? nullptr : &m_records.back(); }
    // The record at a 0-based position of the chain; the position must exist.
    const TRecType& RecordAt(std::size_t position) const { return m_records.at(position); }

    // Throws VaultLimitError when the folder already holds kMaxRecordsPerFolder records.
    const TRecType& AddRecord(std::string_view name, std::string_view url, std::string_view login,
                              std::string_view idNumber, std::string_view password, std::string_view notes);
    void EditRecord(std::string_view key, std::string_view name, std::string_view url, std::string_view login,
                    std::string_view idNumber, std::string_view password, std::string_view notes);
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
    friend class AccountFileReader;
    explicit TFolderType(int index) : m_index(index) {}
    // Room for `count` more records, so reading a large folder does not regrow its storage.
    void Reserve(std::size_t count);
    void SwapContents(TFolderType& other) noexcept;
    // Gives the record a new key (or the key of `id`, a new id no other record has) and appends it;
    // throws VaultLimitError as AddRecord does.
    const TRecType& AppendRecord(TRecType record);
    TRecType& AppendRecord(TRecType record, RecordId id);
    // Where m_byId lists the record with this id or key, if the folder holds it.
    std::optional<std::size_t> EntryOf(RecordId id) const;
    std::optional<std::size_t> EntryOf(std::string_view key) const;
    // Exchanges the record that m_byId lists at `entry` with the record at a neighbouring position.
    void SwapWithNeighbour(std::size_t entry, std::size_t neighbour);

    std::vector<TRecType> m_records;
    std::vector<RecordId> m_ids; // the records' ids in the same order
    // The positions of the records ordered by their ids, so a key is found by binary search. Ids
    // are issued in increasing order, so an appended record's position simply goes last; two
    // bytes a record, as any position of a full folder fits in 16 bits.
    std::vector<std::uint16_t> m_byId;
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
    // Drops every folder and the seal key; the texts of their records are wiped first. Name and
    // password stay.
    void Clear();
    // Clear(), and the password is wiped too: the account is closed.
    void Close();

    // Sets Modified and calls OnChange: what every change of the account ends with.
    void MarkChanged();

    std::string EncipherText(std::string_view value);
    std::optional<std::string> DecipherText(std::string_view line);

    // Sealed under the seal key when there is one. Throws FileError when the file cannot be
    // written; the previous file then stays as it was.
    void SaveToFile(const std::filesystem::path& fileName);
    // The account file's content in pieces, for a writer that saves it together with other files;
    // MarkSaved() ends such a save as SaveToFile ends its own. Only values changed since the last
    // load or save are enciphered again, or all of them when the password changed.
    OutputProducer FileContent();
    void MarkSaved();
    ReadResult LoadFromFile(const std::filesystem::path& fileName);
    // What the last LoadFromFile that read the file through had to read as empty values; none
    // after any other outcome.
    const ReadDamage& LastLoadDamage() const { return m_loadDamage; }
    // Reads one folder block and appends it as a new folder: Ok, BadCheckLine or Failed.
    ReadResult ReadFolder(AccountFileReader& file);

    // The key a sealed account's files are sealed under, kept from the open so a save derives
    // nothing; none for a plain account. Set by LoadFromFile, by sealing and by a password change.
    const std::optional<SealKey>& Seal() const { return m_seal; }
    bool IsSealed() const { return m_seal.has_value(); }
    void SetSeal(std::optional<SealKey> key) { m_seal = std::move(key); }
    // After a password change a sealed account stays sealed under a key of the new password, at
    // the same cost (an Argon2id run); a plain account is left as it is.
    void SealUnderPassword()
    {
        if (m_seal) {
            m_seal = SealKey::Derive(Password, m_seal->Cost());
        }
    }

    // True while a file is being read: the folders it adds are no change to save.
    bool IsReading() const { return m_readDepth > 0; }

private:
    friend class ReadingScope;
    void WriteFileContent(const PieceWriter& write);
    // Enciphers every record that has no ciphertext, or all records when the key changed.
    void UpdateRecordCipherText();

    RecordArena m_arena; // before the folders, so their records go first
    std::vector<std::unique_ptr<TFolderType>> m_folders;
    StringCipher m_cipher;
    std::uint64_t m_cipherTextGeneration = 0; // the cipher's key generation of the records' ciphertext
    int m_readDepth = 0;
    ReadDamage m_loadDamage;
    std::optional<SealKey> m_seal;
};

} // namespace velmora
