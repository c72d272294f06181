#include "gui/widgets/FieldText.h"

#include <algorithm>

namespace velmora {

bool IsBlankField(const QString& text)
{
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c.isSpace() || c.category() == QChar::Other_Control; });
}

} // namespace velmora
