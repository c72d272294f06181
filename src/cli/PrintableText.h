#pragma once

#include <string>
#include <string_view>

namespace velmora::cli {

// The UTF-8 text with every control character written as an escape, as the JSON output writes it
// (\n, \r, \t, else \u001b and the like, also for DEL and U+0080 to U+009F) and a backslash
// doubled, so that a name from the files cannot move the cursor, set the terminal's colours or
// pass for two lines, and an escape in the output is never a name's own text. Characters in `kept`
// stay as they are.
std::string PrintableText(std::string_view utf8, std::string_view kept = {});

} // namespace velmora::cli
