#pragma once

#include <string_view>

namespace velmora {

// The English language file as it ships (data/Default.lng), built into the program when it is
// built: a message that no language file on disk holds still has its English text.
std::string_view ShippedEnglishLanguageFile();

} // namespace velmora
