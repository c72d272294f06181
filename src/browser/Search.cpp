#include "browser/Search.h"

#include "settings/IniDocument.h"

namespace velmora {
namespace {

bool Compare(std::string_view text, std::string_view needle, bool exact)
{
    return exact ? text == needle : text.find(needle) != std::string_view::npos;
}

// The needle is lowered once by the caller; only the record's text is lowered here.
bool FieldHits(const std::string& field, std::string_view needle, TextMatch match)
{
    if (match.caseSensitive) {
        return Compare(field, needle, match.exact);
    }
    return Compare(FoldNameCase(field), needle, match.exact);
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
    if (match.caseSensitive) {
        return Compare(text, needle, match.exact);
    }
    return Compare(FoldNameCase(text), FoldNameCase(needle), match.exact);
}

std::optional<std::size_t> FirstMatchingRow(std::size_t count, const std::function<std::string(std::size_t)>& caption,
                                            std::string_view text, TextMatch match)
{
    if (text.empty()) {
        return std::nullopt;
    }
    const std::string needle = match.caseSensitive ? std::string(text) : FoldNameCase(text);
    for (std::size_t row = 0; row < count; ++row) {
        if (FieldHits(caption(row), needle, match)) {
            return row;
        }
    }
    return std::nullopt;
}

std::vector<SearchHit> RunSearch(const TAccount& account, const SearchOptions& options)
{
    std::vector<SearchHit> hits;
    const std::string needle = options.match.caseSensitive ? options.text : FoldNameCase(options.text);
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
