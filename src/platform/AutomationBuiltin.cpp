#include "platform/AutomationBuiltin.h"

#include "platform/AutomationDocument.h"
#include "platform/AutomationWorkbook.h"

namespace velmora {

BuiltinAutomation::BuiltinAutomation(std::filesystem::path temporaryParent, AutomationFiles::Opener open)
    : m_files(std::move(temporaryParent), std::move(open))
{}

AutomationObjectPtr BuiltinAutomation::CreateObject(std::string_view programmaticId)
{
    if (SameMember(programmaticId, "Excel.Application")) {
        return NewSpreadsheetApplication(m_files);
    }
    if (SameMember(programmaticId, "Word.Application")) {
        return NewDocumentApplication(m_files);
    }
    throw AutomationError("There is no automation object \"" + std::string(programmaticId) + "\".");
}

} // namespace velmora
