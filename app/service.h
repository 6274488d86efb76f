#pragma once
// Dialog that turns an access code into a service mode.

#include "ui_service.h"

#include <QDialog>

class Service : public QDialog
{
    Q_OBJECT

public:
    explicit Service(QWidget *parent = nullptr);
    // The mode of the accepted code; 0 when none was accepted.
    int chosenMode() const { return chosen; }

    // Mode of an access code compared as a whole, case-sensitive text; 0 for no code.
    static int modeForCode(const QString &code);

Q_SIGNALS:
    // Emitted by the set button with an accepted code, just before the dialog closes (and deletes
    // itself), so that the caller learns the mode without touching the deleted dialog.
    void modeChosen(int mode);

public Q_SLOTS:
    void Quit();
    void Set();

private:
    Ui::ServiceClass ui;
    int chosen = 0;
};
