#pragma once

#include "core/os/AtomicFile.h"
#include "gui/account/SessionControl.h"
#include "gui/main/GuiFixture.h"
#include "gui/settings/TfrmOptions.h"
#include "platform/ScriptedTray.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <fstream>
#include <iterator>

namespace velmora::testing {

// The program with its session control, a scripted notification area and one account open.
struct Session
{
    Program program;
    ScriptedTray tray;
    std::unique_ptr<SessionControl> control;
    int endRequests = 0;

    Session()
    {
        control = std::make_unique<SessionControl>(program.main->Session(), program.main->Lists(),
                                                   program.main->Commands(), *program.main, *program.accountSet, tray);
        control->SetEndProgram([this] { ++endRequests; });
    }
    ~Session() { SetWriteFaultHook({}); }

    TfrmMain& Main() { return *program.main; }
    ScriptedPlatform& Platform() { return program.platform; }
    TAccount& Account() { return program.main->Session().Account(); }

    // A modal script that types into the account dialog and presses one of its buttons.
    static std::function<void(QDialog&)> LogIn(const QString& name, const QString& password,
                                               const char* button = "butOk")
    {
        return [=](QDialog& dialog) {
            dialog.findChild<QComboBox*>(QStringLiteral("edUser"))->setEditText(name);
            dialog.findChild<QLineEdit*>(QStringLiteral("edPass"))->setText(password);
            dialog.findChild<QPushButton*>(QLatin1String(button))->click();
        };
    }

    // Starts the program and creates the account through the account dialog. The fixtures' short
    // passwords are confirmed when asked.
    void CreateAndOpen(const QString& name, const QString& password)
    {
        Platform().answers.push_front(Answer::Yes);
        program.Start(LogIn(name, password, "butNew"));
        Platform().messages.clear();
        Platform().questions.clear();
        Platform().warnings.clear();
    }

    void Trigger(const char* action) { Main().findChild<QAction*>(QLatin1String(action))->trigger(); }

    // Something to save: a new folder, marked as every command marks its changes.
    void Change()
    {
        Account().AddFolder("Changed", 1);
        Main().Lists().FillFolderList(true);
    }

    std::filesystem::path File(const std::string& name, std::string_view extension) const
    {
        return program.File(name, extension);
    }

    static std::string Content(const std::filesystem::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // Every following save fails as a full disk would make it.
    static void FailSaves()
    {
        SetWriteFaultHook([](WriteStep step) { return step == WriteStep::Write; });
    }
};

} // namespace velmora::testing
