#pragma once
// Items of the device tree for a controller model and an operating mode.

#include <QList>
#include <QString>

struct TreeItem
{
    QString text;
    QString icon; // resource name, or empty
    int level = 0; // 0 top level, 1 child of the last level-0 item, 2 child of the last level-1
};

// The items that exist for the model code and mode, in display order.
QList<TreeItem> deviceTreeItems(quint16 model, int mode);

// Group items open nothing when activated.
bool isTreeGroup(const QString &text);
