#pragma once

#include "core/export/Automation.h"

#include <functional>
#include <string>
#include <vector>

namespace velmora {

// An automation object of our own, made of named members: each readable member (or method)
// and each writable property is a function. Unknown members raise AutomationError, as a late
// call on a real application does.
class MemberTable final : public AutomationObject
{
public:
    using Getter = std::function<AutomationObjectPtr(const AutomationArguments&)>;
    using Setter = std::function<void(const AutomationArguments&, const AutomationValue&)>;

    MemberTable& Get(std::string name, Getter getter);
    MemberTable& Set(std::string name, Setter setter);

    AutomationObjectPtr Invoke(std::string_view member, const AutomationArguments& arguments) override;
    void Put(std::string_view member, const AutomationArguments& indices, const AutomationValue& value) override;

private:
    std::vector<std::pair<std::string, Getter>> m_getters;
    std::vector<std::pair<std::string, Setter>> m_setters;
};

// The argument at `index` as the type a member expects; AutomationError when it is missing or of
// another type.
const std::string& TextArgument(const AutomationArguments& arguments, std::size_t index);
std::int64_t IntegerArgument(const AutomationArguments& arguments, std::size_t index);
bool BoolValue(const AutomationValue& value);
const std::string& TextValue(const AutomationValue& value);

} // namespace velmora
