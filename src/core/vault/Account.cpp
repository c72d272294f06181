#include "core/vault/Account.h"

#include "core/os/PageBlock.h"
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

std::size_t TRecType::SetSizes(const Sizes& sizes)
{
    std::size_t end = 0;
    for (std::size_t field = 0; field < kFields; ++field) {
        if (sizes[field] > std::numeric_limits<std::uint32_t>::max() - end) {
            throw std::length_error("A record holds at most 4 GiB of text");
        }
        end += sizes[field];
        m_ends[field] = static_cast<std::uint32_t>(end);
    }
    return 2 * end;
}

void TRecType::MakeOwnBuffer()
{
    m_bytes = new char[2 * ValueBytes()];
    m_ownsBytes = true;
}

TRecType TRecType::WithSizes(const Sizes& sizes)
{
    TRecType record;
    record.SetSizes(sizes);
    record.MakeOwnBuffer();
    return record;
}

TRecType TRecType::InArena(const Sizes& sizes, RecordArena& arena)
{
    TRecType record;
    record.m_bytes = arena.Allocate(record.SetSizes(sizes));
    if (record.m_bytes == nullptr) {
        record.MakeOwnBuffer();
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
    for (std::size_t field = 0; field < kFields; ++field) {
        std::copy(values[field].begin(), values[field].end(), record.ValuePlace(field));
    }
    return record;
}

std::size_t TRecType::LinesLength() const
{
    std::size_t length = 0;
    for (std::size_t field = 0; field < kFields; ++field) {
        length += Base64Length(m_ends[field] - Begin(field)) + kLineEnd.size();
    }
    return length;
}

char* TRecType::WriteLines(char* out) const
{
    return EncodeBase64Lines(m_bytes + ValueBytes(), m_ends, kLineEnd, out);
}

void TRecType::PrefetchCipherText() const
{
    constexpr std::size_t kCacheLine = 64;
    constexpr std::size_t kMostLines = 4; // an average record's; a long note is fetched as it goes
    const char* const cipherText = m_bytes + ValueBytes();
    for (std::size_t offset = 0; offset < std::min(ValueBytes(), kMostLines * kCacheLine); offset += kCacheLine) {
        __builtin_prefetch(cipherText + offset);
    }
}

TRecType::TRecType(const TRecType& other) : Key(other.Key), m_ends(other.m_ends), m_hasCipherText(other.m_hasCipherText)
{
    if (other.m_bytes != nullptr) {
        MakeOwnBuffer();
        std::copy(other.m_bytes, other.m_bytes + 2 * ValueBytes(), m_bytes);
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
    : Key(other.Key), m_ends(other.m_ends), m_hasCipherText(other.m_hasCipherText), m_ownsBytes(other.m_ownsBytes),
      m_bytes(std::exchange(other.m_bytes, nullptr))
{
    other.Release();
}

TRecType& TRecType::operator=(TRecType&& other) noexcept
{
    if (this != &other) {
        Release();
        Key = other.Key;
        m_ends = other.m_ends;
        m_hasCipherText = other.m_hasCipherText;
        m_ownsBytes = other.m_ownsBytes;
        m_bytes = std::exchange(other.m_bytes, nullptr);
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
    if (m_bytes != nullptr) {
        OPENSSL_cleanse(m_bytes, ValueBytes());
        if (m_ownsBytes) {
            delete[] m_bytes;
        }
        m_bytes = nullptr;
    }
    m_ends = {};
    m_hasCipherText = false;
    m_ownsBytes = false;
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
    PopulatePages(m_records.data() + m_records.size(), count * sizeof(TRecType));
    PopulatePages(m_ids.data() + m_ids.size(), count * sizeof(RecordId));
    PopulatePages(m_byId.data() + m_byId.size(), count * sizeof(std::uint16_t));
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
    m_arena.Clear();
    // The next account may have another password: drop this one's keys.
    m_cipher.Forget();
    m_seal.reset();
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
