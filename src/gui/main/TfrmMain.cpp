#include "gui/main/TfrmMain.h"

#include "ProgramInfo.h"
#include "gui/browser/AccountLists.h"
#include "gui/browser/QuickJump.h"
#include "gui/commands/CommandTable.h"
#include "gui/settings/LanguageCommands.h"
#include "gui/settings/TfrmOptions.h"
#include "gui/widgets/CodePageText.h"
#include "gui/widgets/DesktopLook.h"
#include "gui/widgets/FormTranslation.h"
#include "gui/widgets/ListRowModel.h"
#include "gui/widgets/Pictures.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

namespace velmora {
namespace {

constexpr int kFindLeftExtra = 2; // panFindLeft is this much wider than the folder list

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

bool IsModifierKey(const QKeyEvent& key)
{
    switch (key.key()) {
    case Qt::Key_Control:
    case Qt::Key_Shift:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return true;
    default:
        return false;
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

TfrmMain::TfrmMain(AccountSession& session, QWidget* parent) : QMainWindow(parent), m_session(session)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowIcon(ApplicationIcon());
    setWindowTitle(ApplicationTitle());

    m_commands = std::make_unique<CommandTable>(
        *this, [this](const std::exception& failure) { m_session.ReportFailure(failure); },
        [this](const std::function<void()>& command) {
            // A command that makes several changes saves them once, and asks at most once.
            const AccountSession::SaveHold hold(m_session);
            command();
        });
    BuildMenus();
    BuildToolBar();
    // The forms take the language before the lists set their column captions from it.
    connect(&m_session, &AccountSession::languageSwitched, this, &TfrmMain::ShowLanguage);
    m_lists = new AccountLists(m_session, this);
    BuildFindPanel();
    BuildStatusBar();

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_lists->Splitter(), 1);
    layout->addWidget(m_panFind);
    setCentralWidget(central);
    QTableView* folderList = m_lists->FolderList();
    QTableView* recordList = m_lists->RecordList();
    // Tab walks the lists and the quick-jump boxes, never into a list's cells.
    setTabOrder(folderList, recordList);
    setTabOrder(recordList, m_edFolderFind);
    setTabOrder(m_edFolderFind, m_edRecFind);
    m_languageCommands = std::make_unique<LanguageCommands>(m_session, *m_commands, *this);

    connect(m_lists, &AccountLists::filled, this, &TfrmMain::UpdateStatusBar);
    connect(m_lists, &AccountLists::folderListWidthChanged, this, &TfrmMain::AlignToFolderList);
    connect(m_lists, &AccountLists::folderListActivated, Action("mFolderEdit"), &QAction::trigger);
    connect(m_lists, &AccountLists::recordListActivated, Action("mRecEdit"), &QAction::trigger);
    connect(m_lists, &AccountLists::folderDeleteRequested, Action("mFolderDel"), &QAction::trigger);
    connect(m_lists, &AccountLists::recordDeleteRequested, Action("mRecDel"), &QAction::trigger);
    connect(m_lists, &AccountLists::recordCopyRequested, Action("mCPass"), &QAction::trigger);
    connect(folderList, &QWidget::customContextMenuRequested, this,
            [this, folderList](QPoint at) { m_cmFolder->popup(folderList->viewport()->mapToGlobal(at)); });
    connect(recordList, &QWidget::customContextMenuRequested, this,
            [this, recordList](QPoint at) { m_cmRecord->popup(recordList->viewport()->mapToGlobal(at)); });
    connect(&m_session, &AccountSession::accountChanged, this, &TfrmMain::UpdateStatusBar);
    // A read ends with a change: the caption then knows whether the account is sealed.
    for (const auto signal :
         {&AccountSession::accountOpened, &AccountSession::accountCleared, &AccountSession::accountChanged}) {
        connect(&m_session, signal, this, &TfrmMain::UpdateMainCaption);
    }
    connect(&m_session, &AccountSession::settingsApplied, this, &TfrmMain::ShowSettings);

    resize(752, 474);
    move(207, 118);
    BuildPopupMenus();
    m_options = std::make_unique<TfrmOptions>(m_session, *m_lists);
    m_commands->Bind("mOptions", *this, [this] { mOptionsClick(); });
    ShowSettings();
    m_lists->FillFolderList(false);
    m_lists->FillRecordList(false);
    qApp->installEventFilter(this); // the window sees every key release, as a key preview
}

TfrmMain::~TfrmMain() = default;

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
    item(account, "mPassHealth");
    item(account, "mOptions");
    QMenu* protection = submenu(account, "mProtection", QStringLiteral("Защита"));
    item(protection, "mSeal");
    item(protection, "mUnseal");
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
        tool->setFocusPolicy(Qt::NoFocus); // Tab walks the lists and the quick-jump boxes
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
    button("butTray", Glyph::Tray, QStringLiteral("Свернуть в область уведомлений"), "mTray");
    button("butExit", Glyph::Exit, QStringLiteral("Выйти из программы"), "mExit");
}

void TfrmMain::BuildFindPanel()
{
    m_panFind = new QWidget(this);
    m_panFind->setObjectName(QStringLiteral("panFind"));
    auto* layout = new QHBoxLayout(m_panFind);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->setSpacing(6);
    const auto half = [this](const char* panel, const char* label, const QString& caption, const char* edit) {
        auto* pan = new QWidget(m_panFind);
        pan->setObjectName(QLatin1String(panel));
        auto* column = new QVBoxLayout(pan);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(1);
        auto* text = new QLabel(caption, pan);
        text->setObjectName(QLatin1String(label));
        auto* box = new QLineEdit(pan);
        box->setObjectName(QLatin1String(edit));
        text->setBuddy(box);
        GuardCodePageInput(box, [this](char32_t c) { m_session.ReportRefusedCharacter(c); });
        column->addWidget(text);
        column->addWidget(box);
        return std::pair{pan, box};
    };
    std::tie(m_panFindLeft, m_edFolderFind) =
        half("panFindLeft", "labFolder", QStringLiteral("Переход к папке"), "edFolderFind");
    QWidget* right = nullptr;
    std::tie(right, m_edRecFind) = half("panFindRight", "labRecord", QStringLiteral("Переход к записи"), "edRecFind");
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

void TfrmMain::FormShow(const ProgramFolders& folders)
{
    m_session.SetFolders(folders);
    m_session.StartLanguage();
    if (m_accountDialog != nullptr) {
        m_session.Services().dialogs.RunModal(*m_accountDialog);
    }
}

QString ApplicationTitle()
{
    return QStringLiteral("Velmora ") + QLatin1String(kVersion);
}

void TfrmMain::SetPanel(int panel, const QString& text)
{
    m_panels[panel]->setText(text);
}

QString TfrmMain::PanelText(int panel) const
{
    return m_panels[panel]->text();
}

void TfrmMain::UpdateStatusBar()
{
    const TAccount& account = m_session.Account();
    SetPanel(0, m_session.Message("const_folders") + QString::number(account.FolderCount()));
    SetPanel(1, m_lists->ShowsFolder()
                    ? m_session.Message("const_records") + QString::number(m_lists->RecordRows().rowCount())
                    : QString());
    SetPanel(2, account.Modified ? m_session.Message("const_mod") : QString());
}

void TfrmMain::AlignToFolderList()
{
    const int width = m_lists->FolderListWidth();
    m_panels.front()->setFixedWidth(width);
    m_panFindLeft->setFixedWidth(width + kFindLeftExtra);
}

void TfrmMain::FormKeyUp(const QKeyEvent& key)
{
    QWidget* active = focusWidget();
    if (active == nullptr) {
        return;
    }
    // A modifier alone is no move in the list: Ctrl+click deselects, and Ctrl's release must not select again.
    if (IsModifierKey(key)) {
        return;
    }
    if (active == m_lists->FolderList() || active == m_lists->RecordList()) {
        AccountLists::EnsureListSelection(static_cast<QTableView*>(active));
    }
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event)
{
    // Seen once per release: at the focused control, before it handles the key.
    if (event->type() == QEvent::KeyRelease && watched == focusWidget() && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        FormKeyUp(*static_cast<QKeyEvent*>(event));
        if (watched == m_edFolderFind) {
            QuickJump(m_session, *m_lists).edFolderFindKeyUp(m_edFolderFind->text());
        } else if (watched == m_edRecFind) {
            QuickJump(m_session, *m_lists).edRecFindKeyUp(m_edRecFind->text());
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
    setWindowTitle(ApplicationTitle() + QStringLiteral(" - ") + FromCodePage(m_session.Account().Name) +
                   (m_session.IsSealed() ? m_session.Message("const_sealed_suffix") : QString()));
}

void TfrmMain::mOptionsClick()
{
    m_options->Edit(m_session.Settings());
    m_session.Services().dialogs.RunModal(*m_options);
}

void TfrmMain::ShowSettings()
{
    m_panFind->setVisible(LookOf(m_session.Settings()).findPanel);
    if (!m_session.ProgramFilesDir().empty()) {
        UpdateMainCaption();
    }
    AlignToFolderList();
}

void TfrmMain::ShowLanguage()
{
    TranslateForms(ExistingForms(), m_session.Lang());
    BuildPopupMenus();
    UpdateMainCaption();
    UpdateStatusBar();
}

} // namespace velmora
