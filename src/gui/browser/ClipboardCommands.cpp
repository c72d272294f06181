#include "gui/browser/ClipboardCommands.h"

#include "gui/browser/AccountLists.h"
#include "gui/browser/CommandSupport.h"
#include "gui/commands/CommandTable.h"
#include "gui/session/AccountSession.h"
#include "gui/widgets/Clipboard.h"
#include "gui/widgets/CodePageText.h"

namespace velmora {

ClipboardCommands::ClipboardCommands(AccountSession& session, AccountLists& lists, CommandTable& commands)
    : m_session(session), m_lists(lists)
{
    commands.Bind("mCName", *this, [this] { mCNameClick(); });
    commands.Bind("mCUrl", *this, [this] { mCUrlClick(); });
    commands.Bind("mCLogin", *this, [this] { mCLoginClick(); });
    commands.Bind("mCId", *this, [this] { mCIdClick(); });
    commands.Bind("mCPass", *this, [this] { mCPassClick(); });
    commands.Bind("mCl", *this, [this] { mClClick(); });
    commands.Bind("mClBuf", *this, [this] { mClBufClick(); });
}

void ClipboardCommands::CopyField(RecordField field)
{
    const TRecType* record = m_lists.SelectedRecord();
    if (record == nullptr) {
        m_session.ShowMessageBox(m_session.Message("const_forgot_record"), MessageKind::Information);
        return;
    }
    CopyToClipboard(m_session.Services().clipboard, FromCodePage((record->*field)()));
}

void ClipboardCommands::mCNameClick()
{
    CopyField(&TRecType::Name);
}

void ClipboardCommands::mCUrlClick()
{
    CopyField(&TRecType::URL);
}

void ClipboardCommands::mCLoginClick()
{
    CopyField(&TRecType::Login);
}

void ClipboardCommands::mCIdClick()
{
    CopyField(&TRecType::IDNumber);
}

void ClipboardCommands::mCPassClick()
{
    CopyField(&TRecType::Password);
}

void ClipboardCommands::mClClick()
{
    m_session.Services().messages.ShowMessage(MessageKind::Plain, m_session.Message("const_cl") + QLatin1Char('\r') +
                                                                      m_session.Services().clipboard.Text());
}

void ClipboardCommands::mClBufClick()
{
    CopyToClipboard(m_session.Services().clipboard, QString());
}

} // namespace velmora
