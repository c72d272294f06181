#include "gui/main/TfrmMain.h"

#include "ProgramInfo.h"
#include "core/account/AccountDirectory.h"
#include "core/account/AccountFilesWriter.h"
#include "core/os/FileExists.h"
#include "core/vault/ListRows.h"
#include "gui/browser/QuickJump.h"
#include "gui/commands/CommandTable.h"
#include "gui/settings/InterfaceLanguage.h"
#include "gui/settings/TfrmOptions.h"
#include "gui/widgets/CodePageText.h"
#include "gui/widgets/DesktopLook.h"
#include "gui/widgets/ListRowModel.h"
#include "gui/widgets/Pictures.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

namespace velmora {
namespace {

constexpr int kFolderListWidth = 210;
constexpr int kFindLeftExtra = 2; // panFindLeft is this much wider than the folder list

enum Tag
{
    TagFolders = 1,
    TagRecords = 2,
    TagFolderFind = 3,
    TagRecordFind = 4
};

QTableView* MakeList(QWidget* parent, const char* name, int tag, QAbstractItemModel* model)
{
    QTableView* list = MakeReportList(parent, name, model);
    list->setProperty("Tag", tag);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    return list;
}

// Copies the items of `source` into `target` as the context menus want them: named
// prefix + the source's name (+ suffix), with the source's caption and click handler.
void CopyMenuItems(const QMenu& source, QMenu& target, const QString& prefix, const QString& suffix, bool withShortcuts,
                   const std::function<void(QAction&, QMenu&)>& special = {})
{
    for (QAction* item : source.actions()) {
        if (item->menu() != nullptr && special) {
            special(*item, target);
            continue;
        }
        auto* copy = new QAction(&target);
        copy->setObjectName(prefix + item->objectName() + suffix);
        if (item->isSeparator()) {
            copy->setSeparator(true);
            copy->setText(QStringLiteral("-"));
        } else {
            copy->setText(item->text());
            copy->setEnabled(item->isEnabled());
            if (withShortcuts) {
                copy->setShortcut(item->shortcut());
            }
            QObject::connect(copy, &QAction::triggered, item, &QAction::trigger);
            QObject::connect(item, &QAction::enabledChanged, copy, &QAction::setEnabled);
        }
        target.addAction(copy);
    }
}

void ClearMenu(QMenu& menu)
{
    if (!menu.actions().isEmpty()) {
        menu.clear();
    }
    qDeleteAll(menu.findChildren<QMenu*>(Qt::FindDirectChildrenOnly));
}

} // namespace

TfrmMain::TfrmMain(Platform platform, QWidget* parent)
    : QMainWindow(parent), m_platform(platform), m_imgLst(FolderIcons()), m_lstImg2({RecordIcon()})
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(ApplicationIcon());
    setWindowTitle(ApplicationTitle());
    m_account.OnChange = [this] { AccountChanged(); };

    m_commands =
        std::make_unique<CommandTable>(*this, [this](const std::exception& failure) { ReportFailure(failure); });
    BuildMenus();
    BuildToolBar();
    BuildLists();
    BuildFindPanel();
    BuildStatusBar();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_splitter, 1);
    layout->addWidget(m_panFind);
    setCentralWidget(central);
    m_language = std::make_unique<InterfaceLanguage>(*this);

    resize(752, 474);
    move(207, 118);
    BuildPopupMenus();
    SetListWidths(AccountSettings{});
    m_options = std::make_unique<TfrmOptions>(*this);
    m_commands->Bind("mOptions", *this, [this] { mOptionsClick(); });
    ApplySettings();
    FillFolderList(false);
    FillRecordList(false);
    qApp->installEventFilter(this); // the window sees every key release, as a key preview
}

TfrmMain::~TfrmMain()
{
    m_account.OnChange = nullptr;
}

