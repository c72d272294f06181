#pragma once

#include "core/export/Automation.h"
#include "platform/AutomationFiles.h"

namespace velmora {

// The program's own automation objects for "Excel.Application" and "Word.Application", for
// desktops without those applications: they write the workbook or document into a private
// directory when made visible and open it with the desktop's default application.
class BuiltinAutomation final : public AutomationService
{
public:
    BuiltinAutomation(std::filesystem::path temporaryParent, AutomationFiles::Opener open);

    AutomationObjectPtr CreateObject(std::string_view programmaticId) override;

    const AutomationFiles& Files() const { return m_files; }

private:
    AutomationFiles m_files;
};

} // namespace velmora
