#pragma once

#include "platform/TrayIcon.h"

#include <QIcon>
#include <QSystemTrayIcon>

namespace velmora {

// The notification-area icon on Qt.
class TrayIconQt final : public TrayIcon
{
public:
    explicit TrayIconQt(const QIcon& image);
    TrayIconQt(const TrayIconQt&) = delete;
    TrayIconQt& operator=(const TrayIconQt&) = delete;

    bool IsAvailable() const override;
    void ShowIcon(const QString& tooltip) override;
    void RemoveIcon() override;
    void SetUsedHandler(std::function<void()> handler) override;

private:
    QSystemTrayIcon m_icon;
    std::function<void()> m_used;
};

} // namespace velmora
