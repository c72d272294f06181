#pragma once

#include <stdexcept>
#include <string>

namespace velmora::cli {

// What the tool tells the calling script.
enum class ExitCode : int
{
    Success = 0,
    Usage = 1,
    WrongPassword = 2,
    DamagedFile = 3,
    ReadWriteFailure = 4,
    NotFound = 5
};

// A command that cannot go on: a sentence for the user and the exit code.
class CommandError : public std::runtime_error
{
public:
    CommandError(ExitCode code, const std::string& message) : std::runtime_error(message), m_code(code) {}
    ExitCode Code() const { return m_code; }

private:
    ExitCode m_code;
};

} // namespace velmora::cli
