#pragma once
// Dialog in which the user picks the controller model of a new configuration.

#include "ui_createcfg.h"

#include <QDialog>

class CreateCfg : public QDialog
{
    Q_OBJECT
public:
    explicit CreateCfg(QWidget *parent);

    // List index chosen with "Выбрать" (0 K-330RA, 1 K-330RB); -1 until then.
    int index() const { return chosen; }

Q_SIGNALS:
    // Emitted by "Выбрать" just before the dialog closes (and deletes itself).
    void modelChosen(int index);

public Q_SLOTS:
    void Quit();
    void Set();

private:
    Ui::CreateCfgClass ui;
    int chosen = -1;
};