void TfrmMain::BuildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("mMain"));
    int separators = 0;
    const auto item = [this](QMenu* menu, const char* name) { menu->addAction(Action(name)); };
    const auto separator = [this, &separators](QMenu* menu) {
        QAction* action = menu->addSeparator();
        action->setObjectName(QStringLiteral("N%1").arg(++separators));
    };
    const auto submenu = [this](QWidget* parent, const char* name, const QString& caption) {
        auto* menu = new QMenu(caption, parent);
        menu->setObjectName(QLatin1String(name));
        menu->menuAction()->setObjectName(QLatin1String(name));
        if (auto* parentMenu = qobject_cast<QMenu*>(parent)) {
            parentMenu->addMenu(menu);
        } else {
            menuBar()->addMenu(menu);
        }
        return menu;
    };

    QMenu* account = submenu(bar, "mAccount", QStringLiteral(" Аккаунт"));
    item(account, "mChangeUser");
    separator(account);
    QMenu* import = submenu(account, "mImport", QStringLiteral("Импорт"));
    item(import, "mAcc");
    item(import, "mFol");
    item(import, "mImportForeign");
    QMenu* exportMenu = submenu(account, "mExport", QStringLiteral("Экспорт"));
    item(exportMenu, "mText");
    item(exportMenu, "MicrosoftExcel1");
    item(exportMenu, "MicrosoftWord1");
    QMenu* save = submenu(account, "mSave", QStringLiteral("Сохранить"));
    item(save, "mSaveAcc");
    separator(save);
    item(save, "mSaveAccDisk");
    item(save, "mSaveFolder");
    separator(account);
    item(account, "mChangePass");
    item(account, "mOptions");
    separator(account);
    item(account, "mDelAcc");
    separator(account);
    item(account, "mTray");
    item(account, "mExit");

    QMenu* folder = submenu(bar, "mFolder", QStringLiteral(" Папка"));
    item(folder, "mFolderNew");
    item(folder, "mFolderEdit");
    item(folder, "mFolderDel");
    item(folder, "mFolderClear");
    separator(folder);
    item(folder, "mFolderUp");
    item(folder, "mFolderDown");

    QMenu* record = submenu(bar, "mRecord", QStringLiteral(" Запись"));
    item(record, "mRecNew");
    item(record, "mRecEdit");
    item(record, "mRecDel");
    separator(record);
    item(record, "mRecUp");
    item(record, "mRecDown");
    separator(record);
    QMenu* copy = submenu(record, "mCopy", QStringLiteral("Скопировать"));
    item(copy, "mCName");
    item(copy, "mCUrl");
    item(copy, "mCLogin");
    item(copy, "mCId");
    item(copy, "mCPass");
    item(record, "mURL");
    separator(record);
    item(record, "mAdvSearch");

    QMenu* misc = submenu(bar, "mMisc", QStringLiteral(" Разное"));
    item(misc, "mPassGen");
    QMenu* clipboard = submenu(misc, "mClipboard", QStringLiteral("Буфер обмена"));
    item(clipboard, "mCl");
    item(clipboard, "mClBuf");
    separator(misc);
    QMenu* language = submenu(misc, "mLanMenu", QStringLiteral("Язык интерфейса"));
    item(language, "mEng");
    separator(language);
    item(language, "mLanSelect");

    QMenu* help = submenu(bar, "mHelp", QStringLiteral(" Справка"));
    item(help, "mContent");
    separator(help);
    item(help, "mAbout");

    m_cmFolder = new QMenu(this);
    m_cmFolder->setObjectName(QStringLiteral("cmFolder"));
    m_cmRecord = new QMenu(this);
    m_cmRecord->setObjectName(QStringLiteral("cmRecord"));
    m_cmCopy = new QMenu(this);
    m_cmCopy->setObjectName(QStringLiteral("cmCopy"));
}

