#include "gui/session/EndOnSignal.h"

#include "gui/session/AccountSession.h"

#include <QCoreApplication>
#include <cstdio>
#include <exception>

namespace velmora {

EndOnSignal::EndOnSignal(AccountSession& session) : m_session(session), m_signals([this] { End(); }) {}

void EndOnSignal::End()
{
    int exitCode = 0;
    if (m_session.Account().Modified) {
        try {
            // Another program's completed save wins over changes nobody asked to save.
            if (!m_session.SaveAccount(AccountSession::ForeignSave::Keep)) {
                std::fputs("velmora: another program saved the account since it was opened here; its file was kept "
                           "and the changes made here were not saved\n",
                           stderr);
                exitCode = 1;
            }
        } catch (const std::exception& failure) {
            // No window can say it any more; the session log can.
            std::fprintf(stderr, "velmora: the changes could not be saved: %s\n", failure.what());
            exitCode = 1;
        }
    }
    QCoreApplication::exit(exitCode);
}

} // namespace velmora
