#include "gui/widgets/PasswordHint.h"

#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

namespace velmora::testing {

// The hint must not cover the field whose typed text it explains: it goes right below the field,
// wherever the field sits in its window and however tall it is.
class PasswordHintTest final : public QObject
{
    Q_OBJECT

private slots:
    void appearsJustBelowTheField_data()
    {
        QTest::addColumn<int>("fieldHeight");
        QTest::addColumn<QPoint>("windowAt");
        QTest::newRow("ordinary field") << 22 << QPoint(40, 30);
        QTest::newRow("tall field") << 64 << QPoint(40, 30);
        QTest::newRow("window moved away") << 22 << QPoint(310, 240);
    }
    void appearsJustBelowTheField()
    {
        QFETCH(int, fieldHeight);
        QFETCH(QPoint, windowAt);

        QDialog dialog;
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(new QLabel(QStringLiteral("Account")));
        auto* group = new QGroupBox(QStringLiteral("Password"));
        auto* inGroup = new QVBoxLayout(group);
        inGroup->setContentsMargins(17, 11, 17, 11);
        auto* field = new QLineEdit;
        field->setFixedHeight(fieldHeight);
        inGroup->addWidget(field);
        layout->addWidget(group);
        dialog.move(windowAt);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        QLabel* hint = ShowPasswordHint(field, QStringLiteral("the name of the first cat"));
        QVERIFY(hint != nullptr);
        QVERIFY(hint->isVisible());
        const QRect fieldOnScreen(field->mapToGlobal(QPoint(0, 0)), field->size());
        const QRect hintOnScreen = hint->geometry();
        QVERIFY2(!hintOnScreen.intersects(fieldOnScreen), "the hint covers the field");
        QVERIFY(hintOnScreen.top() > fieldOnScreen.bottom());
        QVERIFY(hintOnScreen.top() <= fieldOnScreen.bottom() + 4);
        QVERIFY(hintOnScreen.left() > fieldOnScreen.left());
        QVERIFY(hintOnScreen.left() < fieldOnScreen.right());
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::PasswordHintTest)
#include "PasswordHintTest.moc"