void TfrmMain::BuildToolBar()
{
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(24, 24));
    m_toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, m_toolBar);

    const auto button = [this](const char* name, Glyph glyph, const QString& hint, const char* command,
                               int width = 40) {
        auto* tool = new QToolButton(m_toolBar);
        tool->setObjectName(QLatin1String(name));
        tool->setIcon(ToolbarGlyph(glyph));
        tool->setToolTip(hint);
        tool->setAutoRaise(true);
        tool->setFixedSize(width, 39);
        if (command != nullptr) {
            // The button runs its menu item's command and is enabled with it.
            QAction* action = Action(command);
            connect(tool, &QToolButton::clicked, action, &QAction::trigger);
            connect(action, &QAction::enabledChanged, tool, &QWidget::setEnabled);
            tool->setEnabled(action->isEnabled());
        }
        m_toolBar->addWidget(tool);
        return tool;
    };
    button("butFolderNew", Glyph::FolderNew, QStringLiteral("Новая папка"), "mFolderNew");
    button("butFolderEdit", Glyph::FolderEdit, QStringLiteral("Изменить папку"), "mFolderEdit");
    button("butFolderDel", Glyph::FolderDelete, QStringLiteral("Удалить папку"), "mFolderDel");
    m_toolBar->addSeparator();
    button("butFolderUp", Glyph::FolderUp, QStringLiteral("Подвинуть папку вверх"), "mFolderUp");
    button("butFolderDown", Glyph::FolderDown, QStringLiteral("Подвинуть папку вниз"), "mFolderDown");
    m_toolBar->addSeparator();
    button("butRecNew", Glyph::RecordNew, QStringLiteral("Новая запись в текущей папке"), "mRecNew");
    button("butRecEdit", Glyph::RecordEdit, QStringLiteral("Изменить запись"), "mRecEdit");
    button("butRecDel", Glyph::RecordDelete, QStringLiteral("Удалить запись"), "mRecDel");
    m_toolBar->addSeparator();
    button("butRecUp", Glyph::RecordUp, QStringLiteral("Подвинуть запись вверх"), "mRecUp");
    button("butRecDown", Glyph::RecordDown, QStringLiteral("Подвинуть запись вниз"), "mRecDown");
    m_toolBar->addSeparator();
    QToolButton* copy = button("butCopy", Glyph::Copy, QStringLiteral("Скопировать в буфер обмена"), nullptr, 44);
    connect(copy, &QToolButton::clicked, this,
            [this, copy] { m_cmCopy->popup(copy->mapToGlobal(QPoint(0, copy->height()))); });
    m_toolBar->addSeparator();
    button("butPassGen", Glyph::Generator, QStringLiteral("Генератор паролей"), "mPassGen");
    button("butSave", Glyph::Save, QStringLiteral("Сохранить изменения в аккаунте"), "mSaveAcc");
    auto* gap = new QWidget(m_toolBar);
    gap->setFixedWidth(21);
    m_toolBar->addWidget(gap);
    button("butChooseUser", Glyph::ChooseUser, QStringLiteral("Сменить аккаунт"), "mChangeUser");
    button("butTray", Glyph::Tray, QStringLiteral("Свернуть в трей (к часам Windows)"), "mTray");
    button("butExit", Glyph::Exit, QStringLiteral("Выйти из программы"), "mExit");
}

void TfrmMain::BuildLists()
{
    m_folderModel = new ListRowModel({QStringLiteral("Папки")}, this);
    m_recordModel = new ListRowModel(
        {QStringLiteral("Название"), QStringLiteral("Логин"), QStringLiteral("ID номер"), QStringLiteral("Пароль")},
        this);
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("Splitter1"));
    m_splitter->setHandleWidth(4);
    m_splitter->setChildrenCollapsible(false); // no auto-snap
    m_lstFolders = MakeList(m_splitter, "lstFolders", TagFolders, m_folderModel);
    m_lstRecords = MakeList(m_splitter, "lstRecords", TagRecords, m_recordModel);
    m_splitter->addWidget(m_lstFolders);
    m_splitter->addWidget(m_lstRecords);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);

    connect(m_lstFolders->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                for (const QModelIndex& index : deselected.indexes()) {
                    if (index.column() == 0) {
                        lstFoldersChanging(index.row());
                        lstFoldersSelectItem(index.row(), false);
                    }
                }
                for (const QModelIndex& index : selected.indexes()) {
                    if (index.column() == 0) {
                        lstFoldersChanging(index.row());
                        lstFoldersSelectItem(index.row(), true);
                    }
                }
            });
    connect(m_lstRecords->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected, const QItemSelection& deselected) {
                for (const auto* changes : {&deselected, &selected}) {
                    for (const QModelIndex& index : changes->indexes()) {
                        if (index.column() == 0) {
                            lstRecordsSelectItem(index.row(), changes == &selected);
                        }
                    }
                }
            });
    // The splitter reports every mouse step; the account takes the new width once, when the drag ends.
    connect(m_splitter, &QSplitter::splitterMoved, this, [this] { m_splitterDragged = true; });
    connect(m_lstFolders, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { m_cmFolder->popup(m_lstFolders->viewport()->mapToGlobal(at)); });
    connect(m_lstRecords, &QWidget::customContextMenuRequested, this,
            [this](QPoint at) { m_cmRecord->popup(m_lstRecords->viewport()->mapToGlobal(at)); });
}

