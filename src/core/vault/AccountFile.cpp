#include "core/vault/AccountFile.h"

#include "core/os/AtomicFile.h"
#include "core/os/PageBlock.h"
#include "core/vault/Account.h"
#include "core/vault/Base64.h"
#include "core/vault/Cfb8.h"
#include "core/vault/SealedFile.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <deque>
#include <emmintrin.h>
#include <span>

namespace velmora {

// Marks the account as being read for as long as it lives.
class ReadingScope
{
public:
    explicit ReadingScope(TAccount& account) : m_account(account) { ++m_account.m_readDepth; }
    ~ReadingScope() { --m_account.m_readDepth; }
    ReadingScope(const ReadingScope&) = delete;
    ReadingScope& operator=(const ReadingScope&) = delete;

private:
    TAccount& m_account;
};

// ---- AccountFileWriter ----

void AccountFileWriter::AddNumber(long long number)
{
    m_numbers.push_back(std::to_string(number));
    m_values.push_back(m_numbers.back());
}

std::string AccountFileWriter::Finish(StringCipher& cipher, std::string_view keyText) const
{
    return cipher.EncipherLines(keyText, m_values, "\r\n");
}

// ---- AccountFileReader ----

namespace {

// A piece of the file at a time: large enough that reads are few, small enough to stay cheap.
constexpr std::size_t kReadPiece = 1 << 20;
// Records deciphered together: enough for the cipher to work in bulk.
constexpr std::size_t kRecordBatch = 1024;

// The CRs and LFs among the 16 bytes at `at`, a bit each.
inline unsigned LineBreaksIn16(const char* at)
{
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    return static_cast<unsigned>(_mm_movemask_epi8(
        _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')), _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n')))));
}

// The first CR or LF in [begin, end), or end; nearly all lines end in CR LF with no other CR in
// them. Looking 64 bytes ahead at once finds the end of most lines in one step, so the loop does
// not guess wrong about where a line of random length ends.
const char* FirstLineBreak(const char* begin, const char* end)
{
    for (; end - begin >= 64; begin += 64) {
        const std::uint64_t found = LineBreaksIn16(begin) | std::uint64_t{LineBreaksIn16(begin + 16)} << 16 |
                                    std::uint64_t{LineBreaksIn16(begin + 32)} << 32 |
                                    std::uint64_t{LineBreaksIn16(begin + 48)} << 48;
        if (found != 0) {
            return begin + __builtin_ctzll(found);
        }
    }
    for (; end - begin >= 16; begin += 16) {
        if (const unsigned found = LineBreaksIn16(begin); found != 0) {
            return begin + __builtin_ctz(found);
        }
    }
    while (begin != end && *begin != '\r' && *begin != '\n') {
        ++begin;
    }
    return begin;
}

} // namespace

AccountFileReader::AccountFileReader(std::string content, StringCipher& cipher, std::string_view keyText)
    : m_buffer(std::move(content)), m_end(m_buffer.size()), m_fileEnded(true), m_cipher(cipher), m_keyText(keyText)
{}

AccountFileReader::AccountFileReader(const std::filesystem::path& file, StringCipher& cipher, std::string_view keyText)
    : m_file(std::make_unique<FileChunkReader>(file)),
      // No larger than the file, so a small account needs no large buffer; one byte more, so
      // that even an empty file has room to meet its end.
      m_piece(static_cast<std::size_t>(std::min<std::uintmax_t>(kReadPiece, m_file->Size() + 1))), m_cipher(cipher),
      m_keyText(keyText)
{}

AccountFileReader::~AccountFileReader() = default;

std::optional<std::string_view> AccountFileReader::BufferedLine()
{
    char* const start = m_buffer.data() + m_begin;
    const std::size_t available = m_end - m_begin;
    // A line that ends in LF or CR LF and holds no other CR is taken as it is.
    const char* const stop = start + available;
    const char* const lineBreak = FirstLineBreak(start, stop);
    if (lineBreak != stop && (*lineBreak == '\n' || (lineBreak + 1 != stop && lineBreak[1] == '\n'))) {
        const auto length = static_cast<std::size_t>(lineBreak - start);
        m_begin += length + (*lineBreak == '\n' ? 1 : 2);
        return std::string_view(start, length);
    }
    const auto* lf = static_cast<char*>(std::memchr(start, '\n', available));
    if (lf == nullptr && (!m_fileEnded || available == 0)) {
        return std::nullopt;
    }
    const std::size_t length = lf != nullptr ? static_cast<std::size_t>(lf - start) : available;
    m_begin += lf != nullptr ? length + 1 : length;
    std::size_t kept = length;
    if (kept > 0 && start[kept - 1] == '\r') {
        --kept;
    }
    // A stray CR inside the line is dropped in place.
    if (std::memchr(start, '\r', kept) != nullptr) {
        kept = static_cast<std::size_t>(std::remove(start, start + kept, '\r') - start);
    }
    return std::string_view(start, kept);
}

