#include "cli/ForeignImport.h"

#include "cli/ExitCode.h"
#include "cli/PrintableText.h"
#include "core/migrate/ImportedEntries.h"
#include "core/migrate/KeePassCsv.h"
#include "core/migrate/KeePassXmlReader.h"
#include "core/settings/PluralRule.h"
#include "core/vault/CodePage.h"

#include <array>
#include <cstdio>

namespace velmora::cli {
namespace {

std::string Counted(std::size_t count, std::string_view one, std::string_view other)
{
    return std::to_string(count) + " " +
           std::string(PluralFormOf(PluralRule::OneOther, count) == PluralForm::One ? one : other);
}

// Where a character stood and which it was; a password's character is never shown.
std::string PlaceOf(const UnmappableCharacter& character)
{
    // Names from the file are printed escaped: they cannot set the terminal's colours.
    std::string place = "  group \"" + PrintableText(character.group) + "\"";
    place += character.field == "Group"
                 ? ", its name"
                 : ", entry \"" + PrintableText(character.entry) + "\", field " + character.field;
    if (character.field != "Password") {
        std::array<char, 16> code{};
        std::snprintf(code.data(), code.size(), "U+%04X", static_cast<unsigned>(character.character));
        place += ": ";
        place += code.data();
    }
    return place + "\n";
}

std::string ListOf(const UnmappableList& list)
{
    std::string text;
    for (const UnmappableCharacter& character : list.first) {
        text += PlaceOf(character);
    }
    if (list.total > list.first.size()) {
        text += "  and " + std::to_string(list.total - list.first.size()) + " more.\n";
    }
    return text;
}

std::string LeftOutText(const LeftOut& leftOut)
{
    std::string counts;
    const auto add = [&counts](std::size_t count, std::string_view one, std::string_view many) {
        if (count > 0) {
            counts += (counts.empty() ? "" : ", ") + Counted(count, one, many);
        }
    };
    add(leftOut.historyEntries, "history entry", "history entries");
    add(leftOut.attachments, "attachment", "attachments");
    add(leftOut.otherFields, "other custom field", "other custom fields");
    add(leftOut.tags, "tag", "tags");
    add(leftOut.expiryDates, "expiry date", "expiry dates");
    add(leftOut.recycleBinEntries, "entry in the recycle bin", "entries in the recycle bin");
    std::string text = counts.empty() ? "" : "Left out: " + counts + ".\n";
    if (!leftOut.otherColumns.empty()) {
        text += "Left out the columns";
        for (std::size_t i = 0; i < leftOut.otherColumns.size(); ++i) {
            text += (i == 0 ? " \"" : ", \"") + PrintableText(leftOut.otherColumns[i]) + "\"";
        }
        text += ".\n";
    }
    return text;
}

ImportedEntries ReadForeignFile(std::string_view text, const ForeignImportOptions& options)
{
    const std::vector<std::string> idNumberNames = IdNumberFieldNames(options.idNumberCaption);
    try {
        if (options.format == ForeignFormat::KeePassXml) {
            return ReadKeePassXml(text, idNumberNames);
        }
        const std::u8string stem = options.input.stem().u8string();
        return ReadKeePassCsv(text, std::string(stem.begin(), stem.end()), idNumberNames);
    } catch (const ImportError& error) {
        throw CommandError(ExitCode::DamagedFile, error.what());
    }
}

} // namespace

std::string ImportForeignFile(std::string_view text, const ForeignImportOptions& options, TAccount& account)
{
    const ImportedEntries imported = ReadForeignFile(text, options);
    ImportSummary summary;
    try {
        summary = AddImportedFolders(imported, account,
                                     {.replaceUnmappable = options.replaceUnmappable, .untitledName = "Untitled"});
    } catch (const UnmappableTextError& error) {
        std::string list = ListOf(error.Characters());
        list.pop_back(); // the line end the error's printer adds
        throw CommandError(ExitCode::DamagedFile,
                           "Nothing was imported: these texts hold characters that the code page cannot hold "
                           "(give --replace-unmappable to write them as \"?\"):\n" +
                               list);
    } catch (const TooManyFoldersError& error) {
        throw CommandError(ExitCode::DamagedFile, std::string("Nothing was imported: ") + error.what());
    }

    std::string report = "Imported " + Counted(summary.folders, "folder", "folders") + " with " +
                         Counted(summary.records, "record", "records") + ".\n";
    if (summary.named > 0) {
        report += Counted(summary.named, "record had no name and is named after its",
                          "records had no name and are named after their") +
                  " web address, login or \"Untitled\".\n";
    }
    report += LeftOutText(imported.leftOut);
    if (summary.replaced.total > 0) {
        report += "Written as \"?\", as the code page cannot hold them:\n" + ListOf(summary.replaced);
    }
    return report;
}

} // namespace velmora::cli
