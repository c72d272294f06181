#include "gui/widgets/FormButton.h"

#include <QPushButton>

namespace velmora {

QPushButton* FormButton(QWidget* form, const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, form);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace velmora
