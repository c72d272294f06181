#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <string_view>

namespace velmora {

class AccountSession;

// The Yes/No question of a deletion: the message `key` with the row caption put in for its
// "%s" as plain text. True only for Yes.
bool ConfirmWithCaption(AccountSession& session, std::string_view key, const std::string& caption);

} // namespace velmora
