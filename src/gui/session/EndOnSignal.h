#pragma once

#include "platform/TerminationSignals.h"

namespace velmora {

class AccountSession;

// Ends the program when the desktop or the user terminates it (SIGTERM, SIGINT, SIGHUP).
// Nobody is there to answer the save question and a logout must not lose edits, so unsaved
// changes of the open account are saved first. Then every event loop ends and the program
// leaves by its normal way out, which removes the office export's clear-text files.
class EndOnSignal final
{
public:
    explicit EndOnSignal(AccountSession& session);
    Q_DISABLE_COPY_MOVE(EndOnSignal)

private:
    void End();

    AccountSession& m_session;
    TerminationSignals m_signals;
};

} // namespace velmora
