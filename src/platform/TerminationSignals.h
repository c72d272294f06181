#pragma once

#include <QtGlobal>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace velmora {

// Turns SIGTERM, SIGINT and SIGHUP (a desktop logout sends them) into one call of `terminate`
// in the GUI thread, where anything may be done. The signal handler itself only writes a byte
// to a socket pair, the one thing it can do safely. One object at a time; the earlier handlers
// come back when it goes. Where there are no such signals it does nothing.
class TerminationSignals final
{
public:
    explicit TerminationSignals(std::function<void()> terminate);
    ~TerminationSignals();
    Q_DISABLE_COPY_MOVE(TerminationSignals)

private:
    void Received();

    std::function<void()> m_terminate;
    std::unique_ptr<QSocketNotifier> m_notifier;
    bool m_received = false;
};

} // namespace velmora
