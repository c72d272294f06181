#include "gui/settings/InterfaceLanguage.h"

#include "core/settings/LanguageChoice.h"
#include "gui/commands/CommandTable.h"
#include "gui/main/TfrmMain.h"
#include "gui/widgets/FormTranslation.h"

#include <QAbstractItemView>
#include <QAction>
#include <QTableView>
#include <string>

namespace velmora {
namespace {

QString PathQText(const std::filesystem::path& path)
{
    return QString::fromStdU16String(path.u16string());
}

void SetColumnCaption(const QAbstractItemView& list, int column, const QString& caption)
{
    list.model()->setHeaderData(column, Qt::Horizontal, caption);
}

} // namespace

InterfaceLanguage::InterfaceLanguage(TfrmMain& main) : m_main(main)
{
    main.Commands().Bind("mEng", main, [this] { mEngClick(); });
    main.Commands().Bind("mLanSelect", main, [this] { mLanSelectClick(); });
}

bool InterfaceLanguage::ApplyLanguage()
{
    try {
        // A chosen file that was deleted since falls back to Default.lng, so no message is
        // ever shown without its text.
        m_main.Lang().SetDocument(OpenChosenLanguageFile(m_main.ProgramFilesDir(), m_lanFile));
        TranslateForms(ExistingForms(), m_main.Lang());
        SetColumnCaption(*m_main.FolderList(), 0, m_main.Message("const_folders_cap"));
        m_main.BuildPopupMenus();
        if (m_main.Settings().rbBrief()) {
            SetColumnCaption(*m_main.RecordList(), 0, m_main.Message("const_records_cap"));
        } else {
            for (int column = 1; column <= 4; ++column) {
                SetColumnCaption(*m_main.RecordList(), column - 1,
                                 m_main.Message("const_cap" + std::to_string(column)));
            }
        }
        for (QWidget* form : ExistingForms()) {
            const auto* results = form->objectName() == QLatin1String("frmFind")
                                      ? form->findChild<QAbstractItemView*>(QStringLiteral("list"))
                                      : nullptr;
            if (results != nullptr) {
                SetColumnCaption(*results, 0, m_main.Message("const_col1"));
                SetColumnCaption(*results, 1, m_main.Message("const_col2"));
            }
        }
        m_main.UpdateMainCaption();
        m_main.UpdateStatusBar();
        return true;
    } catch (const std::exception&) {
        m_main.ShowMessageBox(m_main.Message("const_err_lan"), MessageKind::Error);
        return false;
    }
}

void InterfaceLanguage::SetLanguageFile(const std::filesystem::path& path)
{
    const std::filesystem::path previous = m_lanFile;
    m_lanFile = path;
    if (!ApplyLanguage()) {
        m_lanFile = previous;
        return;
    }
    WriteLanguageChoice(m_main.UserFilesDir(), m_lanFile); // a failed write keeps the earlier choice
}

void InterfaceLanguage::LoadLanguageChoice()
{
    ApplyLanguage();
    m_lanFile = ReadLanguageChoice(m_main.UserFilesDir(), m_lanFile);
}

void InterfaceLanguage::StartUp()
{
    m_lanFile.clear();
    LoadLanguageChoice();
    ApplyLanguage();
}

void InterfaceLanguage::mEngClick()
{
    SetLanguageFile({});
}

void InterfaceLanguage::mLanSelectClick()
{
    const std::optional<QString> file = m_main.Services().files.OpenFile(
        QString(), PathQText(m_main.ProgramFilesDir() / kLanguagesDirectoryName), m_main.Message("const_lng_fil"));
    if (file && !file->isEmpty()) {
        SetLanguageFile(file->toStdU16String());
    }
}

} // namespace velmora
