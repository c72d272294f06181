#include "core/migrate/KeePassCsv.h"

#include "core/export/ExportBuffer.h"
#include "core/migrate/CsvReader.h"
#include "core/migrate/LineBreaks.h"
#include "core/vault/Secret.h"

#include <algorithm>
#include <array>
#include <map>

namespace velmora {
namespace {

constexpr std::string_view kGroupColumn = "Group";

struct Column
{
    std::string_view name;
    std::string ImportedEntry::*field;
    RecordField member;
};

constexpr std::array<Column, 5> kColumns = {{
    {"Title", &ImportedEntry::title, &TRecType::Name},
    {"Username", &ImportedEntry::username, &TRecType::Login},
    {"Password", &ImportedEntry::password, &TRecType::Password},
    {"URL", &ImportedEntry::url, &TRecType::URL},
    {"Notes", &ImportedEntry::notes, &TRecType::Notes},
}};

// "Root/Mail/Work" → "Mail / Work": the root's name goes, as it does for XML groups, and the
// path's slashes read as the folder names' separators.
std::string FolderNameOf(std::string_view group)
{
    const std::size_t slash = group.find('/');
    if (slash == std::string_view::npos) {
        return std::string(group);
    }
    std::string name;
    const std::string_view path = group.substr(slash + 1);
    for (std::size_t i = 0; i < path.size(); ++i) {
        const bool spaced = i > 0 && path[i - 1] == ' ' && i + 1 < path.size() && path[i + 1] == ' ';
        name += path[i] == '/' && !spaced ? std::string(" / ") : std::string(1, path[i]);
    }
    return name;
}

const CodePageTable& CsvFieldBytes()
{
    static const CodePageTable table(
        [](char byte) { return byte == '"' ? std::string("\"\"") : CodePageToUtf8(std::string_view(&byte, 1)); });
    return table;
}

void Quoted(ExportBuffer& out, std::string_view bytes)
{
    out.Append("\"");
    out.Append(bytes, CsvFieldBytes());
    out.Append("\"");
}

} // namespace

ImportedEntries ReadKeePassCsv(std::string_view text, const std::string& defaultGroup,
                               const std::vector<std::string>& idNumberNames)
{
    std::optional<CsvTable> table;
    try {
        table.emplace(text);
    } catch (const CsvError& error) {
        throw ImportError(error.what());
    }

    std::vector<std::pair<std::size_t, std::string ImportedEntry::*>> taken;
    for (const Column& column : kColumns) {
        if (const std::optional<std::size_t> index = table->Column(column.name)) {
            taken.emplace_back(*index, column.field);
        }
    }
    for (const std::string& name : idNumberNames) {
        if (const std::optional<std::size_t> index = table->Column(name)) {
            taken.emplace_back(*index, &ImportedEntry::idNumber);
            break;
        }
    }
    const std::optional<std::size_t> groupColumn = table->Column(kGroupColumn);
    if (taken.empty()) {
        throw ImportError("The CSV file has none of the columns Title, Username, Password, URL and Notes.");
    }

    ImportedEntries imported;
    for (std::size_t i = 0; i < table->Header().size(); ++i) {
        const bool used = i == groupColumn ||
                          std::any_of(taken.begin(), taken.end(), [&](const auto& pair) { return pair.first == i; });
        if (!used) {
            imported.leftOut.otherColumns.push_back(table->Header()[i]);
        }
    }

    std::map<std::string, std::size_t> groupIndex;
    for (std::size_t row = 0; row < table->RowCount(); ++row) {
        const std::vector<std::string>& fields = table->Row(row);
        const std::string name =
            groupColumn && !fields[*groupColumn].empty() ? FolderNameOf(fields[*groupColumn]) : defaultGroup;
        const auto [found, added] = groupIndex.try_emplace(name, imported.groups.size());
        if (added) {
            imported.groups.push_back(ImportedGroup{.name = name, .icon = std::nullopt, .entries = {}});
        }
        ImportedEntry& entry = imported.groups[found->second].entries.emplace_back();
        for (const auto& [index, field] : taken) {
            entry.*field = fields[index];
        }
    }
    return imported;
}

void WriteKeePassCsv(const TAccount& account, const PieceWriter& write)
{
    ExportBuffer out(write);
    out.Append("\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"ID number\"\n");
    for (std::size_t i = 0; i < account.FolderCount(); ++i) {
        const TFolderType& folder = account.Folder(i);
        const std::string group = account.Name + "/" + folder.Name;
        for (std::size_t position = 0; position < folder.Count(); ++position) {
            const TRecType& record = folder.RecordAt(position);
            Quoted(out, group);
            for (const Column& column : kColumns) {
                out.Append(",");
                if (column.member == &TRecType::Notes) {
                    std::string notes = WithLf(record.Notes());
                    Quoted(out, notes);
                    Wipe(notes);
                } else {
                    Quoted(out, (record.*column.member)());
                }
            }
            out.Append(",");
            Quoted(out, record.IDNumber());
            out.Append("\n");
        }
    }
    out.Flush();
}

} // namespace velmora
