#include "core/vault/Account.h"

#include "core/vault/Base64.h"
#include "core/vault/Secret.h"

#include <algorithm>
#include <limits>
#include <openssl/crypto.h>
#include <utility>

namespace velmora {
namespace {

const char* LimitMessage(VaultLimitError::Limit limit)
{
    return limit == VaultLimitError::Limit::RecordsPerFolder ? "A folder holds at most 65535 records"
                                                             : "An account holds at most 65536 folders";
}

constexpr std::string_view kLineEnd = "\r\n";

std::size_t LineBlockSize(const std::array<std::size_t, 6>& sizes)
{
    std::size_t bytes = 0;
    for (const std::size_t size : sizes) {
        bytes += Base64Length(size) + kLineEnd.size();
    }
    return bytes;
}

std::size_t Sum(const std::array<std::size_t, 6>& sizes)
{
    std::size_t bytes = 0;
    for (const std::size_t size : sizes) {
        bytes += size;
    }
    return bytes;
}

// Room for one more element, doubling, as a push would: reserved first, the pushes that follow
// cannot fail, and growing by one each time would copy the whole list on every record.
template <typename T> void MakeRoomForOne(std::vector<T>& list)
{
    if (list.size() == list.capacity()) {
        list.reserve(std::max<std::size_t>(16, list.capacity() * 2));
    }
}

static_assert(kMaxRecordsPerFolder - 1 <= std::numeric_limits<std::uint16_t>::max(),
              "a folder's positions are kept in 16 bits");

} // namespace

VaultLimitError::VaultLimitError(Limit limit) : std::runtime_error(LimitMessage(limit)), m_limit(limit) {}

// ---- TRecType ----

TRecType TRecType::WithSizes(const Sizes& sizes)
{
    const std::size_t valueBytes = Sum(sizes);
    TRecType record;
    record.m_bytes = std::make_unique_for_overwrite<char[]>(valueBytes + LineBlockSize(sizes));
    char* next = record.m_bytes.get();
    const auto fields = record.FileOrder();
    for (std::size_t field = 0; field < kFields; ++field) {
        *fields[field] = std::string_view(next, sizes[field]);
        next += sizes[field];
    }
    for (std::size_t field = 0; field < kFields; ++field) {
        next += Base64Length(sizes[field]);
        next = std::copy(kLineEnd.begin(), kLineEnd.end(), next);
    }
    return record;
}

TRecType TRecType::WithValues(const std::array<std::string_view, kFields>& values)
{
    Sizes sizes{};
    for (std::size_t field = 0; field < kFields; ++field) {
        sizes[field] = values[field].size();
    }
    TRecType record = WithSizes(sizes);
    const auto places = record.ValuePlaces();
    for (std::size_t field = 0; field < kFields; ++field) {
        std::copy(values[field].begin(), values[field].end(), places[field]);
    }
    return record;
}

std::array<std::string_view*, TRecType::kFields> TRecType::FileOrder()
{
    return {&Name, &URL, &Login, &IDNumber, &Password, &Notes};
}

std::array<const std::string_view*, TRecType::kFields> TRecType::FileOrder() const
{
    return {&Name, &URL, &Login, &IDNumber, &Password, &Notes};
}

TRecType::Sizes TRecType::ValueSizes() const
{
    Sizes sizes{};
    const auto fields = FileOrder();
    for (std::size_t field = 0; field < kFields; ++field) {
        sizes[field] = fields[field]->size();
    }
    return sizes;
}

std::array<char*, TRecType::kFields> TRecType::ValuePlaces()
{
    std::array<char*, kFields> places{};
    const auto fields = FileOrder();
    for (std::size_t field = 0; field < kFields; ++field) {
        // The views point into m_bytes, which this record owns and may write.
        places[field] = const_cast<char*>(fields[field]->data());
    }
    return places;
}

std::array<char*, TRecType::kFields> TRecType::LinePlaces()
{
    std::array<char*, kFields> lines{};
    const auto fields = FileOrder();
    // The lines follow the last value.
    char* next = const_cast<char*>(fields[kFields - 1]->data()) + fields[kFields - 1]->size();
    for (std::size_t field = 0; field < kFields; ++field) {
        lines[field] = next;
        next += Base64Length(fields[field]->size()) + kLineEnd.size();
    }
    return lines;
}

std::string_view TRecType::Lines() const
{
    if (!m_bytes) {
        return {};
    }
    const Sizes sizes = ValueSizes();
    return {m_bytes.get() + Sum(sizes), LineBlockSize(sizes)};
}

TRecType::TRecType(const TRecType& other) : Key(other.Key), m_hasLines(other.m_hasLines)
{
    if (!other.m_bytes) {
        return;
    }
    const Sizes sizes = other.ValueSizes();
    const std::size_t bytes = Sum(sizes) + LineBlockSize(sizes);
    m_bytes = std::make_unique_for_overwrite<char[]>(bytes);
    std::copy(other.m_bytes.get(), other.m_bytes.get() + bytes, m_bytes.get());
    for (std::size_t field = 0; field < kFields; ++field) {
        const std::string_view& from = *other.FileOrder()[field];
        *FileOrder()[field] = std::string_view(m_bytes.get() + (from.data() - other.m_bytes.get()), from.size());
    }
}

TRecType& TRecType::operator=(const TRecType& other)
{
    if (this != &other) {
        *this = TRecType(other);
    }
    return *this;
}

TRecType::TRecType(TRecType&& other) noexcept
    : Key(other.Key), Name(other.Name), URL(other.URL), IDNumber(other.IDNumber), Login(other.Login),
      Password(other.Password), Notes(other.Notes), m_bytes(std::move(other.m_bytes)), m_hasLines(other.m_hasLines)
{
    other.Release();
}

TRecType& TRecType::operator=(TRecType&& other) noexcept
{
    if (this != &other) {
        Release();
        Key = other.Key;
        for (std::size_t field = 0; field < kFields; ++field) {
            *FileOrder()[field] = *other.FileOrder()[field];
        }
        m_bytes = std::move(other.m_bytes);
        m_hasLines = other.m_hasLines;
        other.Release();
    }
    return *this;
}

TRecType::~TRecType()
{
    Release();
}

void TRecType::Release() noexcept
{
    if (m_bytes) {
        OPENSSL_cleanse(m_bytes.get(), Sum(ValueSizes()));
        m_bytes.reset();
    }
    for (std::string_view* field : FileOrder()) {
        *field = {};
    }
    m_hasLines = false;
}

// ---- TFolderType ----

const TRecType& TFolderType::AddRecord(std::string_view name, std::string_view url, std::string_view login,
                                       std::string_view idNumber, std::string_view password, std::string_view notes)
{
    return AppendRecord(TRecType::WithValues({name, url, login, idNumber, password, notes}));
}

const TRecType& TFolderType::AppendRecord(TRecType record)
{
    return AppendRecord(std::move(record), NewRecordId());
}

TRecType& TFolderType::AppendRecord(TRecType record, RecordId id)
{
    if (m_records.size() >= kMaxRecordsPerFolder) {
        throw VaultLimitError(VaultLimitError::Limit::RecordsPerFolder);
    }
    record.Key = RecordKey(id);
    MakeRoomForOne(m_ids);
    MakeRoomForOne(m_byId);
    const auto position = static_cast<std::uint16_t>(m_records.size());
    m_records.push_back(std::move(record));
    m_ids.push_back(id);
    m_byId.push_back(position);
    return m_records.back();
}

void TFolderType::Reserve(std::size_t count)
{
    m_records.reserve(m_records.size() + count);
    m_ids.reserve(m_ids.size() + count);
    m_byId.reserve(m_byId.size() + count);
}

std::optional<std::size_t> TFolderType::EntryOf(RecordId id) const
{
    const auto entry =
        std::lower_bound(m_byId.begin(), m_byId.end(), id,
                         [this](std::uint16_t position, RecordId wanted) { return m_ids[position] < wanted; });
    if (entry == m_byId.end() || m_ids[*entry] != id) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(entry - m_byId.begin());
}

std::optional<std::size_t> TFolderType::EntryOf(std::string_view key) const
{
    const auto id = RecordKey::IdOf(key);
    return id ? EntryOf(*id) : std::nullopt;
}

std::optional<std::size_t> TFolderType::PositionOf(std::string_view key) const
{
    const auto entry = EntryOf(key);
    return entry ? std::optional<std::size_t>(m_byId[*entry]) : std::nullopt;
}

const TRecType* TFolderType::FindRecord(std::string_view key) const
{
    const auto position = PositionOf(key);
    return position ? &m_records[*position] : nullptr;
}

void TFolderType::EditRecord(std::string_view key, std::string_view name, std::string_view url, std::string_view login,
                             std::string_view idNumber, std::string_view password, std::string_view notes)
{
    const auto position = PositionOf(key);
    if (!position) {
        return;
    }
    // Made whole before the old record goes: the new values may be views into it.
    TRecType edited = TRecType::WithValues({name, url, login, idNumber, password, notes});
    TRecType& record = m_records[*position];
    edited.Key = record.Key;
    record = std::move(edited);
}

void TFolderType::DeleteRecord(std::string_view key)
{
    const auto entry = EntryOf(key);
    if (!entry) {
        return;
    }
    const std::uint16_t position = m_byId[*entry];
    m_byId.erase(m_byId.begin() + static_cast<std::ptrdiff_t>(*entry));
    for (std::uint16_t& later : m_byId) {
        later = static_cast<std::uint16_t>(later - (later > position ? 1 : 0));
    }
    m_records.erase(m_records.begin() + position);
    m_ids.erase(m_ids.begin() + position);
}

void TFolderType::SwapWithNeighbour(std::size_t entry, std::size_t neighbour)
{
    const std::uint16_t position = m_byId[entry];
    const std::size_t neighbourEntry = *EntryOf(m_ids[neighbour]);
    std::swap(m_records[position], m_records[neighbour]);
    std::swap(m_ids[position], m_ids[neighbour]);
    m_byId[entry] = static_cast<std::uint16_t>(neighbour);
    m_byId[neighbourEntry] = position;
}

void TFolderType::MoveRecordUp(std::string_view key)
{
    const auto entry = EntryOf(key);
    if (entry && m_byId[*entry] > 0) {
        SwapWithNeighbour(*entry, m_byId[*entry] - 1u);
    }
}

void TFolderType::MoveRecordDown(std::string_view key)
{
    const auto entry = EntryOf(key);
    if (entry && m_byId[*entry] + 1u < m_records.size()) {
        SwapWithNeighbour(*entry, m_byId[*entry] + 1u);
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
    // The target must accept the record before it leaves this folder; its lines go with it.
    target.AppendRecord(*record);
    DeleteRecord(key);
    account.MarkChanged();
}

TRecType TFolderType::GetRecordAt(std::size_t position) const
{
    return RecordAt(position - 1);
}

void TFolderType::ClearRecords()
{
    m_records.clear();
    m_ids.clear();
    m_byId.clear();
}

void TFolderType::SwapContents(TFolderType& other) noexcept
{
    std::swap(Name, other.Name);
    std::swap(ImageIndex, other.ImageIndex);
    std::swap(m_records, other.m_records);
    std::swap(m_ids, other.m_ids);
    std::swap(m_byId, other.m_byId);
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
