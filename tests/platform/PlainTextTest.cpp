#include "gui/account/SessionControl.h"
#include "gui/browser/TfrmFind.h"
#include "gui/browser/TfrmFolder.h"
#include "gui/browser/TfrmRecord.h"
#include "gui/generator/TfrmPassGen.h"
#include "gui/main/GuiFixture.h"
#include "gui/widgets/FormTranslation.h"
#include "platform/QtPlatform.h"
#include "platform/ScriptedTray.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <functional>

Q_DECLARE_METATYPE(std::function<void(velmora::QtPlatform&)>)

namespace velmora::testing {
namespace {

// A record name or a language text that Qt would draw big and red, with a live link.
const QString kMarkup = QStringLiteral("<font size=7 color=red>BIG</font> <a href=x>link</a>");

// The text a tool tip shows, read as Qt reads it: markup when it looks like markup.
QString ShownToolTip(const QString& tip)
{
    QTextDocument document;
    if (Qt::mightBeRichText(tip)) {
        document.setHtml(tip);
    } else {
        document.setPlainText(tip);
    }
    return document.toPlainText();
}

// The text format of the label of the next modal dialog that shows `text`; the dialog is then
// closed. Nothing when no such label was found.
std::optional<Qt::TextFormat> FormatOfNextDialog(const QString& text, const std::function<void()>& open)
{
    std::optional<Qt::TextFormat> format;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        for (const QLabel* label : dialog->findChildren<QLabel*>()) {
            if (label->text() == text) {
                format = label->textFormat();
            }
        }
        dialog->reject();
    });
    poll.start(10);
    open();
    return format;
}

} // namespace

// Texts from accounts and language files are shown as they are, whatever they look like.
class PlainTextTest final : public QObject
{
    Q_OBJECT

private slots:
    void messageBoxesShowTheirTextLiterally_data()
    {
        QTest::addColumn<std::function<void(QtPlatform&)>>("open");
        QTest::newRow("message") << std::function<void(QtPlatform&)>(
            [](QtPlatform& p) { p.ShowMessage(MessageKind::Warning, kMarkup); });
        QTest::newRow("yes/no question") << std::function<void(QtPlatform&)>(
            [](QtPlatform& p) { p.AskYesNo(kMarkup); });
        QTest::newRow("yes/no/cancel question")
            << std::function<void(QtPlatform&)>([](QtPlatform& p) { p.AskYesNoCancel(kMarkup); });
        QTest::newRow("input box prompt") << std::function<void(QtPlatform&)>(
            [](QtPlatform& p) { p.InputBox(QStringLiteral("caption"), kMarkup, QString(), true); });
    }
    void messageBoxesShowTheirTextLiterally()
    {
        QFETCH(std::function<void(QtPlatform&)>, open);
        QtPlatform platform;
        QCOMPARE(FormatOfNextDialog(kMarkup, [&] { open(platform); }), std::optional(Qt::PlainText));
    }

    void toolTipsShowTheirTextLiterally_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("markup") << kMarkup;
        QTest::newRow("markup on two lines") << QStringLiteral("<b>first</b>\nsecond");
        QTest::newRow("an escaped character") << QStringLiteral("&lt;b&gt; means bold");
        QTest::newRow("no markup") << QStringLiteral("Start the search");
        QTest::newRow("comparison signs") << QStringLiteral("a < b > c");
    }
    void toolTipsShowTheirTextLiterally()
    {
        QFETCH(QString, text);
        QCOMPARE(ShownToolTip(PlainToolTip(text)), text);
    }

    void aLanguageFileCannotPutMarkupIntoLabelsOrHints()
    {
        QWidget form;
        form.setObjectName(QStringLiteral("frmFind"));
        auto* label = new QLabel(QStringLiteral("built in"), &form);
        label->setObjectName(QStringLiteral("Label1"));
        auto* button = new QToolButton(&form);
        button->setObjectName(QStringLiteral("butStart"));
        IniLang lang;
        const std::string markup = kMarkup.toStdString();
        lang.SetDocument(IniDocument::Parse("[frmFind]\r\nLabel1.Caption=" + markup + "\r\nbutStart.Hint=" + markup));
        TranslateForms({&form}, lang);
        QCOMPARE(label->text(), kMarkup);
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(ShownToolTip(button->toolTip()), kMarkup);
    }

    // Also the labels that show account texts and messages without entries of their own.
    void everyLabelOfTheProgramsFormsShowsPlainText()
    {
        Program program;
        TfrmMain& main = *program.main;
        TfrmPassGen passGen(main.Session(), main);
        TfrmFolder folder(main.Session(), main.Lists(), main);
        TfrmRecord record(main.Session(), main.Lists(), main, passGen);
        TfrmFind find(main.Session(), main.Lists(), main.Commands(), main, record);
        ScriptedTray tray;
        SessionControl session(main.Session(), main.Lists(), main.Commands(), main, *program.accountSet, tray);
        program.LoadLanguage();
        QStringList notPlain;
        int labels = 0;
        for (QWidget* form : ExistingForms()) {
            for (const QLabel* label : form->findChildren<QLabel*>()) {
                ++labels;
                if (label->textFormat() != Qt::PlainText) {
                    notPlain << form->objectName() + QLatin1Char('.') + label->objectName();
                }
            }
        }
        QVERIFY(labels > 20);
        QVERIFY2(notPlain.isEmpty(), qPrintable(notPlain.join(QStringLiteral(", "))));
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::PlainTextTest)
#include "PlainTextTest.moc"
