#pragma once
// The About window: logo, program name and version.

#include "config/widgets/subwindow.h"
#include "ui_about.h"

class About : public SubWindow
{
    Q_OBJECT

public:
    // version: major number in the high byte, minor in the low byte.
    About(QWidget *parent, quint16 version);

public Q_SLOTS:
    void Quit();

protected:
    // Placed in the main window's area, its frame offers closing only: the window keeps its
    // size, so minimising and maximising serve nothing.
    bool event(QEvent *e) override;

private:
    Ui::AboutClass ui;
};
