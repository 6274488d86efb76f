#pragma once
// The list of configurations kept for recovery (config/recovery.h), opened from the File menu:
// when each was kept, its model and the file it belonged to. "Открыть" (also Return or a double
// click) chooses one; the main window then makes it the open configuration.

#include "config/recovery.h"

#include <QDialog>

class QPushButton;
class QTreeWidget;

class RecoveryDialog : public QDialog
{
    Q_OBJECT

public:
    RecoveryDialog(QWidget *parent, const QList<RecoveryEntry> &entries);

Q_SIGNALS:
    // Emitted with the chosen entry's id just before the dialog is accepted.
    void entryChosen(const QString &id);

private:
    void choose();

    QTreeWidget *list;
    QPushButton *bOpen;
};
