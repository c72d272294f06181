#include "gui/widgets/PasswordField.h"

#include <QLineEdit>
#include <QProxyStyle>

namespace velmora {
namespace {

class StarPasswordStyle final : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter) {
            return '*';
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

void MakePasswordField(QLineEdit* edit)
{
    edit->setEchoMode(QLineEdit::Password);
    auto* style = new StarPasswordStyle(edit->style()->name());
    style->setParent(edit);
    edit->setStyle(style);
}

} // namespace velmora
