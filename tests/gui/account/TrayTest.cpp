#include "gui/account/LifecycleFixture.h"
#include "gui/account/TfrmAbout.h"
#include "gui/account/TfrmTray.h"

#include <QCloseEvent>
#include <QTest>

namespace velmora::testing {

// Locking the program behind the notification-area icon, and the way back.
class TrayTest final : public QObject
{
    Q_OBJECT

    std::unique_ptr<Session> m_session;
    Session& S() { return *m_session; }
    TfrmTray& Unlock() { return S().control->UnlockDialog(); }
    QString Text(std::string_view key) { return S().Main().Session().Message(key); }
    void Type(const QString& password) { Unlock().findChild<QLineEdit*>(QStringLiteral("edPass"))->setText(password); }
    void Click(const char* button) { Unlock().findChild<QPushButton*>(QLatin1String(button))->click(); }
    void Lock()
    {
        S().Trigger("mTray");
        QVERIFY(S().control->Locked());
    }
    std::filesystem::path AccountFile() { return S().File("anna", kAccountExtension); }

private slots:
    void init()
    {
        m_session = std::make_unique<Session>();
        S().CreateAndOpen(QStringLiteral("anna"), QStringLiteral("pw"));
    }
    void cleanup() { m_session.reset(); }

    void lockSavesOnlyWhenTheSettingSaysSo_data()
    {
        QTest::addColumn<bool>("saveBeforeTray");
        QTest::newRow("on") << true;
        QTest::newRow("off") << false;
    }
    void lockSavesOnlyWhenTheSettingSaysSo()
    {
        QFETCH(bool, saveBeforeTray);
        S().program.ChangeSettings([&](AccountSettings& s) { s.cbSaveBeforeTray = saveBeforeTray; });
        std::filesystem::remove(AccountFile());
        Lock();
        QCOMPARE(std::filesystem::exists(AccountFile()), saveBeforeTray); // also without changes
        QVERIFY(S().tray.shown);
        QCOMPARE(S().tray.tooltip, QStringLiteral("Velmora 3.1 - anna"));
        QVERIFY(!S().Main().isVisible());
        QVERIFY(!Unlock().isVisible());
        QCOMPARE(S().Account().FolderCount(), std::size_t(1)); // still open in memory
    }

    void lockWithAFailingSaveDoesNotLock()
    {
        Session::FailSaves();
        S().Trigger("mTray");
        QVERIFY(!S().control->Locked());
        QVERIFY(!S().tray.shown);
        QVERIFY(S().Main().isVisible());
        QCOMPARE(S().Platform().messages.size(), std::size_t(1));
        QCOMPARE(S().Platform().messages.front().kind, MessageKind::Error);
    }

    void tooltipIsTheCaptionCutTo63Characters()
    {
        S().Account().Name = std::string(80, 'n');
        S().Main().Session().AccountOpened();
        S().program.ChangeSettings([](AccountSettings& s) { s.cbSaveBeforeTray = false; });
        Lock();
        QCOMPARE(S().tray.tooltip, S().Main().windowTitle().left(63));
        QCOMPARE(S().tray.tooltip.size(), 63);
    }

    // A locked program shows nothing of the vault: every other window goes too, and exactly
    // those come back.
    void lockHidesEveryWindowAndRestoreBringsThemBack()
    {
        S().program.ChangeSettings([](AccountSettings& s) { s.cbTray = false; });
        S().Trigger("mAbout");
        QDialog recordWindow;
        recordWindow.show();
        QDialog closedBefore;
        Lock();
        QVERIFY(!S().control->AboutBox().isVisible());
        QVERIFY(!recordWindow.isVisible());
        QVERIFY(!S().Main().isVisible());
        S().tray.Use(); // no password asked
        QVERIFY(!S().control->Locked());
        QVERIFY(!S().tray.shown);
        QVERIFY(S().Main().isVisible());
        QVERIFY(S().control->AboutBox().isVisible());
        QVERIFY(recordWindow.isVisible());
        QVERIFY(!closedBefore.isVisible());
        QVERIFY(!Unlock().isVisible());
    }

