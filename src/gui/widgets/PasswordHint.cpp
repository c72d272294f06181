#include "gui/widgets/PasswordHint.h"

#include <QLabel>
#include <QTimer>

namespace velmora {

int PasswordHintMilliseconds(qsizetype length)
{
    const qsizetype passes = 8 * length - 9;
    return passes < 1 ? 0 : static_cast<int>(passes * 10);
}

QLabel* ShowPasswordHint(QWidget* control, const QString& text)
{
    const int milliseconds = PasswordHintMilliseconds(text.size());
    if (milliseconds == 0) {
        return nullptr;
    }
    auto* hint = new QLabel(text, control, Qt::ToolTip);
    hint->setObjectName(QStringLiteral("PasswordHint"));
    hint->setTextFormat(Qt::PlainText);
    hint->setWordWrap(true);
    hint->setForegroundRole(QPalette::ToolTipText);
    hint->setBackgroundRole(QPalette::ToolTipBase);
    hint->setAutoFillBackground(true);
    hint->setMargin(3);
    const QRect measured = hint->fontMetrics().boundingRect(QRect(0, 0, 300, 10000), Qt::TextWordWrap, text);
    // Placed from the control itself, below it: from the window frame, whose title bar differs
    // between desktops, it could land on the control and hide what is typed there.
    hint->setGeometry(QRect(control->mapToGlobal(QPoint(5, control->height())),
                            QSize(measured.width() + 2 * hint->margin() + 2, measured.height() + 2 * hint->margin())));
    hint->show();
    QTimer::singleShot(milliseconds, hint, [hint] { hint->deleteLater(); });
    return hint;
}

} // namespace velmora
