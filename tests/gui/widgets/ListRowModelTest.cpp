#include "gui/widgets/ListRowModel.h"

#include <QImage>
#include <QItemSelectionModel>
#include <QPainter>
#include <QTableView>
#include <QTest>

namespace velmora::testing {

namespace {

QIcon Square(Qt::GlobalColor colour)
{
    QIcon icon;
    for (const int size : {16, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(colour);
        icon.addPixmap(pixmap);
    }
    return icon;
}

bool FullyTransparent(const QIcon& icon, const QSize& size)
{
    const QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) != 0) {
                return false;
            }
        }
    }
    return !image.isNull();
}

} // namespace

// Which picture a list row shows: a row whose image number is outside the image list must keep
// the indent of the others, so it gets a blank of their size rather than no picture at all.
class ListRowModelTest final : public QObject
{
    Q_OBJECT

private slots:
    void decoration_data()
    {
        QTest::addColumn<int>("imageIndex");
        QTest::addColumn<int>("stateIndex");
        QTest::addColumn<bool>("imagesShown");
        QTest::addColumn<bool>("stateImagesShown");
        QTest::addColumn<QString>("shows"); // "image 1", "state 0", "blank" or "none"
        QTest::newRow("image in the list") << 1 << -1 << true << false << QStringLiteral("image 1");
        QTest::newRow("image past the list") << 57 << -1 << true << false << QStringLiteral("blank");
        QTest::newRow("negative image") << -3 << -1 << true << false << QStringLiteral("blank");
        QTest::newRow("images hidden") << 1 << -1 << false << false << QStringLiteral("none");
        QTest::newRow("image past the list, images hidden") << 57 << -1 << false << false << QStringLiteral("none");
        QTest::newRow("state image") << -1 << 0 << false << true << QStringLiteral("state 0");
        QTest::newRow("state image past its list") << -1 << 4 << false << true << QStringLiteral("none");
        QTest::newRow("state image under a missing image") << 57 << 0 << true << true << QStringLiteral("state 0");
    }
    void decoration()
    {
        QFETCH(int, imageIndex);
        QFETCH(int, stateIndex);
        QFETCH(bool, imagesShown);
        QFETCH(bool, stateImagesShown);
        QFETCH(QString, shows);

        const QList<QIcon> images{Square(Qt::red), Square(Qt::green)};
        const QList<QIcon> stateImages{Square(Qt::blue)};
        ListRowModel model({QStringLiteral("Name")}, nullptr);
        model.SetRows({ListRow{"row", imageIndex, stateIndex, {"0"}}});
        model.SetImages(images, imagesShown);
        model.SetStateImages(stateImages, stateImagesShown);

        const QVariant decoration = model.data(model.index(0, 0), Qt::DecorationRole);
        if (shows == QStringLiteral("none")) {
            QVERIFY(!decoration.isValid());
            return;
        }
        const auto icon = decoration.value<QIcon>();
        if (shows == QStringLiteral("blank")) {
            QCOMPARE(icon.availableSizes(), images.front().availableSizes());
            for (const QSize& size : images.front().availableSizes()) {
                QVERIFY(FullyTransparent(icon, size));
            }
            return;
        }
        const QStringList which = shows.split(QLatin1Char(' '));
        const QList<QIcon>& list = which.front() == QStringLiteral("image") ? images : stateImages;
        QCOMPARE(icon.cacheKey(), list.at(which.back().toInt()).cacheKey());
    }

    void noImagesNoBlank()
    {
        ListRowModel model({QStringLiteral("Name")}, nullptr);
        model.SetRows({ListRow{"row", 0, -1, {"0"}}});
        model.SetImages({}, true);
        QVERIFY(!model.data(model.index(0, 0), Qt::DecorationRole).isValid());
    }

    // A report list moves by rows, as any list: Home and End go to the first and the last row,
    // not to the first and last column of the row.
    void homeAndEndGoToTheFirstAndLastRow()
    {
        ListRowModel model({QStringLiteral("Name"), QStringLiteral("Login")}, nullptr);
        model.SetRows(
            {ListRow{"a", -1, 0, {"l", "0"}}, ListRow{"b", -1, 0, {"l", "1"}}, ListRow{"c", -1, 0, {"l", "2"}}});
        QWidget window;
        QTableView* list = MakeReportList(&window, "lstRecords", &model);
        list->setCurrentIndex(model.index(1, 0));
        QTest::keyClick(list, Qt::Key_End);
        QCOMPARE(list->currentIndex().row(), 2);
        QTest::keyClick(list, Qt::Key_Home);
        QCOMPARE(list->currentIndex().row(), 0);
        QCOMPARE(list->selectionModel()->selectedRows().value(0).row(), 0);
    }
};

} // namespace velmora::testing

QTEST_MAIN(velmora::testing::ListRowModelTest)
#include "ListRowModelTest.moc"
