#pragma once

#include <functional>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

namespace velmora::cli {

// Where the account password comes from. The text is UTF-8, as typed.
class PasswordSource
{
public:
    virtual ~PasswordSource() = default;
    // Puts the password into `password`. With `confirm` (a password that is being set) it is asked
    // twice where a person types it. Throws CommandError when there is none.
    virtual void Read(std::string_view prompt, bool confirm, std::string& password) = 0;
    // One line of standard input, without a prompt and without echo on a terminal (a record's
    // password given with --password-stdin). Throws CommandError when there is none.
    virtual void ReadLine(std::string& secret) = 0;
    // Asks a yes-or-no question; true only for "y" or "yes".
    virtual bool Confirm(std::string_view question) = 0;
};

// One line of `in`; only its line end (LF or CR LF) is removed, blanks stay part of the password.
// False at the end of the input.
bool ReadPasswordLine(std::istream& in, std::string& password);

// The terminal without echo when standard input is one, otherwise one line of standard input.
// Prompts go to standard error, so standard output holds only what the command prints.
class StandardInputPasswords final : public PasswordSource
{
public:
    // Lines come from `readLine` (false at the end of the input); by default from std::cin.
    using LineReader = std::function<bool(std::string&)>;
    explicit StandardInputPasswords(LineReader readLine = {});

    void Read(std::string_view prompt, bool confirm, std::string& password) override;
    void ReadLine(std::string& secret) override;
    bool Confirm(std::string_view question) override;

private:
    void ReadFromTerminal(std::string_view prompt, std::string& password);

    LineReader m_readLine;
};

} // namespace velmora::cli
