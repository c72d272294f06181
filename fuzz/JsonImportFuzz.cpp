// The command-line tool's JSON import on arbitrary text: it either refuses the dump or yields an
// account that dumps back to the same JSON.

#include "FuzzSupport.h"
#include "cli/AccountJson.h"
#include "cli/ExitCode.h"

#include <string_view>

using namespace velmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    TAccount account;
    std::optional<AccountSettings> settings;
    try {
        settings = cli::AccountFromJson(cli::ParseAccountJson(text), account);
    } catch (const cli::CommandError&) {
        return 0;
    }
    fuzz::CheckAccount(account);
    const auto dump = cli::AccountToJson(account, settings);
    TAccount again;
    const auto settingsAgain = cli::AccountFromJson(dump, again);
    if (cli::AccountToJson(again, settingsAgain) != dump) {
        fuzz::Violation("an imported dump did not dump back the same");
    }
    return 0;
}
