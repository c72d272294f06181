#include "cli/Completion.h"

#include <algorithm>

namespace velmora::cli {
namespace {

std::string Joined(const std::vector<std::string>& words, std::string_view separator)
{
    std::string joined;
    for (const std::string& word : words) {
        joined += (joined.empty() ? "" : std::string(separator)) + word;
    }
    return joined;
}

std::vector<std::string> OptionWords(const CLI::App& command, bool takingValues)
{
    std::vector<std::string> words;
    for (const CLI::Option* option : VisibleOptions(command)) {
        if (!takingValues || option->get_expected_max() > 0) {
            for (const std::string& name : OptionNames(*option)) {
                if (std::find(words.begin(), words.end(), name) == words.end()) {
                    words.push_back(name);
                }
            }
        }
    }
    return words;
}

} // namespace

std::vector<std::string> OptionNames(const CLI::Option& option)
{
    std::vector<std::string> names;
    for (const std::string& name : option.get_lnames()) {
        names.push_back("--" + name);
    }
    for (const std::string& name : option.get_snames()) {
        names.push_back("-" + name);
    }
    return names;
}

std::vector<const CLI::Option*> VisibleOptions(const CLI::App& command)
{
    std::vector<const CLI::Option*> options;
    for (const CLI::Option* option : command.get_options()) {
        if (option->nonpositional() && !option->get_group().empty()) {
            options.push_back(option);
        }
    }
    return options;
}

std::string BashCompletion(CLI::App& app)
{
    const std::vector<CLI::App*> commands = app.get_subcommands([](CLI::App*) { return true; });
    std::vector<std::string> names;
    std::vector<std::string> valueOptions = OptionWords(app, true);
    for (const CLI::App* command : commands) {
        names.push_back(command->get_name());
        for (const std::string& option : OptionWords(*command, true)) {
            if (std::find(valueOptions.begin(), valueOptions.end(), option) == valueOptions.end()) {
                valueOptions.push_back(option);
            }
        }
    }
    std::string script = "# bash completion for velmora-cli, made from the tool's own definitions\n"
                         "_velmora_cli()\n{\n"
                         "    local cur prev words cword\n"
                         "    _init_completion || return\n\n"
                         "    local command=\"\" word\n"
                         "    for word in \"${words[@]:1:cword-1}\"; do\n"
                         "        case $word in\n"
                         "            " +
                         Joined(names, " | ") +
                         ")\n"
                         "                command=$word\n"
                         "                break\n"
                         "                ;;\n"
                         "        esac\n"
                         "    done\n\n"
                         "    case $prev in\n"
                         "        " +
                         Joined(valueOptions, " | ") +
                         ")\n"
                         "            _filedir\n"
                         "            return\n"
                         "            ;;\n"
                         "    esac\n\n"
                         "    local options\n"
                         "    case $command in\n"
                         "        \"\") options='" +
                         Joined(names, " ") + " " + Joined(OptionWords(app, false), " ") + "' ;;\n";
    for (const CLI::App* command : commands) {
        std::vector<std::string> options = OptionWords(*command, false);
        for (const std::string& global : OptionWords(app, false)) {
            if (std::find(options.begin(), options.end(), global) == options.end()) {
                options.push_back(global);
            }
        }
        script += "        " + command->get_name() + ") options='" + Joined(options, " ") + "' ;;\n";
    }
    script += "    esac\n"
              "    if [[ $cur == -* || -z $command ]]; then\n"
              "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
              "    else\n"
              "        _filedir\n"
              "    fi\n"
              "} &&\n"
              "    complete -F _velmora_cli velmora-cli\n";
    return script;
}

} // namespace velmora::cli
