#pragma once

#include "platform/TerminationSignals.h"

namespace velmora {

class AccountSession;

// Ends the program when the desktop or the user terminates it (SIGTERM, SIGINT, SIGHUP), the
// way closing it does, with nobody there to answer: a logout must not lose edits, so unsaved
// changes of an open or locked account are saved, keeping another program's newer save; with
// no account open nothing is written. Then every event loop ends, an open dialog's too, and the
// program leaves by its normal way out, which removes the office export's clear-text files.
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
