#pragma once

#include <QString>
#include <functional>

namespace velmora {

// The program's icon in the desktop's notification area, shown while the program is locked.
class TrayIcon
{
public:
    virtual ~TrayIcon() = default;
    // False when the desktop has no notification area to hold the icon.
    virtual bool IsAvailable() const = 0;
    // Adds the icon with this tooltip, or changes the tooltip of the icon already shown.
    virtual void ShowIcon(const QString& tooltip) = 0;
    virtual void RemoveIcon() = 0;
    // Called on every press or click of a mouse button on the icon.
    virtual void SetUsedHandler(std::function<void()> handler) = 0;
};

} // namespace velmora
