#include "platform/TrayIconQt.h"

#include "platform/QtPlatform.h"

namespace velmora {

TrayIconQt::TrayIconQt(const QIcon& image) : m_icon(image)
{
    // Every button counts, as a press on the icon does; Qt reports each use once.
    QObject::connect(&m_icon, &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason) {
        if (m_used) {
            m_used();
        }
    });
}

bool TrayIconQt::IsAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayIconQt::ShowIcon(const QString& tooltip)
{
    m_icon.setToolTip(PlainToolTip(tooltip)); // the tip names the account
    m_icon.show();
}

void TrayIconQt::RemoveIcon()
{
    m_icon.hide();
}

void TrayIconQt::SetUsedHandler(std::function<void()> handler)
{
    m_used = std::move(handler);
}

} // namespace velmora