void AccountFileReader::Refill()
{
    // The unread rest moves to the front; the buffer keeps its size, so it is not filled again.
    std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
    m_end -= m_begin;
    m_begin = 0;
    // A line longer than the buffer makes it grow.
    if (const std::size_t size = std::max(m_piece, m_end * 2); m_buffer.size() < size) {
        m_buffer.reserve(size);
        PopulatePages(m_buffer.data() + m_buffer.size(), size - m_buffer.size());
        m_buffer.resize(size);
    }
    const std::size_t got = m_file->Read(m_buffer.data() + m_end, m_buffer.size() - m_end);
    m_end += got;
    m_fileBytesRead += got;
    m_fileEnded = got == 0;
}

std::optional<std::string_view> AccountFileReader::NextLine(const std::function<void()>& beforeRefill)
{
    for (;;) {
        if (const auto line = BufferedLine()) {
            return line;
        }
        if (AtEnd()) {
            return std::nullopt;
        }
        if (beforeRefill) {
            beforeRefill();
        }
        Refill();
    }
}

std::size_t AccountFileReader::RemainingBytes() const
{
    const std::uintmax_t unread = m_file ? m_file->Size() - std::min(m_file->Size(), m_fileBytesRead) : 0;
    return static_cast<std::size_t>(unread) + (m_end - m_begin);
}

std::size_t AccountFileReader::RemainingLinesAtMost() const
{
    return RemainingBytes() + 1;
}

std::string AccountFileReader::NextValue()
{
    const auto line = NextLine({});
    if (!line) {
        ++m_damage.missingLines;
        return {};
    }
    auto value = m_cipher.DecipherText(m_keyText, *line);
    if (!value) {
        ++m_damage.undecipheredLines;
        return {};
    }
    return std::move(*value);
}

void AccountFileReader::ReadRecords(std::size_t count, TFolderType& folder, RecordArena& arena)
{
    std::vector<std::string_view>& lines = m_recordLines;
    const std::size_t batchLines = kRecordBatch * TRecType::kFields;
    lines.clear();
    lines.reserve(batchLines);
    // The rest of the file bounds what its records take: a value is at most three quarters of its
    // line, and a record holds each value twice (clear and enciphered). A small account then
    // takes small blocks; a large one the largest.
    const std::size_t remaining = RemainingBytes();
    arena.ExpectAtMost(remaining + remaining / 2);
    if (!m_decipherer) {
        // A frame per line at most, its value shorter than the line.
        m_decipherer = std::make_unique<StringCipher::LineDecipherer>(
            m_cipher, m_keyText, RemainingLinesAtMost() * Cfb8Frames::FrameBytes(0) + remaining);
    }
    StringCipher::LineDecipherer& decipherer = *m_decipherer;

    // Lines of a record that is not whole yet when the buffer is refilled: kept here meanwhile.
    std::deque<std::string> carried;

    // Builds the records whose lines were taken so far, while the buffer still holds them; their
    // values are deciphered in bulk, by the end at the latest.
    const std::function<void()> build = [&] {
        const std::size_t whole = lines.size() - lines.size() % TRecType::kFields;
        RecordId id = NewRecordIds(whole / TRecType::kFields);
        for (std::size_t start = 0; start < whole; start += TRecType::kFields) {
            const auto recordLines = std::span(lines).subspan(start, TRecType::kFields);
            TRecType::Sizes sizes{};
            for (std::size_t field = 0; field < TRecType::kFields; ++field) {
                const auto size = DecodedBase64Length(recordLines[field]);
                if (!size) {
                    ++m_damage.undecipheredLines;
                    recordLines[field] = {}; // read as the empty value, whose line is empty too
                }
                sizes[field] = size.value_or(0);
            }
            TRecType& record = folder.AppendRecord(TRecType::InArena(sizes, arena), id++);
            bool canonical = true;
            for (std::size_t field = 0; field < TRecType::kFields; ++field) {
                canonical &=
                    decipherer.Add(recordLines[field], record.ValuePlace(field), record.CipherTextPlace(field));
            }
            record.m_hasCipherText = canonical;
        }
        std::deque<std::string> partial;
        for (std::size_t i = whole; i < lines.size(); ++i) {
            lines[i] = partial.emplace_back(lines[i]);
        }
        carried = std::move(partial); // the strings stay where they are
        lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(whole));
    };

    try {
        for (std::size_t i = 0; i < count * TRecType::kFields; ++i) {
            const auto line = NextLine(build);
            if (!line) {
                ++m_damage.missingLines;
            }
            lines.push_back(line.value_or(std::string_view()));
            if (lines.size() == batchLines) {
                build();
            }
        }
        build();
    } catch (...) {
        // Values added but not deciphered are cleared now, not when the reader goes: the records
        // read so far stay in the folder and may be shown before that.
        m_decipherer.reset();
        throw;
    }
    decipherer.Finish();
}