    void unlockTakesTheExactPassword()
    {
        Lock();
        S().tray.Use();
        QVERIFY(Unlock().isVisible());
        QVERIFY(!Unlock().isModal());
        QCOMPARE(Unlock().windowTitle(), Text("const_acc") + QStringLiteral("anna"));
        QVERIFY(!S().Main().isVisible());
        Type(QStringLiteral("pw "));
        Click("butOk");
        QCOMPARE(S().Platform().messages, (std::vector<ScriptedPlatform::Shown>{
                                              {MessageKind::Error, QLatin1Char('\r') + Text("const_wrong_pass")}}));
        QVERIFY(Unlock().isVisible());
        QVERIFY(S().control->Locked());
        QCOMPARE(Unlock().findChild<QLineEdit*>(QStringLiteral("edPass"))->text(), QStringLiteral("pw "));
        S().tray.Use(); // brings it to the front without resetting it
        QCOMPARE(Unlock().findChild<QLineEdit*>(QStringLiteral("edPass"))->text(), QStringLiteral("pw "));
        Type(QStringLiteral("pw"));
        Click("butOk");
        QVERIFY(!Unlock().isVisible());
        QVERIFY(!S().control->Locked());
        QVERIFY(!S().tray.shown);
        QVERIFY(S().Main().isVisible());
        QCOMPARE(S().Main().windowTitle(), QStringLiteral("Velmora 3.1 - anna"));
    }

    void unlockDialogClosesOnlyThroughItsButtons()
    {
        Lock();
        S().tray.Use();
        QVERIFY(!Unlock().close()); // Alt+F4
        QVERIFY(Unlock().isVisible());
        QTest::keyClick(&Unlock(), Qt::Key_Escape); // Cancel
        QVERIFY(!Unlock().isVisible());
        QVERIFY(S().tray.shown);
        QVERIFY(S().control->Locked());
        QVERIFY(!S().Main().isVisible());
        QCOMPARE(S().endRequests, 0);
    }

    void exitEndsAtOnceWithoutTheQuestion()
    {
        S().program.ChangeSettings([](AccountSettings& s) { s.cbSaveBeforeTray = false; });
        S().Change();
        Lock();
        const std::string before = Session::Content(AccountFile());
        S().tray.Use();
        Click("butExit");
        QCOMPARE(S().endRequests, 1);
        QVERIFY(S().Platform().questions.isEmpty());
        QVERIFY(!S().tray.shown);
        QCOMPARE(Session::Content(AccountFile()), before);
    }

    // A second start of the program asks the running one to come to the front.
    void aSecondStartRestoresAMinimisedWindow()
    {
        S().Main().showMinimized();
        QVERIFY(S().Main().isMinimized());
        S().control->BringToFront();
        QVERIFY(!S().Main().isMinimized());
        QVERIFY(S().Main().isVisible());
    }

    void aSecondStartWhileLockedShowsTheUnlockDialog()
    {
        Lock();
        QVERIFY(!Unlock().isVisible());
        S().control->BringToFront();
        QVERIFY(Unlock().isVisible());
        QVERIFY(S().control->Locked());
        QVERIFY(!S().Main().isVisible()); // the password still comes first
    }

    // Without a notification area the unlock dialog stands in for the icon and is never hidden.
    void withoutANotificationAreaTheUnlockDialogStaysReachable()
    {
        S().tray.available = false;
        Lock();
        QVERIFY(!S().tray.shown);
        QVERIFY(!S().Main().isVisible());
        QVERIFY(Unlock().isVisible());
        Click("butCancel");
        QVERIFY(Unlock().isVisible());
        QVERIFY(!Unlock().isMinimized()); // a desktop without a taskbar would have nothing left on screen
        QVERIFY(S().control->Locked());
        Type(QStringLiteral("pw"));
        Click("butOk");
        QVERIFY(S().Main().isVisible());
        QVERIFY(!Unlock().isVisible());
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::TrayTest)
#include "TrayTest.moc"
