#pragma once

#include <QString>
#include <QStyledItemDelegate>

namespace velmora {

// Shows a suffix after the text of the items marked with kMarkedRole, leaving their text as it
// is: a combo box's list can tell something about a name without changing the name it gives.
class SuffixDelegate final : public QStyledItemDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SuffixDelegate)

public:
    static constexpr int kMarkedRole = Qt::UserRole + 1;

    explicit SuffixDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

    void SetSuffix(const QString& suffix) { m_suffix = suffix; }
    // The text the list shows for the item.
    QString ShownText(const QModelIndex& index) const;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    QString m_suffix;
};

} // namespace velmora