void TfrmMain::BuildFindPanel()
{
    m_panFind = new QWidget(this);
    m_panFind->setObjectName(QStringLiteral("panFind"));
    auto* layout = new QHBoxLayout(m_panFind);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(6);
    const auto half = [this](const char* panel, const char* label, const QString& caption, const char* edit, int tag) {
        auto* pan = new QWidget(m_panFind);
        pan->setObjectName(QLatin1String(panel));
        auto* column = new QVBoxLayout(pan);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(1);
        auto* text = new QLabel(caption, pan);
        text->setObjectName(QLatin1String(label));
        auto* box = new QLineEdit(pan);
        box->setObjectName(QLatin1String(edit));
        box->setProperty("Tag", tag);
        text->setBuddy(box);
        GuardCodePageInput(box, [this](char32_t c) { ReportRefusedCharacter(c); });
        column->addWidget(text);
        column->addWidget(box);
        return std::pair{pan, box};
    };
    std::tie(m_panFindLeft, m_edFolderFind) =
        half("panFindLeft", "labFolder", QStringLiteral("Переход к папке"), "edFolderFind", TagFolderFind);
    QWidget* right = nullptr;
    std::tie(right, m_edRecFind) =
        half("panFindRight", "labRecord", QStringLiteral("Переход к записи"), "edRecFind", TagRecordFind);
    m_panFindLeft->setFixedWidth(kFolderListWidth + kFindLeftExtra);
    layout->addWidget(m_panFindLeft);
    layout->addWidget(right, 1);
}

void TfrmMain::BuildStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("bar"));
    bar->setSizeGripEnabled(true);
    for (const int width : {kFolderListWidth, 200, 100, 50}) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("barPanel%1").arg(m_panels.size() + 1));
        panel->setMinimumWidth(width);
        panel->setContentsMargins(3, 0, 3, 0);
        bar->addWidget(panel);
        m_panels << panel;
    }
    m_panels.front()->setFixedWidth(kFolderListWidth);
}

QAction* TfrmMain::Action(const char* name) const
{
    return m_commands->Action(name);
}

std::filesystem::path TfrmMain::AccountFile(std::string_view extension) const
{
    return AccountFilePath(m_folders.userFiles, m_account.Name, extension);
}

void TfrmMain::FormShow(const ProgramFolders& folders)
{
    m_folders = folders;
    m_language->StartUp();
    if (m_accountDialog != nullptr) {
        m_platform.dialogs.RunModal(*m_accountDialog);
    }
}

QString ApplicationTitle()
{
    return QStringLiteral("Velmora ") + QLatin1String(kVersion);
}

QString TfrmMain::Message(std::string_view key) const
{
    return FromCodePage(m_lang.GetMessageText(key));
}

QString TfrmMain::FormatMessage(std::string_view key, std::initializer_list<std::string_view> arguments) const
{
    return FromCodePage(m_lang.FormatMessage(key, arguments));
}

