#pragma once

#include "platform/TrayIcon.h"

#include <functional>

namespace velmora::testing {

// A notification area for tests: records the icon and its tooltip; Use() is a click on it.
class ScriptedTray final : public TrayIcon
{
public:
    bool available = true;
    bool shown = false;
    QString tooltip;

    bool IsAvailable() const override { return available; }
    void ShowIcon(const QString& text) override
    {
        shown = true;
        tooltip = text;
    }
    void RemoveIcon() override { shown = false; }
    void SetUsedHandler(std::function<void()> handler) override { m_used = std::move(handler); }

    void Use()
    {
        if (shown && m_used) {
            m_used();
        }
    }

private:
    std::function<void()> m_used;
};

} // namespace velmora::testing
