#pragma once

#include "gui/session/AccountSession.h"

#include <QList>
#include <QMainWindow>
#include <memory>

class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QToolBar;

namespace velmora {

class AccountLists;
class CommandTable;
class LanguageCommands;
class TfrmOptions;

// The main window: the account's lists, the tool bar and menus, the quick-jump boxes and the
// status bar, showing the session's account as its settings and language say.
class TfrmMain final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfrmMain)

public:
    explicit TfrmMain(AccountSession& session, QWidget* parent = nullptr);
    ~TfrmMain() override;

    AccountSession& Session() { return m_session; }
    // The window's commands: every menu item, tool bar button and shortcut.
    CommandTable& Commands() { return *m_commands; }
    AccountLists& Lists() { return *m_lists; }
    // The settings dialog, which edits a copy of the settings.
    TfrmOptions& Options() { return *m_options; }

    // The form shown modally by the start-up sequence (and again by switching account).
    void SetAccountDialog(QDialog* dialog) { m_accountDialog = dialog; }

    // The start-up sequence: the program's folders, the interface language, then the account
    // dialog, modally.
    void FormShow(const ProgramFolders& folders);

    // The counts and the modified mark in the status bar, in the language in use.
    void UpdateStatusBar();
    void BuildPopupMenus();
    QString PanelText(int panel) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    void BuildToolBar();
    void BuildFindPanel();
    void BuildStatusBar();
    void SetPanel(int panel, const QString& text);
    QAction* Action(const char* name) const;
    void AlignToFolderList();
    void UpdateMainCaption();
    void ShowSettings();
    void ShowLanguage();
    void mOptionsClick();
    void FormKeyUp(const QKeyEvent& key);

    AccountSession& m_session;
    std::unique_ptr<CommandTable> m_commands;
    AccountLists* m_lists = nullptr;
    std::unique_ptr<TfrmOptions> m_options;
    std::unique_ptr<LanguageCommands> m_languageCommands;
    QDialog* m_accountDialog = nullptr;

    QToolBar* m_toolBar = nullptr;
    QWidget* m_panFind = nullptr;
    QWidget* m_panFindLeft = nullptr;
    QLineEdit* m_edFolderFind = nullptr;
    QLineEdit* m_edRecFind = nullptr;
    QList<QLabel*> m_panels;
    QMenu* m_cmFolder = nullptr;
    QMenu* m_cmRecord = nullptr;
    QMenu* m_cmCopy = nullptr;
};

// "Velmora 3.1": the application title and the start of the main window's caption.
QString ApplicationTitle();

} // namespace velmora
