#include "gui/account/SealCommands.h"

#include "gui/commands/CommandTable.h"
#include "gui/session/AccountSession.h"

namespace velmora {

SealCommands::SealCommands(AccountSession& session, CommandTable& commands, QObject* parent)
    : QObject(parent), m_session(session)
{
    commands.Bind("mSeal", *this, [this] { mSealClick(); });
    commands.Bind("mUnseal", *this, [this] { mUnsealClick(); });
}

template <typename Change> void SealCommands::AskAndChange(const char* questionKey, const char* doneKey, Change change)
{
    if (m_session.Services().messages.AskYesNo(m_session.FormatMessage(questionKey, {m_session.Account().Name})) !=
        Answer::Yes) {
        return;
    }
    // A failure to write is reported by the command table; the files are then as they were.
    const std::optional<SealChange::Result> result = change();
    if (!result) {
        return; // another program's save was kept: nothing changed
    }
    switch (*result) {
    case SealChange::Result::Done:
        m_session.ShowMessageBox(m_session.Message(doneKey), MessageKind::Information);
        break;
    case SealChange::Result::WrongPassword:
        m_session.ShowMessageBox(m_session.Message("const_wrong_pass"), MessageKind::Error);
        break;
    case SealChange::Result::Changed:
        m_session.ShowMessageBox(m_session.Message("const_sealed_changed"), MessageKind::Error);
        break;
    }
}

void SealCommands::mSealClick()
{
    if (m_session.IsSealed()) {
        m_session.ShowMessageBox(m_session.Message("const_sealed_done"), MessageKind::Information);
        return;
    }
    AskAndChange("const_seal_ask", "const_sealed_done", [this] { return m_session.SealAccount(); });
}

void SealCommands::mUnsealClick()
{
    if (!m_session.IsSealed()) {
        m_session.ShowMessageBox(m_session.Message("const_unsealed_done"), MessageKind::Information);
        return;
    }
    AskAndChange("const_unseal_ask", "const_unsealed_done", [this] { return m_session.UnsealAccount(); });
}

} // namespace velmora
