#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace velmora {

// Late-bound automation: objects created from a programmatic identifier ("Excel.Application")
// whose members are reached by name, as office applications offer them. Member names match
// without regard to case. Every call either succeeds or throws AutomationError.
//
// Texts are UTF-8; callers convert code page bytes at this edge.

class AutomationError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A positional argument or a property value: text, integer or boolean.
using AutomationValue = std::variant<std::string, std::int64_t, bool>;
using AutomationArguments = std::vector<AutomationValue>;

class AutomationObject;
using AutomationObjectPtr = std::shared_ptr<AutomationObject>;

class AutomationObject
{
public:
    virtual ~AutomationObject() = default;
    // Reads a property or calls a method (the same call, as late binding makes it) and returns
    // the object it yields; a member that yields no object returns null.
    virtual AutomationObjectPtr Invoke(std::string_view member, const AutomationArguments& arguments = {}) = 0;
    // Writes a property, with its index arguments (none for a plain property).
    virtual void Put(std::string_view member, const AutomationArguments& indices, const AutomationValue& value) = 0;
};

class AutomationService
{
public:
    virtual ~AutomationService() = default;
    // A new application object; throws AutomationError when there is no such application.
    virtual AutomationObjectPtr CreateObject(std::string_view programmaticId) = 0;
};

// Member names compare without regard to (ASCII) case.
bool SameMember(std::string_view a, std::string_view b);

} // namespace velmora
