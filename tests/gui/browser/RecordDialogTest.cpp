#include "gui/browser/EditingFixture.h"

#include <QTest>
#include <QToolButton>

namespace velmora::testing {

// The record dialog on its own: modes, checks, copy buttons, and one dialog for several tasks.
class RecordDialogTest final : public QObject
{
    Q_OBJECT

    std::unique_ptr<Editing> m_e;

    QLineEdit* Field(const char* name) const { return Editing::Child<QLineEdit>(m_e->record, name); }
    void Click(const char* name) const { Editing::Child<QAbstractButton>(m_e->record, name)->click(); }
    std::string Key(std::size_t folder, std::size_t position) const
    {
        return m_e->main.Session().Account().Folder(folder).RecordAt(position).Key;
    }

private slots:
    void init() { m_e = std::make_unique<Editing>(); }
    void cleanup() { m_e.reset(); }

    void captionsAndButtonOfEachMode()
    {
        Editing& e = *m_e;
        const struct
        {
            TfrmRecord::Mode mode;
            const char* suffix;
            const char* button;
            QString name;
        } cases[] = {
            {TfrmRecord::NewRecord, "const_new_rec", "const_add", QString()},
            {TfrmRecord::EditRecord, "const_edit_rec", "const_edit", QStringLiteral("Work")},
            {TfrmRecord::ViewRecord, "const_view_rec", "const_view", QStringLiteral("Work")},
        };
        for (const auto& c : cases) {
            e.record.SetTask(c.mode, 0, Key(0, 1));
            QCOMPARE(e.record.windowTitle(), QStringLiteral("Mail") + e.main.Session().Message(c.suffix));
            QCOMPARE(Editing::Child<QPushButton>(e.record, "butOK")->text(), e.main.Session().Message(c.button));
            QCOMPARE(Field("edName")->text(), c.name);
        }
        // A record that no longer exists shows empty fields.
        e.record.SetTask(TfrmRecord::ViewRecord, 0, "NOSUCHKEY");
        QCOMPARE(Field("edName")->text(), QString());
    }

    void aViewWindowStoresNothingAndMakesWayForTheNextTask()
    {
        Editing& e = *m_e;
        e.record.View(0, Key(0, 0));
        QVERIFY(e.record.isVisible());
        QVERIFY(!e.record.isModal());
        Field("edName")->setText(QStringLiteral("Changed"));
        Click("butOK");
        QVERIFY(!e.record.isVisible());
        QCOMPARE(e.RecordNames(0), (QStringList{"Home", "Work", "Shop"}));
        QVERIFY(!e.main.Session().Account().Modified);

        // Still open for viewing when the main window asks for an edit: the view closes, and the
        // edit starts from the record it is for.
        e.record.View(0, Key(0, 0));
        Field("edPass")->setText(QStringLiteral("typed while viewing"));
        e.SelectFolder(0);
        e.SelectRecord(2);
        bool viewClosed = false;
        e.platform.modalScripts.push_back([&](QDialog&) {
            viewClosed = e.platform.modalRuns == 1;
            QCOMPARE(e.record.DialogMode(), TfrmRecord::EditRecord);
            QCOMPARE(Field("edName")->text(), QStringLiteral("Shop"));
            QCOMPARE(Field("edPass")->text(), QStringLiteral("x"));
            Click("butOK");
        });
        e.Run("mRecEdit");
        QVERIFY(viewClosed);
        QCOMPARE(e.main.Session().Account().Folder(0).RecordAt(0).Password(), std::string("12345"));
        QCOMPARE(e.main.Session().Account().Folder(0).RecordAt(2).Password(), std::string("x"));
    }

    void namesOfBlanksAreRefusedAndSurroundingBlanksKept()
    {
        Editing& e = *m_e;
        e.record.SetTask(TfrmRecord::NewRecord, 1, {});
        e.record.show();
        Field("edName")->setText(QStringLiteral(" \t "));
        Click("butOK");
        QCOMPARE(e.LastMessage(), e.Shown("const_f_capt"));
        QVERIFY(e.record.isVisible());
        QCOMPARE(e.main.Session().Account().Folder(1).Count(), 0);

        Field("edName")->setText(QStringLiteral("  padded  "));
        Editing::Child<QPlainTextEdit>(e.record, "edNotes")->setPlainText(QStringLiteral("line 1\nline 2"));
        Click("butOK");
        QVERIFY(!e.record.isVisible());
        const TRecType& stored = e.main.Session().Account().Folder(1).RecordAt(0);
        QCOMPARE(stored.Name(), std::string("  padded  "));
        QCOMPARE(stored.Notes(), std::string("line 1\r\nline 2")); // CR LF in the vault
        e.record.SetTask(TfrmRecord::EditRecord, 1, stored.Key);
        QCOMPARE(Editing::Child<QPlainTextEdit>(e.record, "edNotes")->toPlainText(), QStringLiteral("line 1\nline 2"));
    }

    void copyButtonsCopyTheCurrentText()
    {
        Editing& e = *m_e;
        e.record.SetTask(TfrmRecord::EditRecord, 0, Key(0, 0));
        Field("edPass")->setText(QStringLiteral("not saved yet"));
        Field("edId")->clear();
        const struct
        {
            const char* button;
            QString copied;
        } cases[] = {{"butCopyPass", "not saved yet"},
                     {"butCopyLogin", "anna"},
                     {"butId", ""},
                     {"butCopyURl", "  https://a.example "}};
        for (const auto& c : cases) {
            e.platform.clipboardSecret = false;
            Click(c.button);
            QCOMPARE(e.platform.clipboardText, c.copied);
            QVERIFY(e.platform.clipboardSecret);
        }
        QVERIFY(e.platform.messages.empty());

        Click("butNavigate");
        QCOMPARE(e.platform.opened, QStringList{"https://a.example"});
        Field("edURL")->clear();
        Click("butNavigate");
        QCOMPARE(e.LastMessage(), e.Shown("const_forgot_url"));
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::RecordDialogTest)
#include "RecordDialogTest.moc"