std::optional<std::int32_t> ParseFileInteger(std::string_view text)
{
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') {
            return std::nullopt;
        }
    }
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// ---- TFolderType / TAccount file operations ----

void TFolderType::WriteFolder(AccountFileWriter& file) const
{
    file.Add(kFolderCheckLine);
    file.Add(Name);
    file.AddNumber(ImageIndex);
    file.AddNumber(Count());
    for (const auto& record : m_records) {
        file.Add(record.Name());
        file.Add(record.URL());
        file.Add(record.Login());
        file.Add(record.IDNumber());
        file.Add(record.Password());
        file.Add(record.Notes());
    }
}

namespace {

// Gathers small pieces into large ones, so the file is written in few calls.
class PieceBuffer
{
public:
    explicit PieceBuffer(const PieceWriter& write)
        : m_write(write), m_bytes(std::make_unique_for_overwrite<char[]>(kPiece)), m_capacity(kPiece)
    {}

    void Append(std::string_view text) { std::copy(text.begin(), text.end(), Extend(text.size())); }

    // Room for `bytes` more, to be filled before the next call.
    char* Extend(std::size_t bytes)
    {
        if (m_size + bytes > m_capacity) {
            Flush();
            if (bytes > m_capacity) {
                m_bytes = std::make_unique_for_overwrite<char[]>(bytes);
                m_capacity = bytes;
            }
        }
        char* room = m_bytes.get() + m_size;
        m_size += bytes;
        return room;
    }

    void Flush()
    {
        if (m_size > 0) {
            m_write({m_bytes.get(), m_size});
            m_size = 0;
        }
    }

private:
    static constexpr std::size_t kPiece = 1 << 20;
    const PieceWriter& m_write;
    std::unique_ptr<char[]> m_bytes;
    std::size_t m_capacity;
    std::size_t m_size = 0;
};

} // namespace

void TAccount::UpdateRecordCipherText()
{
    const std::uint64_t generation = m_cipher.KeyGeneration(Password);
    const bool keyChanged = generation != m_cipherTextGeneration;
    std::vector<TRecType*> records;
    std::vector<StringCipher::ValueToCipherText> items;
    constexpr std::size_t kBatch = 1024;
    const auto encipher = [&] {
        m_cipher.EncipherValues(Password, items);
        for (TRecType* record : records) {
            record->m_hasCipherText = true;
        }
        records.clear();
        items.clear();
    };
    for (const auto& folder : m_folders) {
        for (TRecType& record : folder->m_records) {
            if (record.m_hasCipherText && !keyChanged) {
                continue;
            }
            records.push_back(&record);
            for (std::size_t field = 0; field < TRecType::kFields; ++field) {
                items.push_back({record.Value(field), record.CipherTextPlace(field)});
            }
            if (records.size() == kBatch) {
                encipher();
            }
        }
    }
    encipher();
    m_cipherTextGeneration = generation;
}

void TAccount::WriteFileContent(const PieceWriter& write)
{
    UpdateRecordCipherText();
    PieceBuffer out(write);
    const auto writeValue = [&](std::string_view value) {
        out.Append(m_cipher.EncipherText(Password, value));
        out.Append("\r\n");
    };
    writeValue(kAccountCheckLine);
    writeValue(std::to_string(m_folders.size()));
    for (const auto& folder : m_folders) {
        writeValue(kFolderCheckLine);
        writeValue(folder->Name);
        writeValue(std::to_string(folder->ImageIndex));
        writeValue(std::to_string(folder->Count()));
        const auto& records = folder->m_records;
        constexpr std::size_t kAhead = 4;
        for (std::size_t i = 0; i < records.size(); ++i) {
            if (i + kAhead < records.size()) {
                records[i + kAhead].PrefetchCipherText();
            }
            const std::size_t length = records[i].LinesLength();
            records[i].WriteLines(out.Extend(length));
        }
    }
    out.Flush();
}

