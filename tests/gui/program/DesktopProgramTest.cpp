#include "gui/program/DesktopProgram.h"

#include "gui/commands/CommandTable.h"
#include "gui/main/TfrmMain.h"
#include "platform/RecordingAutomation.h"
#include "platform/ScriptedPlatform.h"
#include "platform/ScriptedTray.h"

#include <QAction>
#include <QTest>
#include <stdexcept>

namespace velmora::testing {

// The whole program as the executable wires it.
class DesktopProgramTest final : public QObject
{
    Q_OBJECT

    ScriptedPlatform m_platform;
    RecordingAutomation m_automation;
    ScriptedTray m_tray;

private slots:
    void everyCommandIsBoundExactlyOnce()
    {
        DesktopProgram program(m_platform.Services(), m_automation, m_tray);
        CommandTable& commands = program.Main().Commands();
        QCOMPARE(commands.Unbound(), QStringList());
        for (QAction* action : program.Main().findChildren<QAction*>()) {
            if (commands.Action(action->objectName().toStdString()) == action) {
                QVERIFY_THROWS_EXCEPTION(std::logic_error,
                                         commands.Bind(action->objectName().toStdString(), *action, [] {}));
            }
        }
        QVERIFY_THROWS_EXCEPTION(std::logic_error, commands.Bind("mNoSuchCommand", program.Main(), [] {}));
    }

    void helpOpensItsPageOnce()
    {
        DesktopProgram program(m_platform.Services(), m_automation, m_tray);
        program.Main().Commands().Action("mContent")->trigger();
        QCOMPARE(m_platform.opened.size(), 1);
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::DesktopProgramTest)
#include "DesktopProgramTest.moc"
