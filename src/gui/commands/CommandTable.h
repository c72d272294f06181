#pragma once

#include <QObject>
#include <QStringList>
#include <exception>
#include <functional>
#include <map>
#include <string>
#include <string_view>

class QAction;
class QWidget;

namespace velmora {

// Every command of the main window: one QAction per menu item, tool bar button and shortcut,
// created here from one table. Menus, the tool bar and the context menus show these actions;
// the feature that handles a command binds it once.
class CommandTable final
{
public:
    // Runs a command: what every command needs around it.
    using CommandFrame = std::function<void(const std::function<void()>& command)>;

    // The actions become children of the window, so the language files translate them by name.
    // A command that fails is reported through `reportFailure`: the one place a failure of a
    // command is caught. Each command runs inside `frame`, when one is given.
    CommandTable(QWidget& window, std::function<void(const std::exception&)> reportFailure, CommandFrame frame = {});
    CommandTable(const CommandTable&) = delete;
    CommandTable& operator=(const CommandTable&) = delete;

    // The action of a command of the table; nullptr for any other name.
    QAction* Action(std::string_view name) const;

    // Runs the handler (while the context lives) when the command is triggered, and enables the
    // command: a command without its handler stays disabled. Binding an unknown command or one
    // that is bound already throws std::logic_error.
    void Bind(std::string_view name, QObject& context, std::function<void()> handler);

    // The commands no feature has bound yet.
    QStringList Unbound() const;

private:
    struct Command
    {
        QAction* action = nullptr;
        bool bound = false;
    };
    std::map<std::string, Command, std::less<>> m_commands;
    std::function<void(const std::exception&)> m_reportFailure;
    CommandFrame m_frame;
};

} // namespace velmora
