#include "core/export/Automation.h"

#include "core/export/AutomationMembers.h"

#include <algorithm>

namespace velmora {
namespace {

template <typename T> const T& Typed(const AutomationValue& value, const char* what)
{
    if (const T* typed = std::get_if<T>(&value)) {
        return *typed;
    }
    throw AutomationError(std::string("Type mismatch: expected ") + what + ".");
}

const AutomationValue& Argument(const AutomationArguments& arguments, std::size_t index)
{
    if (index >= arguments.size()) {
        throw AutomationError("Missing argument " + std::to_string(index + 1) + ".");
    }
    return arguments[index];
}

template <typename T> const T* Find(const std::vector<std::pair<std::string, T>>& members, std::string_view name)
{
    const auto found = std::find_if(members.begin(), members.end(),
                                    [name](const auto& member) { return SameMember(member.first, name); });
    return found == members.end() ? nullptr : &found->second;
}

[[noreturn]] void Unknown(std::string_view name)
{
    throw AutomationError("Unknown name \"" + std::string(name) + "\".");
}

} // namespace

bool SameMember(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return lower(x) == lower(y); });
}

MemberTable& MemberTable::Get(std::string name, Getter getter)
{
    m_getters.emplace_back(std::move(name), std::move(getter));
    return *this;
}

MemberTable& MemberTable::Set(std::string name, Setter setter)
{
    m_setters.emplace_back(std::move(name), std::move(setter));
    return *this;
}

AutomationObjectPtr MemberTable::Invoke(std::string_view member, const AutomationArguments& arguments)
{
    const Getter* getter = Find(m_getters, member);
    if (getter == nullptr) {
        Unknown(member);
    }
    return (*getter)(arguments);
}

void MemberTable::Put(std::string_view member, const AutomationArguments& indices, const AutomationValue& value)
{
    const Setter* setter = Find(m_setters, member);
    if (setter == nullptr) {
        Unknown(member);
    }
    (*setter)(indices, value);
}

const std::string& TextArgument(const AutomationArguments& arguments, std::size_t index)
{
    return TextValue(Argument(arguments, index));
}

std::int64_t IntegerArgument(const AutomationArguments& arguments, std::size_t index)
{
    return Typed<std::int64_t>(Argument(arguments, index), "an integer");
}

bool BoolValue(const AutomationValue& value)
{
    return Typed<bool>(value, "a boolean");
}

const std::string& TextValue(const AutomationValue& value)
{
    return Typed<std::string>(value, "a text");
}

} // namespace velmora
