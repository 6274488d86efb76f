#include "app/treedelegate.h"

TreeDelegate::TreeDelegate(QSize iconSize, QObject *parent)
    : QStyledItemDelegate(parent)
    , icon(iconSize)
{ }

void TreeDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    // A null icon with the decoration feature takes its room and draws nothing.
    option->features |= QStyleOptionViewItem::HasDecoration;
    option->decorationSize = icon;
}
