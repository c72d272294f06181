#include "platform/RecordingAutomation.h"

namespace velmora::testing {
namespace {

class RecordingObject final : public AutomationObject
{
public:
    RecordingObject(RecordingAutomation& automation, std::string name)
        : m_automation(automation), m_name(std::move(name))
    {}

    AutomationObjectPtr Invoke(std::string_view member, const AutomationArguments& arguments) override
    {
        std::string call = m_name + "." + std::string(member) + List(arguments);
        m_automation.Record(call);
        return std::make_shared<RecordingObject>(m_automation, std::move(call));
    }

    void Put(std::string_view member, const AutomationArguments& indices, const AutomationValue& value) override
    {
        m_automation.Record(m_name + "." + std::string(member) + List(indices) + " := " + Shown(value));
    }

private:
    static std::string List(const AutomationArguments& arguments)
    {
        if (arguments.empty()) {
            return {};
        }
        std::string list = "(";
        for (const AutomationValue& argument : arguments) {
            list += (list.size() > 1 ? ", " : "") + Shown(argument);
        }
        return list + ")";
    }

    RecordingAutomation& m_automation;
    std::string m_name;
};

} // namespace

std::string RecordingAutomation::ApplicationName(std::string_view programmaticId)
{
    return programmaticId == "Word.Application" ? "W" : "A";
}

AutomationObjectPtr RecordingAutomation::CreateObject(std::string_view programmaticId)
{
    Record("new " + std::string(programmaticId));
    if (missing.contains(programmaticId)) {
        throw AutomationError("Invalid class string");
    }
    return std::make_shared<RecordingObject>(*this, ApplicationName(programmaticId));
}

void RecordingAutomation::Record(std::string line)
{
    calls.push_back(std::move(line));
    if (failAt && calls.size() == *failAt + 1) {
        throw AutomationError("The call failed");
    }
}

std::string Shown(const AutomationValue& value)
{
    if (const auto* text = std::get_if<std::string>(&value)) {
        std::string shown = "\"";
        for (const char c : *text) {
            shown += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
        }
        return shown + "\"";
    }
    if (const auto* number = std::get_if<std::int64_t>(&value)) {
        return std::to_string(*number);
    }
    return std::get<bool>(value) ? "true" : "false";
}

} // namespace velmora::testing
