#pragma once
// The device tree: tasks, blocks of the controller model and monitoring views, 190 pixels wide
// by default.

#include <QTreeWidget>

class CDevTree : public QTreeWidget
{
    Q_OBJECT

public:
    explicit CDevTree(QWidget *parent = nullptr);
    QSize sizeHint() const override;
};