void TfrmMain::ShowMessageBox(const QString& text, MessageKind kind)
{
    // A one-line message stands below an empty first line.
    m_platform.messages.ShowMessage(kind, text.contains(QLatin1Char('\r')) ? text : QLatin1Char('\r') + text);
}

void TfrmMain::ReportFailure(const std::exception& failure)
{
    // The language file's sentence, with the file and the system's reason as they came.
    const auto* fileError = dynamic_cast<const FileError*>(&failure);
    QString text;
    QStringList arguments;
    if (fileError != nullptr && !fileError->FileText().empty()) {
        text = Message("const_file_failed");
        arguments = {QString::fromStdString(fileError->FileText()), QString::fromStdString(fileError->Reason())};
    } else {
        text = Message("const_command_failed");
        arguments = {QString::fromUtf8(failure.what())};
    }
    for (const QString& argument : arguments) {
        const qsizetype at = text.indexOf(QLatin1String("%s"));
        if (at < 0) {
            break;
        }
        text.replace(at, 2, argument);
    }
    ShowMessageBox(text, MessageKind::Error);
}

void TfrmMain::ReportRefusedCharacter(char32_t character)
{
    ShowMessageBox(Message("const_bad_char") + CharacterText(character), MessageKind::Warning);
}

RecordRowLayout TfrmMain::Layout() const
{
    return RecordRowLayout{m_settings.rbBrief(), m_settings.cbLoginStars, m_settings.cbIDStars, m_settings.cbPassStars};
}

