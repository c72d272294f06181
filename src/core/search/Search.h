#pragma once

#include "core/vault/Account.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// How a text is compared with the needle: whole text or any part of it, with or without case.
struct TextMatch
{
    bool exact = false;
    bool caseSensitive = false;
};

// Whether `text` equals (exact) or contains `needle`; without case both are folded by the code page's
// own lower-casing, so the result never depends on the machine's locale.
bool TextMatches(std::string_view text, std::string_view needle, TextMatch match);

// The quick jump: the first of `count` rows whose caption matches `text`, or none. An empty text
// matches no row (the caller leaves its list alone then).
std::optional<std::size_t> FirstMatchingRow(std::size_t count, const std::function<std::string(std::size_t)>& caption,
                                            std::string_view text, TextMatch match);

struct SearchOptions
{
    std::string text;
    TextMatch match;
    // The fields to test, tested in this order: Name, URL, Login, IDNumber, Password.
    bool name = true;
    bool url = true;
    bool login = true;
    bool idNumber = true;
    bool password = true;
    // The one folder to search; none searches every folder.
    std::optional<std::size_t> folder;
};

// One found record, as it was at search time.
struct SearchHit
{
    std::string folderName;
    std::string recordName;
    std::string key;
    std::size_t folderIndex = 0;
    std::size_t position = 0; // 1-based position in its folder
};

// Every record with a chosen field that matches, each listed once, in folder and record order.
// Notes are never searched. A folder index beyond the account finds nothing.
std::vector<SearchHit> RunSearch(const TAccount& account, const SearchOptions& options);

} // namespace velmora
