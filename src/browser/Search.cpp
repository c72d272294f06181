#include "browser/Search.h"

#include "settings/IniDocument.h"

#include <algorithm>
#include <iterator>
#include <thread>

namespace velmora {
namespace {

bool Compare(std::string_view text, std::string_view needle, bool exact)
{
    return exact ? text == needle : text.find(needle) != std::string_view::npos;
}

// The needle is lowered once by the caller; only the record's text is lowered here, into a
// buffer that lives for the whole search so that lowering allocates nothing.
bool FieldHits(const std::string& field, std::string_view needle, TextMatch match, std::string& buffer)
{
    if (match.caseSensitive) {
        return Compare(field, needle, match.exact);
    }
    buffer.assign(field);
    FoldNameCaseInPlace(buffer);
    return Compare(buffer, needle, match.exact);
}

bool RecordHits(const TRecType& record, std::string_view needle, const SearchOptions& options, std::string& buffer)
{
    const TextMatch match = options.match;
    return (options.name && FieldHits(record.Name, needle, match, buffer)) ||
           (options.url && FieldHits(record.URL, needle, match, buffer)) ||
           (options.login && FieldHits(record.Login, needle, match, buffer)) ||
           (options.idNumber && FieldHits(record.IDNumber, needle, match, buffer)) ||
           (options.password && FieldHits(record.Password, needle, match, buffer));
}

void SearchFolder(const TFolderType& folder, std::size_t folderIndex, std::string_view needle,
                  const SearchOptions& options, std::vector<SearchHit>& hits)
{
    std::string buffer;
    for (std::size_t i = 0; i < folder.Count(); ++i) {
        const TRecType& record = folder.RecordAt(i);
        if (RecordHits(record, needle, options, buffer)) {
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
    std::string buffer;
    for (std::size_t row = 0; row < count; ++row) {
        if (FieldHits(caption(row), needle, match, buffer)) {
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
    // Folders are searched side by side, one run of folders per core, and joined in folder order;
    // the account is only read, so the runs share nothing they write.
    const std::size_t folders = account.FolderCount();
    const std::size_t runs =
        std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, std::max<std::size_t>(folders, 1));
    std::vector<std::vector<SearchHit>> found(runs);
    const auto searchRun = [&](std::size_t run) {
        for (std::size_t f = folders * run / runs; f < folders * (run + 1) / runs; ++f) {
            SearchFolder(account.Folder(f), f, needle, options, found[run]);
        }
    };
    {
        std::vector<std::jthread> threads;
        for (std::size_t run = 1; run < runs; ++run) {
            threads.emplace_back(searchRun, run);
        }
        searchRun(0);
    }
    for (std::vector<SearchHit>& part : found) {
        hits.insert(hits.end(), std::make_move_iterator(part.begin()), std::make_move_iterator(part.end()));
    }
    return hits;
}

} // namespace velmora
