#pragma once

#include <string>

namespace velmora {

inline constexpr std::size_t kRecordKeyLength = 20;

// A fresh record key: 20 letters from "A" to "Y".
std::string NewRecordKey();

} // namespace velmora