int TfrmMain::SelectedRow(const QTableView* list) const
{
    const QModelIndexList rows = list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

int TfrmMain::FocusedRow(const QTableView* list) const
{
    const QModelIndex current = list->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void TfrmMain::FocusRow(QTableView* list, int row)
{
    list->selectionModel()->setCurrentIndex(list->model()->index(row, 0), QItemSelectionModel::NoUpdate);
}

void TfrmMain::SelectRow(QTableView* list, int row)
{
    list->selectionModel()->select(list->model()->index(row, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TfrmMain::SetPanel(int panel, const QString& text)
{
    m_panels[panel]->setText(text);
}

QString TfrmMain::PanelText(int panel) const
{
    return m_panels[panel]->text();
}

void TfrmMain::FillFolderList(bool keepSelection)
{
    const int remembered = keepSelection ? SelectedRow(m_lstFolders) : -1;
    m_folderModel->SetRows(FillFolderRows(m_account));
    if (keepSelection && remembered >= 0 && remembered < m_folderModel->rowCount()) {
        FocusRow(m_lstFolders, remembered);
        SelectRow(m_lstFolders, remembered);
    }
    UpdateStatusBar();
}

void TfrmMain::FillRecordList(bool keepSelection)
{
    int folderRow = SelectedRow(m_lstFolders);
    if (folderRow < 0) {
        folderRow = FocusedRow(m_lstFolders);
    }
    const int remembered = keepSelection ? SelectedRow(m_lstRecords) : -1;
    if (folderRow >= 0 && static_cast<std::size_t>(folderRow) < m_account.FolderCount()) {
        const TFolderType& folder = m_account.Folder(static_cast<std::size_t>(folderRow));
        m_recordModel->SetRows(FillRecordRows(folder, Layout()));
        m_recordListShowsFolder = true;
    } else {
        m_recordModel->SetRows({});
        m_recordListShowsFolder = false;
    }
    UpdateStatusBar();
    if (keepSelection && remembered >= 0 && remembered < m_recordModel->rowCount()) {
        FocusRow(m_lstRecords, remembered);
        SelectRow(m_lstRecords, remembered);
    }
}

void TfrmMain::UpdateStatusBar()
{
    SetPanel(0, Message("const_folders") + QString::number(m_account.FolderCount()));
    SetPanel(1, m_recordListShowsFolder ? Message("const_records") + QString::number(m_recordModel->rowCount())
                                        : QString());
    SetPanel(2, m_account.Modified ? Message("const_mod") : QString());
}

void TfrmMain::AccountChanged()
{
    UpdateStatusBar();
    if (!m_account.Modified) {
        return;
    }
    if (m_settings.cbSaveMod && !m_account.IsReading()) {
        // A failed save is reported here, so the command that made the change still finishes
        // refilling its lists; the account stays modified and marked.
        try {
            SaveAccount();
        } catch (const std::exception& error) {
            ReportFailure(error);
        }
    }
}

bool TfrmMain::SaveAccount(ForeignSave foreignSave)
{
    AccountFilesWriter writer(m_folders.userFiles, m_account.Name);
    const std::optional<FileIdentity> onDisk = writer.AccountFileIdentity();
    if (onDisk && m_accountFileIdentity && *onDisk != *m_accountFileIdentity &&
        (foreignSave == ForeignSave::Keep ||
         m_platform.messages.AskYesNo(Message("const_file_changed")) != Answer::Yes)) {
        return false;
    }
    writer.StageAccount(m_account.FileContent());
    writer.StageSettings(SettingsFileText(Settings(), m_account.Password));
    m_accountFileIdentity = writer.Commit();
    m_account.MarkSaved();
    return true;
}

void TfrmMain::SaveSettingsFile()
{
    AccountFilesWriter writer(m_folders.userFiles, m_account.Name);
    writer.StageSettings(SettingsFileText(Settings(), m_account.Password));
    writer.Commit();
}

void TfrmMain::RememberAccountFile()
{
    m_accountFileIdentity = IdentityOf(AccountFile(kAccountExtension));
}

void TfrmMain::EnsureListSelection(QTableView* list)
{
    const int focused = FocusedRow(list);
    if (focused >= 0) {
        SelectRow(list, focused);
    } else if (list->model()->rowCount() > 0) {
        SelectRow(list, 0);
        FocusRow(list, 0);
    }
}

void TfrmMain::lstFoldersChanging(int row)
{
    ChangingFolderIndex = row;
}

void TfrmMain::lstFoldersSelectItem(int row, bool selected)
{
    if (selected && row >= 0 && row == ChangingFolderIndex) {
        FillRecordList(false);
    }
}

void TfrmMain::lstRecordsSelectItem(int row, bool)
{
    if (row >= 0) {
        FocusRow(m_lstRecords, row);
    }
}

void TfrmMain::Splitter1Moved()
{
    AlignToFolderList();
    // The folder list's width is one of the settings the account file's save writes.
    m_account.MarkChanged();
}

void TfrmMain::AlignToFolderList()
{
    // Until the window is laid out the list has no width of its own yet.
    const int width = m_lstFolders->isVisible() ? m_lstFolders->width()
                      : m_listWidths[5] > 0     ? m_listWidths[5]
                                                : kFolderListWidth;
    m_panels.front()->setFixedWidth(width);
    m_panFindLeft->setFixedWidth(width + kFindLeftExtra);
}

void TfrmMain::FormKeyUp()
{
    QWidget* active = focusWidget();
    if (active == nullptr) {
        return;
    }
    switch (active->property("Tag").toInt()) {
    case TagFolders:
        EnsureListSelection(m_lstFolders);
        break;
    case TagRecords:
        EnsureListSelection(m_lstRecords);
        break;
    case TagFolderFind:
        m_edFolderFind->setFocus();
        break;
    case TagRecordFind:
        m_edRecFind->setFocus();
        break;
    default:
        break;
    }
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_lstFolders && event->type() == QEvent::Resize) {
        AlignToFolderList();
    }
    if (event->type() == QEvent::MouseButtonRelease && watched == m_splitter->handle(1)) {
        // Queued: without live resizing the splitter itself moves only when it takes this release.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (std::exchange(m_splitterDragged, false)) {
                    Splitter1Moved();
                }
            },
            Qt::QueuedConnection);
    }
    // A double-click anywhere in a list runs its edit command, on an empty area too, where the
    // command says what to select first (the view's own signal only comes for a cell).
    if (event->type() == QEvent::MouseButtonDblClick && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == m_lstFolders->viewport()) {
            Action("mFolderEdit")->trigger();
            return true;
        }
        if (watched == m_lstRecords->viewport()) {
            Action("mRecEdit")->trigger();
            return true;
        }
    }
    // Seen once per release: at the focused control, before it handles the key.
    if (event->type() == QEvent::KeyRelease && watched == focusWidget() && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        FormKeyUp();
        if (watched == m_edFolderFind) {
            QuickJump(*this).edFolderFindKeyUp(m_edFolderFind->text());
        } else if (watched == m_edRecFind) {
            QuickJump(*this).edRecFindKeyUp(m_edRecFind->text());
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TfrmMain::BuildPopupMenus()
{
    const auto* folderMenu = findChild<QMenu*>(QStringLiteral("mFolder"));
    const auto* recordMenu = findChild<QMenu*>(QStringLiteral("mRecord"));
    const auto* copyMenu = findChild<QMenu*>(QStringLiteral("mCopy"));
    const QString cm = QStringLiteral("cm");

    ClearMenu(*m_cmFolder);
    CopyMenuItems(*folderMenu, *m_cmFolder, cm, {}, false);

    ClearMenu(*m_cmRecord);
    CopyMenuItems(*recordMenu, *m_cmRecord, cm, {}, false, [&](QAction& item, QMenu& target) {
        auto* sub = new QMenu(item.text(), &target);
        sub->setObjectName(cm + item.objectName());
        sub->menuAction()->setObjectName(cm + item.objectName());
        if (item.objectName() == QLatin1String("mCopy")) {
            CopyMenuItems(*copyMenu, *sub, QStringLiteral("cmm"), QStringLiteral("_"), false);
        }
        target.addMenu(sub);
    });

    ClearMenu(*m_cmCopy);
    CopyMenuItems(*copyMenu, *m_cmCopy, cm, {}, true);
}

void TfrmMain::UpdateMainCaption()
{
    setWindowTitle(ApplicationTitle() + QStringLiteral(" - ") + FromCodePage(m_account.Name));
}

AccountSettings TfrmMain::Settings() const
{
    AccountSettings settings = m_settings;
    ReadListWidths(settings);
    return settings;
}

void TfrmMain::SetSettings(const AccountSettings& settings)
{
    m_settings = settings;
    SetListWidths(settings);
}

bool TfrmMain::LoadSettings()
{
    const std::filesystem::path file = AccountFile(kSettingsExtension);
    if (!FileExists(file)) {
        return false;
    }
    AccountSettings settings = Settings();
    const bool complete = ::velmora::LoadSettings(file, m_account.Password, settings);
    // A font the lists cannot take leaves that part of the font as it was.
    if (settings.FontName.empty()) {
        settings.FontName = m_settings.FontName;
    }
    if (settings.FontSize < kMinFontPoints || settings.FontSize > kMaxFontPoints) {
        settings.FontSize = m_settings.FontSize;
    }
    SetSettings(settings);
    return complete;
}

void TfrmMain::LoadAndApplySettings()
{
    const bool complete = LoadSettings();
    const bool exists = FileExists(AccountFile(kSettingsExtension));
    if (exists) {
        ApplySettings();
    }
    if (exists && !complete) {
        // Silently using the defaults would hide that the file no longer matches the account.
        ShowMessageBox(Message("const_settings_unreadable"), MessageKind::Warning);
    }
}

void TfrmMain::ResetSettings()
{
    SetSettings(AccountSettings{});
    ApplySettings();
}

void TfrmMain::mOptionsClick()
{
    m_options->Edit(Settings());
    m_platform.dialogs.RunModal(*m_options);
}

void TfrmMain::ApplySettings()
{
    const ListLook look = LookOf(m_settings);
    for (QTableView* list : {m_lstFolders, m_lstRecords}) {
        list->horizontalHeader()->setVisible(look.headers);
        list->setShowGrid(look.gridLines);
        QPalette palette = list->palette();
        for (const auto group : {QPalette::Active, QPalette::Inactive}) {
            palette.setColor(group, QPalette::Base, look.background);
            palette.setColor(group, QPalette::Text, look.text);
        }
        list->setPalette(palette);
        list->setFont(look.font);
        list->verticalHeader()->setDefaultSectionSize(std::max(20, QFontMetrics(look.font).height() + 6));
    }
    m_folderModel->SetImages(m_imgLst, look.folderIcons);
    m_recordModel->SetStateImages(m_lstImg2, look.recordIcons);
    for (int column = 1; column < 4; ++column) {
        // The brief layout shows the record names alone.
        m_lstRecords->setColumnHidden(column, look.brief);
    }
    m_panFind->setVisible(look.findPanel);
    // The language files are known from the start-up sequence on; the language also sets the
    // record list's column captions for the layout.
    if (!m_folders.programFiles.empty()) {
        m_language->ApplyLanguage();
        UpdateMainCaption();
    }
    AlignToFolderList();
}

namespace {
constexpr std::array<std::int32_t AccountSettings::*, 6> kListWidths = {
    &AccountSettings::L_Column1, &AccountSettings::R_Column1, &AccountSettings::R_Column2,
    &AccountSettings::R_Column3, &AccountSettings::R_Column4, &AccountSettings::L_Width};
} // namespace

void TfrmMain::ReadListWidths(AccountSettings& settings) const
{
    std::array<std::int32_t, 6> widths = m_listWidths;
    if (m_lstFolders->isVisible()) { // laid out: the user may have dragged them since
        widths[0] = m_lstFolders->columnWidth(0);
        for (int column = 0; column < 4; ++column) {
            if (!m_lstRecords->isColumnHidden(column)) {
                widths[static_cast<std::size_t>(column) + 1] = m_lstRecords->columnWidth(column);
            }
        }
        widths[5] = m_lstFolders->width();
    }
    for (std::size_t i = 0; i < widths.size(); ++i) {
        settings.*kListWidths[i] = widths[i];
    }
}

void TfrmMain::SetListWidths(const AccountSettings& settings)
{
    for (std::size_t i = 0; i < m_listWidths.size(); ++i) {
        m_listWidths[i] = settings.*kListWidths[i];
    }
    // -1 and -2 are the automatic widths: the column fits its texts.
    const auto width = [](QTableView* list, int column, std::int32_t value) {
        if (value >= 0) {
            list->setColumnWidth(column, value);
        } else {
            list->resizeColumnToContents(column);
        }
    };
    width(m_lstFolders, 0, settings.L_Column1);
    for (int column = 0; column < 4; ++column) {
        width(m_lstRecords, column, m_listWidths[static_cast<std::size_t>(column) + 1]);
    }
    if (settings.L_Width > 0) {
        m_splitter->setSizes({settings.L_Width, std::max(1, m_splitter->width() - settings.L_Width)});
        m_lstFolders->resize(settings.L_Width, m_lstFolders->height());
    }
    AlignToFolderList();
}

void TfrmMain::CentreOnScreen()
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    move((screen.width() - width()) / 2, (screen.height() - height()) / 2);
}

void TfrmMain::MoveOffScreen()
{
    move(QGuiApplication::primaryScreen()->geometry().width(), y());
}

void TfrmMain::ShellOpen(const QString& target)
{
    m_platform.shell.Open(target.trimmed());
}

void TfrmMain::ShowHelp()
{
    ShellOpen(QString::fromStdU16String((m_folders.programFiles / "Help" / "Help.eng.htm").u16string()));
}

const TRecType* TfrmMain::SelectedRecord() const
{
    const int folderRow = SelectedRow(m_lstFolders);
    const int recordRow = SelectedRow(m_lstRecords);
    if (folderRow < 0 || recordRow < 0 || static_cast<std::size_t>(folderRow) >= m_account.FolderCount()) {
        return nullptr;
    }
    return m_account.Folder(static_cast<std::size_t>(folderRow)).FindRecord(m_recordModel->KeyAt(recordRow));
}

} // namespace velmora
