#include "browser/Search.h"

#include "settings/IniDocument.h"
#include "vault/CodePage.h"
#include "vault/Secret.h"

#include <algorithm>

namespace velmora {
namespace {

// The needle is folded once by the caller; the text is folded byte by byte as it is read, so a
// field is never copied (nor a password left behind in a buffer).
bool FoldedEquals(std::string_view text, std::string_view foldedNeedle)
{
    return std::equal(text.begin(), text.end(), foldedNeedle.begin(), foldedNeedle.end(),
                      [](char t, char n) { return LowerCase(t) == n; });
}

bool FoldedContains(std::string_view text, std::string_view foldedNeedle)
{
    if (foldedNeedle.empty()) {
        return true;
    }
    if (text.size() < foldedNeedle.size()) {
        return false;
    }
    const char first = foldedNeedle.front();
    const std::string_view rest = foldedNeedle.substr(1);
    const std::size_t lastStart = text.size() - foldedNeedle.size();
    for (std::size_t i = 0; i <= lastStart; ++i) {
        if (LowerCase(text[i]) == first && FoldedEquals(text.substr(i + 1, rest.size()), rest)) {
            return true;
        }
    }
    return false;
}

// `needle` is folded already when the match ignores case.
bool FieldHits(std::string_view field, std::string_view needle, TextMatch match)
{
    if (match.caseSensitive) {
        return match.exact ? field == needle : field.find(needle) != std::string_view::npos;
    }
    return match.exact ? FoldedEquals(field, needle) : FoldedContains(field, needle);
}

std::string NeedleFor(std::string_view text, TextMatch match)
{
    return match.caseSensitive ? std::string(text) : FoldNameCase(text);
}

bool RecordHits(const TRecType& record, std::string_view needle, const SearchOptions& options)
{
    const TextMatch match = options.match;
    return (options.name && FieldHits(record.Name, needle, match)) ||
           (options.url && FieldHits(record.URL, needle, match)) ||
           (options.login && FieldHits(record.Login, needle, match)) ||
           (options.idNumber && FieldHits(record.IDNumber, needle, match)) ||
           (options.password && FieldHits(record.Password, needle, match));
}

void SearchFolder(const TFolderType& folder, std::size_t folderIndex, std::string_view needle,
                  const SearchOptions& options, std::vector<SearchHit>& hits)
{
    for (std::size_t i = 0; i < folder.Count(); ++i) {
        const TRecType& record = folder.RecordAt(i);
        if (RecordHits(record, needle, options)) {
            hits.push_back({folder.Name, record.Name, record.Key, folderIndex, i + 1});
        }
    }
}

} // namespace

bool TextMatches(std::string_view text, std::string_view needle, TextMatch match)
{
    return FieldHits(text, NeedleFor(needle, match), match);
}

std::optional<std::size_t> FirstMatchingRow(std::size_t count, const std::function<std::string(std::size_t)>& caption,
                                            std::string_view text, TextMatch match)
{
    if (text.empty()) {
        return std::nullopt;
    }
    const std::string needle = NeedleFor(text, match);
    for (std::size_t row = 0; row < count; ++row) {
        if (FieldHits(caption(row), needle, match)) {
            return row;
        }
    }
    return std::nullopt;
}

// One thread: on a shared machine a second one mostly waits for the same core.
std::vector<SearchHit> RunSearch(const TAccount& account, const SearchOptions& options)
{
    std::vector<SearchHit> hits;
    std::string needle = NeedleFor(options.text, options.match);
    const WipeOnExit wipeNeedle(needle); // the text may be a password looked for
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
