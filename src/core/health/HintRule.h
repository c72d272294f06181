#pragma once

#include <string_view>

namespace velmora {

// A hint gives the password away when it holds the password or most of it: a run of at least
// 60 % of the password's characters, letter case aside. An empty password has nothing to give.
bool HintRevealsPassword(std::string_view hint, std::string_view password);

} // namespace velmora
