#include "gui/browser/ClipboardCommands.h"

#include "gui/browser/CommandSupport.h"
#include "gui/commands/CommandTable.h"
#include "gui/main/TfrmMain.h"
#include "gui/widgets/Clipboard.h"
#include "gui/widgets/CodePageText.h"

namespace velmora {

ClipboardCommands::ClipboardCommands(TfrmMain& main) : m_main(main)
{
    main.Commands().Bind("mCName", *this, [this] { mCNameClick(); });
    main.Commands().Bind("mCUrl", *this, [this] { mCUrlClick(); });
    main.Commands().Bind("mCLogin", *this, [this] { mCLoginClick(); });
    main.Commands().Bind("mCId", *this, [this] { mCIdClick(); });
    main.Commands().Bind("mCPass", *this, [this] { mCPassClick(); });
    main.Commands().Bind("mCl", *this, [this] { mClClick(); });
    main.Commands().Bind("mClBuf", *this, [this] { mClBufClick(); });
}

void ClipboardCommands::CopyField(std::string TRecType::*field)
{
    const TRecType* record = m_main.SelectedRecord();
    if (record == nullptr) {
        m_main.ShowMessageBox(m_main.Message("const_forgot_record"), MessageKind::Information);
        return;
    }
    CopyToClipboard(m_main.Services().clipboard, FromCodePage(record->*field));
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
    m_main.Services().messages.ShowMessage(MessageKind::Information, m_main.Message("const_cl") + QLatin1Char('\r') +
                                                                         m_main.Services().clipboard.Text());
}

void ClipboardCommands::mClBufClick()
{
    CopyToClipboard(m_main.Services().clipboard, QString());
}

} // namespace velmora
