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

private:
    Ui::AboutClass ui;
};
