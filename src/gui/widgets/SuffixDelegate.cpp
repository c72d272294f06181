#include "gui/widgets/SuffixDelegate.h"

namespace velmora {

QString SuffixDelegate::ShownText(const QModelIndex& index) const
{
    const QString text = index.data(Qt::DisplayRole).toString();
    return index.data(kMarkedRole).toBool() ? text + m_suffix : text;
}

void SuffixDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->text = ShownText(index);
}

} // namespace velmora
