#pragma once

#include "core/export/ExportBuffer.h"
#include "core/settings/AccountSettings.h"
#include "core/vault/Account.h"

#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>

namespace velmora::cli {

// The dump of an account as JSON:
//   {"format": "velmora-account", "version": 1,
//    "folders": [{"name": ..., "icon": ..., "records": [{"name", "url", "login", "idNumber",
//                 "password", "notes"}, ...]}, ...],
//    "settings": {every settings key with its plain value} or null when the account has none}
// Folders and records keep their order; texts are the code page bytes as UTF-8.
nlohmann::ordered_json AccountToJson(const TAccount& account, const std::optional<AccountSettings>& settings);

// The dump's text as AccountToJson(account, settings).dump(2) gives it, and a line end, written to
// `write` as it is made: the text is never held whole, and no tree is built.
void WriteAccountJson(const TAccount& account, const std::optional<AccountSettings>& settings,
                      const PieceWriter& write);

// The JSON text of a dump; throws CommandError (damaged file) with the line and column of a
// syntax error, or naming an object that has a member twice. The message never quotes a value,
// which may be a password.
nlohmann::ordered_json ParseAccountJson(std::string_view text);

// Fills the empty `account` with the dump's folders and records and returns its settings. Throws
// CommandError (damaged file) for the first value that is missing, unknown, of the wrong type or
// beyond the limits, or whose text the code page cannot hold, naming where it is.
std::optional<AccountSettings> AccountFromJson(const nlohmann::ordered_json& dump, TAccount& account);

} // namespace velmora::cli
