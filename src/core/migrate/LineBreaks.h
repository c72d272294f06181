#pragma once

#include <string>
#include <string_view>

namespace velmora {

// Notes hold CR LF line breaks, as written on Windows; other password managers use LF.

// LF becomes CR LF; a CR LF already there stays as it is.
std::string WithCrLf(std::string_view text);

// CR LF becomes LF; a CR alone stays.
std::string WithLf(std::string_view text);

} // namespace velmora
