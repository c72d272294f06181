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

// A record field's column, by the names exports give it: KeePassXC's (which this program writes)
// first, then those of other password managers and browsers.
struct Column
{
    std::array<std::string_view, 3> names;
    std::string ImportedEntry::*field;
    RecordField member;
};

constexpr std::array<Column, 5> kColumns = {{
    {{"Title", "name"}, &ImportedEntry::title, &TRecType::Name},
    {{"Username", "login_username", "login"}, &ImportedEntry::username, &TRecType::Login},
    {{"Password", "login_password"}, &ImportedEntry::password, &TRecType::Password},
    {{"URL", "login_uri"}, &ImportedEntry::url, &TRecType::URL},
    {{"Notes", "note", "extra"}, &ImportedEntry::notes, &TRecType::Notes},
}};
constexpr const Column& kTitleColumn = kColumns[0];
constexpr const Column& kPasswordColumn = kColumns[2];

// KeePassXC's group paths start with the root group; other exports name the folder itself.
struct GroupColumn
{
    std::string_view name;
    bool startsWithRoot;
};

constexpr std::array<GroupColumn, 3> kGroupColumns = {{{"Group", true}, {"folder", false}, {"grouping", false}}};

// KeePassXC's columns in its order, then this program's own.
constexpr std::string_view kHeader = "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\","
                                     "\"TOTP\",\"Icon\",\"Last Modified\",\"Created\",\"ID number\"\n";

// The columns KeePassXC has and no record field fills (TOTP, Icon, Last Modified, Created): written
// empty, so that KeePassXC reads every column as its own and the ID number after them.
constexpr std::string_view kKeePassXcOnlyFields = ",\"\",\"\",\"\",\"\"";

std::optional<std::size_t> FindColumn(const CsvTable& table, const Column& column)
{
    for (const std::string_view name : column.names) {
        if (!name.empty()) {
            if (const std::optional<std::size_t> index = table.Column(name)) {
                return index;
            }
        }
    }
    return std::nullopt;
}

// "Title or name", for a message.
std::string NamesOf(const Column& column)
{
    std::string names(column.names[0]);
    for (std::size_t i = 1; i < column.names.size() && !column.names[i].empty(); ++i) {
        names += " or ";
        names += column.names[i];
    }
    return names;
}

// "Root/Mail/Work" → "Mail / Work" (the root's name goes, as it does for XML groups), "Mail/Work"
// → "Mail / Work": the path's slashes read as the folder names' separators.
std::string FolderNameOf(std::string_view group, bool startsWithRoot)
{
    std::string_view path = group;
    if (startsWithRoot) {
        const std::size_t slash = group.find('/');
        if (slash == std::string_view::npos) {
            return std::string(group);
        }
        path = group.substr(slash + 1);
    }
    std::string name;
    for (std::size_t i = 0; i < path.size(); ++i) {
        const bool spaced = i > 0 && path[i - 1] == ' ' && i + 1 < path.size() && path[i + 1] == ' ';
        name += path[i] == '/' && !spaced ? std::string(" / ") : std::string(1, path[i]);
    }
    return name;
}

bool HoldsAValue(const CsvTable& table, std::size_t column)
{
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
        if (!table.Row(row)[column].empty()) {
            return true;
        }
    }
    return false;
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

    // Without passwords an import loses the very thing it is for.
    if (!FindColumn(*table, kPasswordColumn)) {
        throw ImportError(FindColumn(*table, kTitleColumn)
                              ? "The CSV file has no password column (" + NamesOf(kPasswordColumn) + ")."
                              : "The CSV file has neither a title column (" + NamesOf(kTitleColumn) +
                                    ") nor a password column (" + NamesOf(kPasswordColumn) + ").");
    }
    std::vector<std::pair<std::size_t, std::string ImportedEntry::*>> taken;
    for (const Column& column : kColumns) {
        if (const std::optional<std::size_t> index = FindColumn(*table, column)) {
            taken.emplace_back(*index, column.field);
        }
    }
    for (const std::string& name : idNumberNames) {
        if (const std::optional<std::size_t> index = table->Column(name)) {
            taken.emplace_back(*index, &ImportedEntry::idNumber);
            break;
        }
    }
    std::optional<std::size_t> groupColumn;
    bool startsWithRoot = false;
    for (const GroupColumn& column : kGroupColumns) {
        if ((groupColumn = table->Column(column.name))) {
            startsWithRoot = column.startsWithRoot;
            break;
        }
    }

    ImportedEntries imported;
    for (std::size_t i = 0; i < table->Header().size(); ++i) {
        const bool used = i == groupColumn ||
                          std::any_of(taken.begin(), taken.end(), [&](const auto& pair) { return pair.first == i; });
        if (!used && HoldsAValue(*table, i)) {
            imported.leftOut.otherColumns.push_back(table->Header()[i]);
        }
    }

    std::map<std::string, std::size_t> groupIndex;
    for (std::size_t row = 0; row < table->RowCount(); ++row) {
        const std::vector<std::string>& fields = table->Row(row);
        const std::string name = groupColumn && !fields[*groupColumn].empty()
                                     ? FolderNameOf(fields[*groupColumn], startsWithRoot)
                                     : defaultGroup;
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
    out.Append(kHeader);
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
            out.Append(kKeePassXcOnlyFields);
            out.Append(",");
            Quoted(out, record.IDNumber());
            out.Append("\n");
        }
    }
    out.Flush();
}

} // namespace velmora
