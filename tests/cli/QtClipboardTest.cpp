#include "cli/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>
#include <gtest/gtest.h>

namespace velmora::cli {
namespace {

class QtClipboardTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "velmora_cli_tests";
        static char* argv[] = {name, nullptr};
        application = new QGuiApplication(argc, argv);
    }
    static void TearDownTestSuite()
    {
        delete application;
        application = nullptr;
    }
    static inline QGuiApplication* application = nullptr;
};

TEST_F(QtClipboardTest, TheTextIsMarkedAsASecretWhileHeldAndClearedAfter)
{
    QClipboard& clipboard = *QGuiApplication::clipboard();
    QString seenText;
    QByteArray seenHint;
    QTimer::singleShot(0, [&] {
        seenText = clipboard.text();
        seenHint = clipboard.mimeData()->data(kPasswordManagerHint);
    });
    EXPECT_TRUE(QtClipboard().Hold("p\xc3\xa4ss", std::chrono::seconds(1)));
    EXPECT_EQ(seenText, QString::fromUtf8("p\xc3\xa4ss"));
    EXPECT_EQ(seenHint, "secret");
    EXPECT_TRUE(clipboard.text().isEmpty());
}

TEST_F(QtClipboardTest, WhatWasCopiedMeanwhileStays)
{
    QClipboard& clipboard = *QGuiApplication::clipboard();
    QTimer::singleShot(0, [&] { clipboard.setText("copied by hand"); });
    EXPECT_FALSE(QtClipboard().Hold("secret", std::chrono::seconds(60)));
    EXPECT_EQ(clipboard.text(), "copied by hand");
}

} // namespace
} // namespace velmora::cli
