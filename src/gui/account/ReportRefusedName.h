#pragma once

#include "core/account/AccountDirectory.h"

#include <string_view>

namespace velmora {

class AccountSession;

// Shows, as a warning, why `name` cannot be given to an account: a character of the refused list,
// a control character or a device name (`trouble` from FindNameTrouble), and returns true. Returns
// false, showing nothing, when none of these refuses it.
bool ReportRefusedName(AccountSession& session, std::string_view name, NameTrouble trouble);

} // namespace velmora
