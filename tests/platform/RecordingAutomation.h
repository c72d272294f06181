#pragma once

#include "core/export/Automation.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velmora::testing {

// Automation for tests: every call is recorded as one line, objects named by the expression
// that produced them ("A.WorkBooks.Add", the application being "A"):
//     A.range("A1") := "text"        a property written
//     A.cells(3, 1)                  a property read or a method called
// Texts are shown with CR and LF as \r and \n. A call can be made to fail.
class RecordingAutomation final : public AutomationService
{
public:
    // The name the application created from each identifier gets.
    static std::string ApplicationName(std::string_view programmaticId);

    std::vector<std::string> calls;
    // Identifiers that cannot be created, as on a desktop without that application.
    std::set<std::string, std::less<>> missing;
    // The call with this index (0-based, in `calls`) throws AutomationError after being recorded.
    std::optional<std::size_t> failAt;

    AutomationObjectPtr CreateObject(std::string_view programmaticId) override;

    // Records a call; throws when it is the one to fail.
    void Record(std::string line);
};

// A value as the record shows it.
std::string Shown(const AutomationValue& value);

} // namespace velmora::testing
