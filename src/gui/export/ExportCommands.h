#pragma once

#include "core/export/Automation.h"
#include "core/export/TextExport.h"

#include <QObject>
#include <functional>
#include <string>

namespace velmora {

class AccountSession;
class CommandTable;

// The main window's export commands (Account > Export): to a text file, to a spreadsheet and
// to a word-processor document. Connects itself to the menu items `mText`, `MicrosoftExcel1`
// and `MicrosoftWord1` and enables them.
class ExportCommands final : public QObject
{
public:
    // `moment` gives the heading's date and time.
    ExportCommands(AccountSession& session, CommandTable& commands, AutomationService& automation,
                   std::function<std::string()> moment = CurrentExportMoment);
    Q_DISABLE_COPY_MOVE(ExportCommands)

    void mTextClick();
    void MicrosoftExcel1Click();
    void MicrosoftWord1Click();

private:
    TextExportOptions Options() const;
    // Runs one office export; any failure is shown with the message `errorKey`.
    void OfficeExport(const char* errorKey,
                      void (*exportTo)(AutomationService&, const TAccount&, const TextExportOptions&,
                                       const TextExportTexts&, const std::string&));

    AccountSession& m_session;
    AutomationService& m_automation;
    std::function<std::string()> m_moment;
};

} // namespace velmora
