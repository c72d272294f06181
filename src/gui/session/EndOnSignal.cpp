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
    // No window can say what happened any more; the session log can.
    try {
        switch (m_session.EndUnattended()) {
        case AccountSession::UnattendedEnd::NothingToSave:
        case AccountSession::UnattendedEnd::Saved:
            break;
        case AccountSession::UnattendedEnd::ForeignSaveKept:
            std::fputs("velmora: another program saved the account since it was opened here; its file was kept "
                       "and the changes made here were not saved\n",
                       stderr);
            exitCode = 1;
            break;
        case AccountSession::UnattendedEnd::QuestionAnsweredNo:
            std::fputs("velmora: ended while asking whether to overwrite another program's save of the account; "
                       "the answer was No: that save was kept and the changes made here were not saved\n",
                       stderr);
            exitCode = 1;
            break;
        }
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "velmora: the changes could not be saved: %s\n", failure.what());
        exitCode = 1;
    }
    // Every event loop ends, a dialog's too: the question open now returns its Esc answer.
    QCoreApplication::exit(exitCode);
}

} // namespace velmora
