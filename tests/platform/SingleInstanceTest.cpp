#include "platform/SingleInstance.h"

#include "support/TempDir.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <cstdlib>

namespace velmora {

class SingleInstanceTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The sockets go to a runtime directory of the test's own.
        std::filesystem::permissions(m_runtime.Path(), std::filesystem::perms::owner_all);
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(m_runtime.Path().string()));
    }

    void aSecondStartOnTheSameFolderRaisesTheFirstAndGivesWay()
    {
        test::TempDir accounts;
        SingleInstance first(accounts.Path());
        QSignalSpy raised(&first, &SingleInstance::RaiseRequested);
        QVERIFY(first.Claim());

        // The same folder by other spellings of its path.
        test::TempDir links;
        std::filesystem::create_directory_symlink(accounts.Path(), links / "accounts");
        const std::filesystem::path spellings[] = {accounts.Path(), accounts.Path() / "",
                                                   accounts.Path() / "Users" / "..", links / "accounts"};
        for (const std::filesystem::path& spelling : spellings) {
            SingleInstance later(spelling);
            QVERIFY2(!later.Claim(), spelling.c_str());
            QVERIFY(raised.wait(5000));
        }
        QCOMPARE(raised.size(), std::size(spellings));
    }

    void anotherFolderIsAnotherProgram()
    {
        test::TempDir accounts;
        test::TempDir otherAccounts;
        SingleInstance first(accounts.Path());
        QSignalSpy raised(&first, &SingleInstance::RaiseRequested);
        QVERIFY(first.Claim());
        SingleInstance other(otherAccounts.Path());
        QVERIFY(other.Claim());
        QVERIFY(SingleInstance::SocketName(accounts.Path()) != SingleInstance::SocketName(otherAccounts.Path()));
        QTest::qWait(100);
        QCOMPARE(raised.size(), 0);
    }

    void aSocketLeftByAProgramThatDiedIsTakenOver()
    {
        test::TempDir accounts;
        const QString name = SingleInstance::SocketName(accounts.Path());
        {
            QFile left(name);
            QVERIFY(left.open(QIODevice::WriteOnly));
        }
        SingleInstance first(accounts.Path());
        QVERIFY(first.Claim());
        QSignalSpy raised(&first, &SingleInstance::RaiseRequested);
        SingleInstance second(accounts.Path());
        QVERIFY(!second.Claim());
        QVERIFY(raised.wait(5000));
    }

    void theFolderIsFreeAgainWhenTheProgramEnds()
    {
        test::TempDir accounts;
        {
            SingleInstance first(accounts.Path());
            QVERIFY(first.Claim());
        }
        SingleInstance next(accounts.Path());
        QVERIFY(next.Claim());
    }

private:
    test::TempDir m_runtime;
};

} // namespace velmora

QTEST_GUILESS_MAIN(velmora::SingleInstanceTest)
#include "SingleInstanceTest.moc"
