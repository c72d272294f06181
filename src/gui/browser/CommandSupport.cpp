#include "gui/browser/CommandSupport.h"

#include "gui/session/AccountSession.h"

namespace velmora {

bool ConfirmWithCaption(AccountSession& session, std::string_view key, const std::string& caption)
{
    const QString text = QLatin1Char('\r') + session.FormatMessage(key, {caption});
    return session.Services().messages.AskYesNoWarning(text) == Answer::Yes;
}

} // namespace velmora
