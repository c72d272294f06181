#include "core/vault/AccountFile.h"

#include "core/os/AtomicFile.h"
#include "core/vault/Account.h"

#include <charconv>
#include <cstring>

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

AccountFileReader::AccountFileReader(std::string content, StringCipher& cipher, std::string_view keyText)
    : m_content(std::move(content)), m_cipher(cipher), m_keyText(keyText)
{
    SplitLines();
}

void AccountFileReader::SplitLines()
{
    const char* const begin = m_content.data();
    const char* const end = begin + m_content.size();
    const char* start = begin;
    while (start < end) {
        const auto* lf = static_cast<const char*>(std::memchr(start, '\n', static_cast<std::size_t>(end - start)));
        const char* lineEnd = lf != nullptr ? lf : end;
        std::string_view line(start, static_cast<std::size_t>(lineEnd - start));
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.find('\r') != std::string_view::npos) {
            std::string cleaned;
            for (const char c : line) {
                if (c != '\r') {
                    cleaned += c;
                }
            }
            m_cleanedLines.push_back(std::move(cleaned));
            line = m_cleanedLines.back();
        }
        m_lines.push_back(line);
        start = lineEnd + 1;
    }
}

void AccountFileReader::DecipherNextBatch()
{
    constexpr std::size_t kLargestBatch = 1 << 16;
    const std::size_t size =
        std::min({std::max<std::size_t>(1, m_batch.size() * 2), kLargestBatch, m_lines.size() - m_nextLine});
    m_batchStart = m_nextLine;
    m_batch = m_cipher.DecipherLines(m_keyText, std::span(m_lines).subspan(m_nextLine, size));
}

std::string AccountFileReader::NextValue()
{
    if (m_nextLine >= m_lines.size()) {
        ++m_damage.missingLines;
        return {};
    }
    if (m_nextLine >= m_batchStart + m_batch.size()) {
        DecipherNextBatch();
    }
    std::optional<std::string>& value = m_batch[m_nextLine++ - m_batchStart];
    if (!value) {
        ++m_damage.undecipheredLines;
        return {};
    }
    return std::move(*value);
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
        file.Add(record->Name);
        file.Add(record->URL);
        file.Add(record->Login);
        file.Add(record->IDNumber);
        file.Add(record->Password);
        file.Add(record->Notes);
    }
}

std::string TAccount::FileContent()
{
    AccountFileWriter file;
    file.Add(kAccountCheckLine);
    file.AddNumber(static_cast<long long>(m_folders.size()));
    for (const auto& folder : m_folders) {
        folder->WriteFolder(file);
    }
    return file.Finish(m_cipher, Password);
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
    WriteFileAtomically(fileName, FileContent());
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
            AccountFileReader file(ReadWholeFile(fileName), m_cipher, Password);
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
        // Only as much as the file can hold: a damaged count must not reserve memory for nothing.
        folder.Reserve(std::min<std::size_t>(std::max(*count, 0), file.RemainingLines() / 6 + 1));
        for (std::int32_t i = 0; i < *count; ++i) {
            std::string recordName = file.NextValue();
            std::string url = file.NextValue();
            std::string login = file.NextValue();
            std::string idNumber = file.NextValue();
            std::string password = file.NextValue();
            std::string notes = file.NextValue();
            folder.AddRecord(std::move(recordName), std::move(url), std::move(login), std::move(idNumber),
                             std::move(password), std::move(notes));
        }
        return ReadResult::Ok;
    } catch (const std::exception&) {
        return ReadResult::Failed;
    }
}

} // namespace velmora
