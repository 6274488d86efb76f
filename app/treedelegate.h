#pragma once
// Item delegate of the device tree: every icon is drawn at one size, and an item without an
// icon keeps the room of one, so that the texts of sibling rows line up.

#include <QStyledItemDelegate>

class TreeDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    TreeDelegate(QSize iconSize, QObject *parent);

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    QSize icon;
};
