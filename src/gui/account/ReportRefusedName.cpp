#include "gui/account/ReportRefusedName.h"

#include "gui/session/AccountSession.h"
#include "gui/widgets/CodePageText.h"

namespace velmora {

bool ReportRefusedName(AccountSession& session, std::string_view name, NameTrouble trouble)
{
    QString text;
    if (!CheckAccountName(name, kRefusedNameCharacters)) {
        text = session.Message("const_chars") + FromCodePage(kRefusedNameCharacters);
    } else if (trouble == NameTrouble::ControlCharacter) {
        text = session.Message("const_name_control");
    } else if (trouble == NameTrouble::DeviceName) {
        text = session.Message("const_name_device");
    } else {
        return false;
    }
    session.ShowMessageBox(text, MessageKind::Warning);
    return true;
}

} // namespace velmora
