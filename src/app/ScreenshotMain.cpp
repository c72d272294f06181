// Writes PNG pictures of the account dialog, the main window, the settings dialog and the search
// window with a small demo account, in English and in Russian, for the README and for checking
// the look under Xvfb:
//     velmora-screenshot OUTPUT_DIRECTORY
#include "core/account/AccountDirectory.h"
#include "gui/account/TfrmAccountSet.h"
#include "gui/browser/AccountLists.h"
#include "gui/browser/TfrmFind.h"
#include "gui/main/TfrmMain.h"
#include "gui/program/DesktopProgram.h"
#include "gui/settings/TfrmOptions.h"
#include "gui/widgets/Pictures.h"
#include "platform/AutomationDesktop.h"
#include "platform/QtPlatform.h"
#include "platform/TrayIconQt.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {

using namespace velmora;

void WriteDemoAccount(const std::filesystem::path& programDir)
{
    TAccount account;
    account.Name = "Anna";
    account.Password = "demo password";
    account.AddFolder("Email", 1);
    TFolderType& email = account.Folder(0);
    email.AddRecord("Home mail", "https://mail.example.org", "anna.berg", "", "correct-horse", "");
    email.AddRecord("Work mail", "https://work.example.com", "a.berg", "E-1042", "staple-battery", "");
    email.AddRecord("Old address", "https://old.example.net", "anna1987", "", "tr0ub4dor", "Closed in 2024");
    account.AddFolder("Banking", 15);
    account.Folder(1).AddRecord("Savings bank", "https://bank.example", "anna_b", "5521 0937", "9f#Kq2!x", "");
    account.AddFolder("Shopping", 5);
    account.AddFolder("Travel", 12);
    account.AddFolder("Games", 17);
    std::filesystem::create_directories(UsersDirectory(programDir));
    account.SaveToFile(AccountFilePath(programDir, account.Name, kAccountExtension));
}

void Save(QWidget& widget, const QString& file)
{
    QTest::qWait(300); // let the window system map and paint it
    if (!widget.grab().save(file)) {
        std::fprintf(stderr, "velmora-screenshot: cannot write %s\n", qPrintable(file));
    }
}

// Runs the account dialog without a nested loop: picture it, then open the demo account.
class ScreenshotDialogs final : public DialogService
{
public:
    explicit ScreenshotDialogs(QString output) : m_output(std::move(output)) {}
    void SetMainWindow(TfrmMain* main) { m_main = main; }
    void SetSearchWindow(TfrmFind* find) { m_find = find; }

    int RunModal(QDialog& dialog) override
    {
        dialog.show();
        dialog.findChild<QComboBox*>(QStringLiteral("edUser"))->setEditText(QStringLiteral("Anna"));
        dialog.findChild<QLineEdit*>(QStringLiteral("edPass"))->setText(QStringLiteral("demo password"));
        Save(dialog, m_output + QStringLiteral("/account-dialog.png"));
        dialog.findChild<QPushButton*>(QStringLiteral("butOk"))->click();
        QTableView* records = m_main->Lists().RecordList();
        AccountLists::FocusRow(records, 1);
        AccountLists::SelectRow(records, 1);
        records->setFocus();
        Save(*m_main, m_output + QStringLiteral("/main-window.png"));
        m_main->Options().Edit(m_main->Session().Settings());
        m_main->Options().show();
        Save(m_main->Options(), m_output + QStringLiteral("/options-dialog.png"));
        m_main->Options().hide();
        SaveSearchWindow();
        m_main->Session().SetLanguageFile(m_main->Session().ProgramFilesDir() / "Languages" / "Russian.lng");
        Save(*m_main, m_output + QStringLiteral("/main-window-russian.png"));
        m_find->mAdvSearchClick();
        Save(*m_find, m_output + QStringLiteral("/search-window-russian.png"));
        return dialog.result();
    }

private:
    // The search page with a text typed in, then what it found in every folder.
    void SaveSearchWindow()
    {
        m_find->mAdvSearchClick();
        m_find->findChild<QLineEdit*>(QStringLiteral("edFindText"))->setText(QStringLiteral("mail"));
        m_find->findChild<QGroupBox*>(QStringLiteral("rgFolders"))
            ->findChildren<QRadioButton*>()
            .at(1)
            ->setChecked(true);
        Save(*m_find, m_output + QStringLiteral("/search-window.png"));
        m_find->butStartClick();
        Save(*m_find, m_output + QStringLiteral("/search-results.png"));
        m_find->hide();
    }

    TfrmMain* m_main = nullptr;
    TfrmFind* m_find = nullptr;
    QString m_output;
};

// The 20 folder icons, the record icon and the tool bar glyphs on one sheet, twice their size.
void SaveIconSheet(const QString& file)
{
    QPixmap sheet(2 * (24 + (static_cast<int>(Glyph::GoToRecord) + 1) * 26), 2 * 64);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    painter.scale(2, 2);
    const QList<QIcon> folders = FolderIcons();
    for (int i = 0; i < folders.size(); ++i) {
        painter.drawPixmap(4 + i * 20, 4, folders[i].pixmap(16, 16));
    }
    painter.drawPixmap(4, 24, RecordIcon().pixmap(16, 16));
    for (int glyph = 0; glyph <= static_cast<int>(Glyph::GoToRecord); ++glyph) {
        painter.drawPixmap(24 + glyph * 26, 34, ToolbarGlyph(static_cast<Glyph>(glyph)).pixmap(24, 24));
    }
    painter.end();
    sheet.save(file);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(ApplicationTitle());
    if (argc != 2) {
        std::fputs("usage: velmora-screenshot OUTPUT_DIRECTORY\n", stderr);
        return 2;
    }
    const QString output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(output);

    // A program directory of its own, with the shipped language files.
    QTemporaryDir programDir;
    const QDir shipped(QApplication::applicationDirPath());
    QDir(programDir.path()).mkpath(QStringLiteral("Languages"));
    for (const QString& file : {QStringLiteral("Default.lng"), QStringLiteral("Languages/Russian.lng")}) {
        QFile::copy(shipped.filePath(file), QDir(programDir.path()).filePath(file));
    }
    const std::filesystem::path dir = programDir.path().toStdU16String();
    WriteDemoAccount(dir);

    QtPlatform qt;
    ScreenshotDialogs dialogs(output);
    const Platform services = qt.Services();
    // The whole program, so the tool bar shows its commands enabled as a person sees them.
    const std::unique_ptr<AutomationService> automation = DesktopAutomation();
    TrayIconQt tray(ApplicationIcon());
    DesktopProgram program(Platform{services.messages, services.input, services.files, services.clipboard,
                                    services.shell, services.counter, dialogs, services.fontColorDialogs},
                           *automation, tray);
    dialogs.SetMainWindow(&program.Main());
    dialogs.SetSearchWindow(&program.SearchWindow());
    SaveIconSheet(output + QStringLiteral("/icons.png"));
    program.Main().FormShow(PortableFolders(dir));
    return program.AccountDialog().AccountOpened() ? 0 : 1;
}
