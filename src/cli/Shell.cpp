#include "cli/Shell.h"

#include "cli/AccountStore.h"
#include "cli/CommandTable.h"
#include "cli/ExitCode.h"
#include "cli/PrintableText.h"
#include "core/vault/Secret.h"

#include <algorithm>
#include <iostream>
#include <memory>

#ifndef _WIN32
#include <poll.h>
#include <unistd.h>
#endif

namespace velmora::cli {
namespace {

const CommandEntry* ShellCommand(std::string_view name)
{
    for (const CommandEntry& entry : CommandTable()) {
        if (entry.name == name && entry.inShell) {
            return &entry;
        }
    }
    return nullptr;
}

void PrintShellHelp(std::ostream& out)
{
    out << "Commands (without the account name; COMMAND --help tells more):\n";
    for (const CommandEntry& entry : CommandTable()) {
        if (entry.inShell) {
            out << "  " << entry.name << std::string(10 - std::min<std::size_t>(entry.name.size(), 9), ' ')
                << entry.description << '\n';
        }
    }
    out << "  help      This list\n  exit      Leave the shell (also quit, or the end of the input)\n";
}

// The shell's hold of the account password, wiped when it locks and when it ends.
class HeldPassword
{
public:
    ~HeldPassword() { Wipe(m_password); }
    // Asks for the password and checks it by reading the account; throws CommandError.
    void Unlock(const CliEnvironment& environment, const std::string& account, PasswordSource& passwords)
    {
        ScopedAccount opened(AccountName(account));
        RequireAccountFile(environment.folders.userFiles, *opened);
        passwords.Read("Password for account " + QuotedName(*opened) + ": ", false, m_password);
        std::optional<std::string> bytes = ToCodePage(m_password);
        if (bytes) {
            opened->Password = std::move(*bytes);
            Wipe(*bytes);
        }
        OpenAccount(environment.folders.userFiles, *opened);
    }
    void Lock() { Wipe(m_password); }
    const std::string* Text() const { return &m_password; }

private:
    std::string m_password;
};

} // namespace

ShellInput::Result StandardInputLines::Next(std::chrono::milliseconds idle, std::string& line)
{
    line.clear();
#ifndef _WIN32
    // One byte at a time, so that no byte after the line end is taken from the commands.
    for (bool first = true;; first = false) {
        if (first && idle.count() > 0) {
            pollfd wait{.fd = STDIN_FILENO, .events = POLLIN, .revents = 0};
            const int ready = poll(&wait, 1, static_cast<int>(idle.count()));
            if (ready == 0) {
                return Result::Idle;
            }
        }
        char c = 0;
        const ssize_t got = read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return line.empty() ? Result::End : Result::Line;
        }
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            return Result::Line;
        }
        line += c;
    }
#else
    (void)idle;
    return ReadPasswordLine(std::cin, line) ? Result::Line : Result::End;
#endif
}

std::vector<std::string> ShellWords(std::string_view line)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\\' && i + 1 < line.size() &&
            (line[i + 1] == ' ' || line[i + 1] == '"' || line[i + 1] == '\'' || line[i + 1] == '\\')) {
            word += line[++i];
            inWord = true;
        } else if (quote != 0) {
            if (c == quote) {
                quote = 0;
            } else {
                word += c;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
            inWord = true;
        } else if (c == ' ' || c == '\t') {
            if (inWord) {
                words.push_back(std::move(word));
                word.clear();
                inWord = false;
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quote != 0) {
        throw CommandError(ExitCode::Usage, "A quote is not closed.");
    }
    if (inWord) {
        words.push_back(std::move(word));
    }
    return words;
}

void RunShell(const CliEnvironment& environment, const std::string& account, ShellInput& input,
              PasswordSource& passwords, std::chrono::milliseconds idle)
{
    HeldPassword password;
    password.Unlock(environment, account, passwords);
    const CliEnvironment commands{environment.folders,      environment.out,       environment.err, passwords,
                                  environment.exportMoment, environment.clipboard, password.Text()};
    environment.err << "Type help for the commands, exit to leave.\n";
    std::string line;
    for (;;) {
        environment.err << PrintableText(account) << "> " << std::flush;
        const ShellInput::Result result = input.Next(idle, line);
        if (result == ShellInput::Result::End) {
            environment.err << '\n';
            return;
        }
        if (result == ShellInput::Result::Idle) {
            password.Lock();
            environment.err << "\nLocked after " << std::chrono::duration_cast<std::chrono::seconds>(idle).count()
                            << " seconds without input.\n";
            password.Unlock(environment, account, passwords);
            continue;
        }
        std::vector<std::string> words;
        try {
            words = ShellWords(line);
        } catch (const CommandError& error) {
            environment.err << error.what() << '\n';
            continue;
        }
        if (words.empty()) {
            continue;
        }
        if (words[0] == "exit" || words[0] == "quit") {
            return;
        }
        if (words[0] == "help") {
            PrintShellHelp(environment.out);
            continue;
        }
        if (ShellCommand(words[0]) == nullptr) {
            environment.err << "There is no shell command \"" << PrintableText(words[0]) << "\"; type help.\n";
            continue;
        }
        words.insert(words.begin() + 1, account);
        std::vector<const char*> arguments{"velmora-cli"};
        for (const std::string& word : words) {
            arguments.push_back(word.c_str());
        }
        RunCli(static_cast<int>(arguments.size()), arguments.data(), commands);
    }
}

CommandAction DefineOpen(CLI::App& command)
{
    auto account = std::make_shared<std::string>();
    auto minutes = std::make_shared<int>(static_cast<int>(kShellIdleLock.count()));
    AddAccountArgument(command, *account);
    command.add_option("--lock-after", *minutes, "Minutes without input after which the shell locks (default 5)")
        ->check(CLI::Range(1, 1440));
    return [account, minutes](const CommandContext& context) {
        StandardInputLines lines;
        // Every line, passwords included, is read by the shell's own reader.
        StandardInputPasswords passwords(
            [&lines](std::string& line) { return lines.Next({}, line) != ShellInput::Result::End; });
        const CliEnvironment& outer = *context.environment;
        const CliEnvironment environment{context.folders, outer.out,          outer.err,
                                         passwords,       outer.exportMoment, outer.clipboard};
        RunShell(environment, *account, lines, passwords, std::chrono::minutes(*minutes));
    };
}

} // namespace velmora::cli
