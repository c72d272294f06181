#include "cli/QtClipboard.h"

#include "cli/ExitCode.h"

#include <QClipboard>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>
#include <memory>

namespace velmora::cli {
namespace {

// Without one of these, starting the display connection would end the process instead of failing.
bool DisplayNamed()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

bool HoldsOurs(const QClipboard& clipboard, const QString& text)
{
    const QMimeData* data = clipboard.mimeData();
    return data != nullptr && data->hasFormat(kPasswordManagerHint) && data->text() == text;
}

} // namespace

bool QtClipboard::Hold(std::string_view utf8, std::chrono::seconds duration)
{
    std::unique_ptr<QGuiApplication> application;
    if (QGuiApplication::instance() == nullptr) {
        if (!DisplayNamed()) {
            throw CommandError(ExitCode::ReadWriteFailure,
                               "There is no display to copy to: neither DISPLAY nor WAYLAND_DISPLAY is set.");
        }
        static int argc = 1;
        static char name[] = "velmora-cli";
        static char* argv[] = {name, nullptr};
        application = std::make_unique<QGuiApplication>(argc, argv);
    }
    QClipboard& clipboard = *QGuiApplication::clipboard();
    QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    auto* data = new QMimeData;
    data->setText(text);
    data->setData(kPasswordManagerHint, "secret");
    clipboard.setMimeData(data); // the clipboard owns it

    QEventLoop loop;
    QTimer::singleShot(duration, &loop, &QEventLoop::quit);
    // Something else copied ends the wait: the clipboard is no longer ours to clear.
    QObject::connect(&clipboard, &QClipboard::dataChanged, &loop, [&] {
        if (!HoldsOurs(clipboard, text)) {
            loop.quit();
        }
    });
    loop.exec();
    const bool ours = HoldsOurs(clipboard, text);
    if (ours) {
        clipboard.clear();
    }
    text.fill(QChar(u'\0'));
    return ours;
}

} // namespace velmora::cli