OutputProducer TAccount::FileContent()
{
    return [this](const PieceWriter& write) { WriteFileContent(write); };
}

void TAccount::MarkSaved()
{
    Modified = false;
    if (OnChange) {
        OnChange();
    }
}

void TAccount::SaveToFile(const std::filesystem::path& fileName)
{
    WriteFileAtomically(fileName, m_seal ? SealedOutput(*m_seal, FileContent()) : FileContent());
    MarkSaved();
}

ReadResult TAccount::LoadFromFile(const std::filesystem::path& fileName)
{
    m_loadDamage = {};
    std::error_code error;
    const auto status = std::filesystem::status(fileName, error);
    if (!std::filesystem::exists(status) || std::filesystem::is_directory(status)) {
        return ReadResult::NoFile;
    }

    const ReadResult result = [&] {
        ReadingScope reading(*this);
        Clear();
        try {
            // A sealed file is opened whole, or not at all; the reader runs unchanged on its text.
            std::unique_ptr<AccountFileReader> reader;
            std::optional<SealKey> seal;
            if (IsSealedFile(fileName)) {
                UnsealedText opened = UnsealText(ReadWholeFile(fileName), Password);
                if (opened.result != UnsealResult::Ok) {
                    return opened.result == UnsealResult::WrongPassword ? ReadResult::BadCheckLine
                                                                        : ReadResult::SealChanged;
                }
                seal = std::move(opened.key);
                reader = std::make_unique<AccountFileReader>(std::move(opened.text), m_cipher, Password);
            } else {
                reader = std::make_unique<AccountFileReader>(fileName, m_cipher, Password);
            }
            AccountFileReader& file = *reader;
            if (file.NextValue() != kAccountCheckLine) {
                return ReadResult::BadCheckLine;
            }
            const auto folders = ParseFileInteger(file.NextValue());
            if (!folders || *folders > static_cast<std::int64_t>(kMaxFolders)) {
                return ReadResult::Failed;
            }
            for (std::int32_t i = 0; i < *folders; ++i) {
                if (ReadFolder(file) != ReadResult::Ok) {
                    return ReadResult::BadFolderBlock;
                }
            }
            m_loadDamage = file.Damage();
            m_cipherTextGeneration = m_cipher.KeyGeneration(Password);
            m_seal = std::move(seal);
            return ReadResult::Ok;
        } catch (const std::exception&) {
            return ReadResult::Failed;
        }
    }();

    if (result == ReadResult::Ok) {
        Modified = false;
        if (OnChange) {
            OnChange();
        }
    }
    return result;
}

ReadResult TAccount::ReadFolder(AccountFileReader& file)
{
    ReadingScope reading(*this);
    try {
        if (file.NextValue() != kFolderCheckLine) {
            return ReadResult::BadCheckLine;
        }
        std::string name = file.NextValue();
        const auto icon = ParseFileInteger(file.NextValue());
        const auto count = ParseFileInteger(file.NextValue());
        if (!icon || m_folders.size() >= kMaxFolders) {
            return ReadResult::Failed;
        }
        AddFolder(std::move(name), *icon);
        if (!count || *count > static_cast<std::int64_t>(kMaxRecordsPerFolder)) {
            return ReadResult::Failed;
        }
        TFolderType& folder = *m_folders.back();
        const auto records = static_cast<std::size_t>(std::max(*count, 0));
        // Only as much as the file can hold: a damaged count must not reserve memory for nothing.
        folder.Reserve(std::min(records, file.RemainingLinesAtMost() / TRecType::kFields + 1));
        file.ReadRecords(records, folder, m_arena);
        if (&file.Cipher() != &m_cipher) {
            // Read with another cipher object, maybe of another key: enciphered again at the save.
            for (TRecType& record : folder.m_records) {
                record.m_hasCipherText = false;
            }
        }
        return ReadResult::Ok;
    } catch (const std::exception&) {
        return ReadResult::Failed;
    }
}

} // namespace velmora
