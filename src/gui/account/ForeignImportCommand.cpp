#include "gui/account/ForeignImportCommand.h"

#include "core/migrate/ImportedEntries.h"
#include "core/migrate/KeePassCsv.h"
#include "core/migrate/KeePassXmlReader.h"
#include "core/os/AtomicFile.h"
#include "core/vault/Secret.h"
#include "gui/browser/AccountLists.h"
#include "gui/commands/CommandTable.h"
#include "gui/session/AccountSession.h"
#include "gui/widgets/CodePageText.h"

#include <QStringList>
#include <filesystem>
#include <string>

namespace velmora {
namespace {

QString Utf8(const std::string& text)
{
    return QString::fromStdString(text);
}

// Where each refused character stood; a password's character is never shown.
QString PlacesOf(const UnmappableList& list)
{
    QStringList lines;
    for (const UnmappableCharacter& character : list.first) {
        QString line = Utf8(character.group);
        if (character.field != "Group") {
            line += QStringLiteral(" / ") + Utf8(character.entry) + QStringLiteral(" / ") + Utf8(character.field);
        }
        if (character.field != "Password") {
            line +=
                QStringLiteral(": U+%1").arg(static_cast<uint>(character.character), 4, 16, QLatin1Char('0')).toUpper();
        }
        lines << line;
    }
    if (list.total > list.first.size()) {
        lines << QStringLiteral("… +%1").arg(list.total - list.first.size());
    }
    return lines.join(QLatin1Char('\r'));
}

bool IsCsv(const std::filesystem::path& file)
{
    return QString::fromStdU16String(file.extension().u16string())
               .compare(QStringLiteral(".csv"), Qt::CaseInsensitive) == 0;
}

// The text with its "%s" markers filled in order; the values are never scanned for markers.
QString FilledIn(QString text, const QStringList& values)
{
    qsizetype from = 0;
    for (const QString& value : values) {
        const qsizetype marker = text.indexOf(QLatin1String("%s"), from);
        if (marker < 0) {
            break;
        }
        text.replace(marker, 2, value);
        from = marker + value.size();
    }
    return text;
}

// One count in the language's plural form.
QString Counted(const AccountSession& session, std::string_view key, std::size_t count)
{
    return FromCodePage(session.Lang().FormatCount(key, count));
}

// What was imported, what was left out and what was written as "?"; counts of none are left out.
QString ReportOf(const AccountSession& session, const ImportSummary& summary, const LeftOut& leftOut)
{
    QString report = FilledIn(session.Message("const_foreign_imported"),
                              {Counted(session, "const_foreign_folders", summary.folders),
                               Counted(session, "const_foreign_records", summary.records)});
    if (summary.named > 0) {
        report += QLatin1Char('\r') + Counted(session, "const_foreign_named", summary.named);
    }
    QStringList omitted;
    for (const auto& [key, count] :
         {std::pair{"const_foreign_history", leftOut.historyEntries},
          std::pair{"const_foreign_attachments", leftOut.attachments},
          std::pair{"const_foreign_fields", leftOut.otherFields}, std::pair{"const_foreign_tags", leftOut.tags},
          std::pair{"const_foreign_expiry", leftOut.expiryDates},
          std::pair{"const_foreign_recycled", leftOut.recycleBinEntries}}) {
        if (count > 0) {
            omitted << Counted(session, key, count);
        }
    }
    if (!omitted.isEmpty()) {
        report += QLatin1Char('\r') +
                  FilledIn(session.Message("const_foreign_omitted"), {omitted.join(QStringLiteral(", "))});
    }
    if (!leftOut.otherColumns.empty()) {
        QStringList columns;
        for (const std::string& column : leftOut.otherColumns) {
            columns << Utf8(column);
        }
        report += QLatin1Char('\r') + session.Message("const_foreign_left_columns") + QLatin1Char(' ') +
                  columns.join(QStringLiteral(", "));
    }
    if (summary.replaced.total > 0) {
        report += QLatin1Char('\r') + session.Message("const_foreign_replaced") + QLatin1Char('\r') +
                  PlacesOf(summary.replaced);
    }
    return report;
}

} // namespace

ForeignImportCommand::ForeignImportCommand(AccountSession& session, AccountLists& lists, CommandTable& commands)
    : m_session(session), m_lists(lists)
{
    commands.Bind("mImportForeign", *this, [this] { mImportForeignClick(); });
}

void ForeignImportCommand::mImportForeignClick()
{
    RecentFolders& folders = m_session.FileFolders();
    const std::optional<QString> chosen = m_session.Services().files.OpenFile(
        m_session.Message("const_foreign_imp"), folders.StartFolder(FileKind::ForeignImport),
        m_session.Message("const_foreign_filter"));
    if (!chosen) {
        return;
    }
    folders.RememberFile(FileKind::ForeignImport, *chosen);
    const std::filesystem::path file(chosen->toStdU16String());
    std::string text = ReadWholeFile(file);
    const WipeOnExit wipeText(text); // the file holds every password in the clear
    const std::vector<std::string> idNumberNames = IdNumberFieldNames(m_session.Message("const_cap3").toStdString());

    std::optional<ImportedEntries> imported;
    try {
        const std::u8string stem = file.stem().u8string();
        imported.emplace(IsCsv(file) ? ReadKeePassCsv(text, std::string(stem.begin(), stem.end()), idNumberNames)
                                     : ReadKeePassXml(text, idNumberNames));
    } catch (const ImportError& error) {
        m_session.ShowMessageBox(m_session.Message("const_foreign_bad") + QLatin1Char('\r') +
                                     QString::fromUtf8(error.what()),
                                 MessageKind::Error);
        return;
    }

    const std::optional<ImportSummary> summary = AddFolders(*imported);
    if (!summary) {
        return;
    }
    m_session.Account().MarkChanged();
    m_lists.FillFolderList(true);
    m_lists.FillRecordList(true);
    m_session.ShowMessageBox(ReportOf(m_session, *summary, imported->leftOut), MessageKind::Information);
}

std::optional<ImportSummary> ForeignImportCommand::AddFolders(const ImportedEntries& imported)
{
    ImportOptions options{.replaceUnmappable = false,
                          .untitledName = m_session.Message("const_foreign_untitled").toStdString()};
    try {
        try {
            return AddImportedFolders(imported, m_session.Account(), options);
        } catch (const UnmappableTextError& error) {
            // As the tool's --replace-unmappable: the user decides, seeing where the characters are.
            const QString question = m_session.Message("const_foreign_unmappable_found") + QLatin1Char('\r') +
                                     PlacesOf(error.Characters()) + QLatin1Char('\r') +
                                     m_session.Message("const_foreign_ask_replace");
            if (m_session.Services().messages.AskYesNo(question) != Answer::Yes) {
                return std::nullopt;
            }
            options.replaceUnmappable = true;
            return AddImportedFolders(imported, m_session.Account(), options);
        }
    } catch (const TooManyFoldersError&) {
        m_session.ShowMessageBox(m_session.Message("const_many_folders"), MessageKind::Warning);
        return std::nullopt;
    }
}

} // namespace velmora
