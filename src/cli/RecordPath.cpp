#include "cli/RecordPath.h"

#include "cli/AccountStore.h"
#include "cli/ExitCode.h"
#include "cli/PrintableText.h"
#include "core/vault/CodePage.h"

#include <charconv>
#include <functional>
#include <vector>

namespace velmora::cli {
namespace {

// The position of a trailing `#N` (digits only) that no backslash escapes, or npos.
std::size_t PositionMark(std::string_view part)
{
    const std::size_t mark = part.rfind('#');
    if (mark == std::string_view::npos || mark + 1 == part.size() ||
        part.find_first_not_of("0123456789", mark + 1) != std::string_view::npos) {
        return std::string_view::npos;
    }
    std::size_t backslashes = 0;
    while (backslashes < mark && part[mark - 1 - backslashes] == '\\') {
        ++backslashes;
    }
    return backslashes % 2 == 0 ? mark : std::string_view::npos;
}

std::string Unescape(std::string_view text)
{
    std::string name;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() &&
            (text[i + 1] == '/' || text[i + 1] == '\\' || text[i + 1] == '#')) {
            ++i;
        }
        name += text[i];
    }
    return name;
}

PathPart ParsePart(std::string_view text, std::string_view what)
{
    PathPart part;
    const std::size_t mark = PositionMark(text);
    if (mark != std::string_view::npos) {
        std::size_t position = 0;
        const auto [end, error] = std::from_chars(text.data() + mark + 1, text.data() + text.size(), position);
        if (error != std::errc() || position == 0) {
            throw CommandError(ExitCode::Usage, "A position after \"#\" counts from 1.");
        }
        part.position = position;
        text = text.substr(0, mark);
    }
    part.name = Unescape(text);
    if (part.name.empty()) {
        throw CommandError(ExitCode::Usage, "The path names no " + std::string(what) + ".");
    }
    return part;
}

std::string CodePageName(const PathPart& part)
{
    std::optional<std::string> name = ToCodePage(part.name);
    return name ? std::move(*name) : std::string();
}

// Finds the part among `count` items named by `nameAt`; `describe` names an item for messages.
// `describe` adds what tells an item from the others of its name.
std::size_t FindByName(std::size_t count, const std::function<std::string_view(std::size_t)>& nameAt,
                       const std::function<std::string(std::size_t)>& describe, const PathPart& part,
                       const std::string& where, std::string_view what)
{
    const std::string wanted = CodePageName(part);
    const auto notFound = [&] {
        return CommandError(ExitCode::NotFound,
                            where + " has no " + std::string(what) + " \"" + PrintableText(part.name) + "\"" +
                                (part.position ? " at position " + std::to_string(*part.position) : std::string()) +
                                ".");
    };
    if (part.position) {
        const std::size_t index = *part.position - 1;
        if (index >= count || wanted.empty() || nameAt(index) != wanted) {
            throw notFound();
        }
        return index;
    }
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < count && !wanted.empty(); ++i) {
        if (nameAt(i) == wanted) {
            found.push_back(i);
        }
    }
    if (found.empty()) {
        throw notFound();
    }
    if (found.size() > 1) {
        std::string list;
        for (const std::size_t index : found) {
            list += "\n  " + PrintablePath(PathName(wanted)) + "#" + std::to_string(index + 1) + describe(index);
        }
        throw CommandError(ExitCode::Usage, where + " has " + std::to_string(found.size()) + " " + std::string(what) +
                                                "s named \"" + PrintableText(part.name) +
                                                "\"; pick one by its position:" + list);
    }
    return found.front();
}

// The name written for a path, with its 1-based position when another item has the same name.
std::string PartText(std::size_t count, const std::function<std::string_view(std::size_t)>& nameAt, std::size_t index)
{
    std::string text = PathName(nameAt(index));
    for (std::size_t i = 0; i < count; ++i) {
        if (i != index && nameAt(i) == nameAt(index)) {
            return text + "#" + std::to_string(index + 1);
        }
    }
    return text;
}

} // namespace

std::string PrintablePath(std::string_view path)
{
    return PrintableText(path, "\\");
}

std::string PathOf(const TAccount& account, std::size_t folder)
{
    return PartText(
        account.FolderCount(), [&](std::size_t i) -> std::string_view { return account.Folder(i).Name; }, folder);
}

std::string PathOf(const TAccount& account, std::size_t folder, std::size_t position)
{
    const TFolderType& records = account.Folder(folder);
    return PathOf(account, folder) + "/" +
           PartText(
               records.Count(), [&](std::size_t i) { return records.RecordAt(i).Name(); }, position);
}

RecordPath ParseRecordPath(std::string_view typed)
{
    std::size_t slash = 0;
    for (; slash < typed.size() && typed[slash] != '/'; ++slash) {
        if (typed[slash] == '\\' && slash + 1 < typed.size()) {
            ++slash;
        }
    }
    RecordPath path;
    path.folder = ParsePart(typed.substr(0, slash), "folder");
    if (slash < typed.size()) {
        path.record = ParsePart(typed.substr(slash + 1), "record");
    }
    return path;
}

std::string PathName(std::string_view codePageName)
{
    const std::string utf8 = CodePageToUtf8(codePageName);
    std::string written;
    for (const char c : utf8) {
        if (c == '/' || c == '\\') {
            written += '\\';
        }
        written += c;
    }
    if (PositionMark(written) != std::string::npos) {
        written.insert(PositionMark(written), 1, '\\');
    }
    return written;
}

std::size_t FindFolder(const TAccount& account, const PathPart& part)
{
    return FindByName(
        account.FolderCount(), [&](std::size_t i) -> std::string_view { return account.Folder(i).Name; },
        [&](std::size_t i) { return " (" + std::to_string(account.Folder(i).Count()) + " records)"; }, part,
        "Account " + QuotedName(account), "folder");
}

std::size_t FindRecord(const TFolderType& folder, const PathPart& part)
{
    return FindByName(
        folder.Count(), [&](std::size_t i) { return folder.RecordAt(i).Name(); },
        [&](std::size_t i) {
            const std::string_view login = folder.RecordAt(i).Login();
            return login.empty() ? std::string() : " (login " + PrintableText(CodePageToUtf8(login)) + ")";
        },
        part, "Folder \"" + PrintableText(CodePageToUtf8(folder.Name)) + "\"", "record");
}

RecordPlace FindRecordPlace(const TAccount& account, const RecordPath& path)
{
    if (!path.record) {
        throw CommandError(ExitCode::Usage, "Name a record as FOLDER/RECORD.");
    }
    const std::size_t folder = FindFolder(account, path.folder);
    return {folder, FindRecord(account.Folder(folder), *path.record)};
}

} // namespace velmora::cli
