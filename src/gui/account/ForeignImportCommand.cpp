#include "gui/account/ForeignImportCommand.h"

#include "core/migrate/ImportedEntries.h"
#include "core/migrate/KeePassCsv.h"
#include "core/migrate/KeePassXmlReader.h"
#include "core/os/AtomicFile.h"
#include "core/vault/Secret.h"
#include "gui/browser/AccountLists.h"
#include "gui/commands/CommandTable.h"
#include "gui/session/AccountSession.h"

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

    TAccount& account = m_session.Account();
    ImportSummary summary;
    try {
        summary = AddImportedFolders(*imported, account, false);
    } catch (const UnmappableTextError& error) {
        m_session.ShowMessageBox(m_session.Message("const_foreign_unmappable") + QLatin1Char('\r') +
                                     PlacesOf(error.Characters()),
                                 MessageKind::Warning);
        return;
    } catch (const TooManyFoldersError&) {
        m_session.ShowMessageBox(m_session.Message("const_many_folders"), MessageKind::Warning);
        return;
    }
    account.MarkChanged();
    m_lists.FillFolderList(true);
    m_lists.FillRecordList(true);

    const LeftOut& leftOut = imported->leftOut;
    const auto count = [](std::size_t number) { return std::to_string(number); };
    QString report = m_session.FormatMessage("const_foreign_done", {count(summary.folders), count(summary.records)});
    if (leftOut.historyEntries + leftOut.attachments + leftOut.otherFields + leftOut.recycleBinEntries > 0) {
        report +=
            QLatin1Char('\r') + m_session.FormatMessage("const_foreign_left_out",
                                                        {count(leftOut.historyEntries), count(leftOut.attachments),
                                                         count(leftOut.otherFields), count(leftOut.recycleBinEntries)});
    }
    if (!leftOut.otherColumns.empty()) {
        QStringList columns;
        for (const std::string& column : leftOut.otherColumns) {
            columns << Utf8(column);
        }
        report += QLatin1Char('\r') + m_session.Message("const_foreign_left_columns") + QLatin1Char(' ') +
                  columns.join(QStringLiteral(", "));
    }
    m_session.ShowMessageBox(report, MessageKind::Information);
}

} // namespace velmora
