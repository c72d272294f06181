#include "gui/browser/EditingFixture.h"

#include <QCheckBox>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

namespace velmora::testing {

// The generator dialog: seeded outputs, copy, and insert into the record dialog.
class TfrmPassGenTest final : public QObject
{
    Q_OBJECT

    std::unique_ptr<Editing> m_e;

    template <typename T> T* In(const char* name) const { return Editing::Child<T>(m_e->passGen, name); }
    QString Result() const { return In<QLineEdit>("edPass")->text(); }
    void Click(const char* name) const { In<QAbstractButton>(name)->click(); }

private slots:
    void init() { m_e = std::make_unique<Editing>(); }
    void cleanup() { m_e.reset(); }

    void seededGenerationsAndImpossibleOnes()
    {
        Editing& e = *m_e;
        e.passGen.show();
        const struct
        {
            std::uint32_t seed;
            bool lower, upper, digits, special;
            int length;
            QString expected; // a null text: the previous result stays
        } cases[] = {
            {1, true, true, true, true, 8, "2iB7SG'm"},    // the core generator's own figures
            {7, false, false, true, false, 8, "22027846"}, // only digits
            {7, false, false, false, false, 8, QString()}, // nothing to draw from
            {5, true, true, true, true, 0, ""},            // length 0 empties the result
        };
        for (const auto& c : cases) {
            In<QLineEdit>("edPass")->setText(QStringLiteral("previous"));
            SeededRandom random(c.seed);
            e.passGen.SetRandomSource(random);
            In<QCheckBox>("stroch")->setChecked(c.lower);
            In<QCheckBox>("zagl")->setChecked(c.upper);
            In<QCheckBox>("num")->setChecked(c.digits);
            In<QCheckBox>("spec")->setChecked(c.special);
            In<QSpinBox>("edLen")->setValue(c.length);
            Click("butGen");
            QCOMPARE(Result(), c.expected.isNull() ? QStringLiteral("previous") : c.expected);
        }
        QVERIFY(e.platform.messages.empty());
    }

    void lengthRunsFrom0To24ByTheArrowsOnly()
    {
        QSpinBox* length = In<QSpinBox>("edLen");
        QCOMPARE(length->value(), 8);
        QCOMPARE(length->minimum(), 0);
        QCOMPARE(length->maximum(), 24);
        QVERIFY(length->findChild<QLineEdit*>()->isReadOnly());
        QCOMPARE(In<QLineEdit>("edSpec")->text(), QStringLiteral(":-)(+!<|>/?\\&$[*]@%;'{}\"~_"));
    }

    void fromTheMainWindowItCopiesButCannotInsert()
    {
        Editing& e = *m_e;
        e.platform.modalScripts.push_back([this, &e](QDialog&) {
            QVERIFY(!In<QAbstractButton>("butInsert")->isEnabled());
            QCOMPARE(Result(), QString());
            Click("butCopy");
            QCOMPARE(e.LastMessage(), e.Shown("const_gen"));
            Click("butGen");
            QCOMPARE(Result().size(), 8);
            Click("butCopy");
            QCOMPARE(e.platform.clipboardText, Result());
            QVERIFY(e.platform.clipboardSecret);
            Click("butClose");
        });
        e.Run("mPassGen");
        QCOMPARE(e.platform.modalRuns, 1);
        QVERIFY(!e.passGen.isVisible());
        // Reopened: an empty result, the options as they were left.
        In<QCheckBox>("num")->setChecked(false);
        e.platform.modalScripts.push_back([this](QDialog&) {
            QCOMPARE(Result(), QString());
            QVERIFY(!In<QCheckBox>("num")->isChecked());
        });
        e.Run("mPassGen");
    }

    void insertingIntoTheRecordDialog()
    {
        Editing& e = *m_e;
        QLineEdit* recordPass = Editing::Child<QLineEdit>(e.record, "edPass");
        e.record.SetTask(TfrmRecord::EditRecord, 0, e.main.Session().Account().Folder(0).RecordAt(1).Key);
        e.record.show();
        QCOMPARE(recordPass->text(), QString()); // "Work" has no password

        Editing::Child<QToolButton>(e.record, "butGenPass")->click();
        QVERIFY(e.passGen.isVisible());
        QVERIFY(!e.passGen.isModal());
        QVERIFY(In<QAbstractButton>("butInsert")->isEnabled());
        Click("butInsert");
        QCOMPARE(e.LastMessage(), e.Shown("const_nopass"));

        // An empty password field is replaced without a question.
        In<QLineEdit>("edPass")->setText(QStringLiteral("first"));
        Click("butInsert");
        QCOMPARE(recordPass->text(), QStringLiteral("first"));
        QVERIFY(!e.passGen.isVisible());
        QVERIFY(e.platform.questions.isEmpty());

        // A password there: No keeps it and the generator open, Yes replaces it.
        Editing::Child<QToolButton>(e.record, "butGenPass")->click();
        In<QLineEdit>("edPass")->setText(QStringLiteral("second"));
        e.platform.answers = {Answer::No, Answer::Yes};
        Click("butInsert");
        QCOMPARE(recordPass->text(), QStringLiteral("first"));
        QVERIFY(e.passGen.isVisible());
        Click("butInsert");
        QCOMPARE(recordPass->text(), QStringLiteral("second"));
        const QString question =
            QLatin1Char('\r') + e.main.Session().FormatMessage("const_replace", {std::string_view("first"), "second"});
        QCOMPARE(e.platform.questions, (QStringList{question, question}));
        // Stored only by the record dialog's OK.
        QCOMPARE(e.main.Session().Account().Folder(0).RecordAt(1).Password(), std::string());

        // Closing the record dialog closes a generator opened from it.
        Editing::Child<QToolButton>(e.record, "butGenPass")->click();
        Editing::Child<QPushButton>(e.record, "butCancel")->click();
        QVERIFY(!e.passGen.isVisible());
        QCOMPARE(e.passGen.parentWidget(), &e.main);
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::TfrmPassGenTest)
#include "TfrmPassGenTest.moc"
