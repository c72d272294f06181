#include "gui/widgets/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace velmora {

void CentreOnScreen(QWidget& window)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    window.move((screen.width() - window.width()) / 2, (screen.height() - window.height()) / 2);
}

void MoveOffScreen(QWidget& window)
{
    window.move(QGuiApplication::primaryScreen()->geometry().width(), window.y());
}

} // namespace velmora
