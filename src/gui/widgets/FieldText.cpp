#include "gui/widgets/FieldText.h"

#include "core/vault/CodePage.h"

#include <algorithm>

namespace velmora {

bool IsBlankField(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return IsBlankCharacter(c.unicode()); });
}

bool IsBlanksOnly(const QString& text)
{
    return text.trimmed().isEmpty();
}

} // namespace velmora
