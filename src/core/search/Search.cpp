#include "core/search/Search.h"

#include "core/settings/IniDocument.h"
#include "core/vault/CodePage.h"
#include "core/vault/Secret.h"

#include <algorithm>
#include <cstring>

namespace velmora {
namespace {

// The byte that folds to `folded` other than itself, the capital of a lower-case letter; the byte
// itself when nothing else folds to it.
char CapitalOf(char folded)
{
    for (int byte = 0; byte < 256; ++byte) {
        if (LowerCase(static_cast<char>(byte)) == folded && static_cast<char>(byte) != folded) {
            return static_cast<char>(byte);
        }
    }
    return folded;
}

// Whether `text` folds to `folded`, folding byte by byte as it is read, so a field is never copied
// (nor a password left behind in a buffer).
bool FoldedEquals(std::string_view text, std::string_view folded)
{
    return std::equal(text.begin(), text.end(), folded.begin(), folded.end(),
                      [](char t, char f) { return LowerCase(t) == f; });
}

// What a search looks for, prepared once for all the texts it is tested against.
class Needle
{
public:
    Needle(std::string_view text, TextMatch match)
        : m_text(match.caseSensitive ? std::string(text) : FoldNameCase(text)), m_match(match),
          m_firstCapital(m_text.empty() ? '\0' : CapitalOf(m_text.front()))
    {}
    ~Needle() { Wipe(m_text); } // the text may be a password looked for
    Needle(const Needle&) = delete;
    Needle& operator=(const Needle&) = delete;

    bool Hits(std::string_view text) const
    {
        if (m_match.caseSensitive) {
            return m_match.exact ? text == m_text : text.find(m_text) != std::string_view::npos;
        }
        return m_match.exact ? FoldedEquals(text, m_text) : ContainsFolded(text);
    }

private:
    bool ContainsFolded(std::string_view text) const
    {
        if (m_text.empty()) {
            return true;
        }
        if (text.size() < m_text.size()) {
            return false;
        }
        const std::string_view rest = std::string_view(m_text).substr(1);
        const char* const startsEnd = text.data() + (text.size() - rest.size());
        for (const char* start = FindStart(text.data(), startsEnd); start != nullptr;
             start = FindStart(start + 1, startsEnd)) {
            if (FoldedEquals(std::string_view(start + 1, rest.size()), rest)) {
                return true;
            }
        }
        return false;
    }

    // The first byte in [from, end) that is the needle's first in either case, or null: memchr
    // skips the bytes that cannot start a match far faster than folding each of them.
    const char* FindStart(const char* from, const char* end) const
    {
        if (from == end) {
            return nullptr;
        }
        const auto* lower = static_cast<const char*>(std::memchr(from, m_text.front(), end - from));
        if (m_firstCapital == m_text.front()) {
            return lower;
        }
        const char* capitalEnd = lower != nullptr ? lower : end;
        const auto* capital = static_cast<const char*>(std::memchr(from, m_firstCapital, capitalEnd - from));
        return capital != nullptr ? capital : lower;
    }

    std::string m_text; // folded unless the match heeds case
    TextMatch m_match;
    char m_firstCapital;
};

bool RecordHits(const TRecType& record, const Needle& needle, const SearchOptions& options)
{
    return (options.name && needle.Hits(record.Name())) || (options.url && needle.Hits(record.URL())) ||
           (options.login && needle.Hits(record.Login())) || (options.idNumber && needle.Hits(record.IDNumber())) ||
           (options.password && needle.Hits(record.Password()));
}

void SearchFolder(const TFolderType& folder, std::size_t folderIndex, const Needle& needle,
                  const SearchOptions& options, std::vector<SearchHit>& hits)
{
    for (std::size_t i = 0; i < folder.Count(); ++i) {
        const TRecType& record = folder.RecordAt(i);
        if (RecordHits(record, needle, options)) {
            hits.push_back({folder.Name, std::string(record.Name()), record.Key, folderIndex, i + 1});
        }
    }
}

} // namespace

bool TextMatches(std::string_view text, std::string_view needle, TextMatch match)
{
    return Needle(needle, match).Hits(text);
}

std::optional<std::size_t> FirstMatchingRow(std::size_t count, const std::function<std::string(std::size_t)>& caption,
                                            std::string_view text, TextMatch match)
{
    if (text.empty()) {
        return std::nullopt;
    }
    const Needle needle(text, match);
    for (std::size_t row = 0; row < count; ++row) {
        if (needle.Hits(caption(row))) {
            return row;
        }
    }
    return std::nullopt;
}

// One thread: on a shared machine a second one mostly waits for the same core.
std::vector<SearchHit> RunSearch(const TAccount& account, const SearchOptions& options)
{
    std::vector<SearchHit> hits;
    const Needle needle(options.text, options.match);
    if (options.folder) {
        if (*options.folder < account.FolderCount()) {
            SearchFolder(account.Folder(*options.folder), *options.folder, needle, options, hits);
        }
        return hits;
    }
    for (std::size_t f = 0; f < account.FolderCount(); ++f) {
        SearchFolder(account.Folder(f), f, needle, options, hits);
    }
    return hits;
}

} // namespace velmora
