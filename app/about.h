#pragma once
// The About window: logo, program name and version.

#include "ui_about.h"

#include <QWidget>

class About : public QWidget
{
    Q_OBJECT

public:
    // version: major number in the high byte, minor in the low byte.
    About(QWidget *parent, quint16 version);

Q_SIGNALS:
    void reqClose(QString title, bool keep);

public Q_SLOTS:
    void Quit();

private:
    Ui::AboutClass ui;
};
