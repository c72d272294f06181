#include "core/vault/Account.h"

#include "core/vault/RecordKey.h"
#include "core/vault/Secret.h"

#include <algorithm>
#include <utility>

namespace velmora {
namespace {

std::string UpperCaseAscii(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return upper;
}

const char* LimitMessage(VaultLimitError::Limit limit)
{
    return limit == VaultLimitError::Limit::RecordsPerFolder ? "A folder holds at most 65535 records"
                                                             : "An account holds at most 65536 folders";
}

void WipeRecord(TRecType& record)
{
    for (std::string* text :
         {&record.Name, &record.URL, &record.IDNumber, &record.Login, &record.Password, &record.Notes}) {
        Wipe(*text);
    }
}

} // namespace

VaultLimitError::VaultLimitError(Limit limit) : std::runtime_error(LimitMessage(limit)), m_limit(limit) {}

// ---- TFolderType ----

const TRecType& TFolderType::AddRecord(std::string name, std::string url, std::string login, std::string idNumber,
                                       std::string password, std::string notes)
{
    if (m_records.size() >= kMaxRecordsPerFolder) {
        throw VaultLimitError(VaultLimitError::Limit::RecordsPerFolder);
    }
    auto record = std::make_unique<TRecType>();
    do {
        record->Key = NewRecordKey();
    } while (m_byKey.contains(record->Key));
    record->Name = std::move(name);
    record->URL = std::move(url);
    record->Login = std::move(login);
    record->IDNumber = std::move(idNumber);
    record->Password = std::move(password);
    record->Notes = std::move(notes);

    TRecType* added = record.get();
    m_records.push_back(std::move(record));
    try {
        m_byKey.emplace(added->Key, added);
    } catch (...) {
        m_records.pop_back();
        throw;
    }
    return *added;
}

void TFolderType::Reserve(std::size_t count)
{
    m_records.reserve(m_records.size() + count);
    m_byKey.reserve(m_byKey.size() + count);
}

const TRecType* TFolderType::FindRecord(std::string_view key) const
{
    const auto found = m_byKey.find(UpperCaseAscii(key));
    return found == m_byKey.end() ? nullptr : found->second;
}

std::optional<std::size_t> TFolderType::PositionOf(std::string_view key) const
{
    const TRecType* record = FindRecord(key);
    if (record == nullptr) {
        return std::nullopt;
    }
    const auto it = std::find_if(m_records.begin(), m_records.end(),
                                 [record](const std::unique_ptr<TRecType>& r) { return r.get() == record; });
    return static_cast<std::size_t>(it - m_records.begin());
}

void TFolderType::EditRecord(std::string_view key, std::string name, std::string url, std::string login,
                             std::string idNumber, std::string password, std::string notes)
{
    const auto found = m_byKey.find(UpperCaseAscii(key));
    if (found == m_byKey.end()) {
        return;
    }
    TRecType& record = *found->second;
    record.Name = std::move(name);
    record.URL = std::move(url);
    record.Login = std::move(login);
    record.IDNumber = std::move(idNumber);
    record.Password = std::move(password);
    record.Notes = std::move(notes);
}

void TFolderType::DeleteRecord(std::string_view key)
{
    const auto position = PositionOf(key);
    if (!position) {
        return;
    }
    m_byKey.erase(m_records[*position]->Key);
    m_records.erase(m_records.begin() + static_cast<std::ptrdiff_t>(*position));
}

void TFolderType::MoveRecordUp(std::string_view key)
{
    const auto position = PositionOf(key);
    if (position && *position > 0) {
        std::swap(m_records[*position], m_records[*position - 1]);
    }
}

void TFolderType::MoveRecordDown(std::string_view key)
{
    const auto position = PositionOf(key);
    if (position && *position + 1 < m_records.size()) {
        std::swap(m_records[*position], m_records[*position + 1]);
    }
}

void TFolderType::MoveRecordToFolder(TAccount& account, std::string_view key, std::int32_t targetIndex)
{
    if (targetIndex == m_index) {
        return;
    }
    const TRecType* record = FindRecord(key);
    if (record == nullptr) {
        return;
    }
    TFolderType& target = account.Folder(static_cast<std::size_t>(targetIndex));
    // The target must accept the record before it leaves this folder.
    target.AddRecord(record->Name, record->URL, record->Login, record->IDNumber, record->Password, record->Notes);
    DeleteRecord(key);
    account.MarkChanged();
}

TRecType TFolderType::GetRecordAt(std::size_t position) const
{
    return RecordAt(position - 1);
}

void TFolderType::ClearRecords()
{
    m_byKey.clear();
    for (const std::unique_ptr<TRecType>& record : m_records) {
        WipeRecord(*record);
    }
    m_records.clear();
}

void TFolderType::SwapContents(TFolderType& other) noexcept
{
    std::swap(Name, other.Name);
    std::swap(ImageIndex, other.ImageIndex);
    std::swap(m_records, other.m_records);
    std::swap(m_byKey, other.m_byKey);
}

// ---- TAccount ----

TAccount::TAccount() = default;

TAccount::~TAccount()
{
    Close();
}

void TAccount::MarkChanged()
{
    Modified = true;
    if (OnChange) {
        OnChange();
    }
}

void TAccount::AddFolder(std::string name, std::int32_t imageIndex)
{
    if (m_folders.size() >= kMaxFolders) {
        throw VaultLimitError(VaultLimitError::Limit::Folders);
    }
    auto folder = std::unique_ptr<TFolderType>(new TFolderType(static_cast<int>(m_folders.size())));
    folder->Name = std::move(name);
    folder->ImageIndex = imageIndex;
    m_folders.push_back(std::move(folder));
    MarkChanged();
}

void TAccount::EditFolder(std::size_t index, std::string name, std::int32_t imageIndex)
{
    TFolderType& folder = Folder(index);
    folder.Name = std::move(name);
    folder.ImageIndex = imageIndex;
    MarkChanged();
}

void TAccount::MoveFolderUp(std::size_t index)
{
    if (index > 0 && index < m_folders.size()) {
        ExchangeFolders(index, index - 1);
        MarkChanged();
    }
}

void TAccount::MoveFolderDown(std::size_t index)
{
    if (index + 1 < m_folders.size()) {
        ExchangeFolders(index, index + 1);
        MarkChanged();
    }
}

void TAccount::ExchangeFolders(std::size_t a, std::size_t b)
{
    Folder(a).SwapContents(Folder(b));
}

void TAccount::ClearFolder(int index)
{
    if (index <= -1) {
        return;
    }
    Folder(static_cast<std::size_t>(index)).ClearRecords();
    MarkChanged();
}

void TAccount::DeleteFolder(int index)
{
    if (index <= -1) {
        return;
    }
    const auto position = static_cast<std::size_t>(index);
    Folder(position); // range check
    m_folders.erase(m_folders.begin() + index);
    for (std::size_t i = position; i < m_folders.size(); ++i) {
        m_folders[i]->m_index = static_cast<int>(i);
    }
    MarkChanged();
}

void TAccount::Clear()
{
    for (const std::unique_ptr<TFolderType>& folder : m_folders) {
        folder->ClearRecords();
        Wipe(folder->Name);
    }
    m_folders.clear();
    // The next account may have another password: drop this one's key.
    m_cipher.Forget();
}

void TAccount::Close()
{
    Clear();
    Wipe(Password);
}

std::string TAccount::EncipherText(std::string_view value)
{
    return m_cipher.EncipherText(Password, value);
}

std::optional<std::string> TAccount::DecipherText(std::string_view line)
{
    return m_cipher.DecipherText(Password, line);
}

} // namespace velmora
