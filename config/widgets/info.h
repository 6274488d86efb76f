#pragma once
// Page "Информация": shows the identity of the configured controller and edits the
// information area (serial number, manufacturing date, description) of the document image.

#include "config/widgets/subwindow.h"
#include "ui_info.h"

#include <QDate>

class Info : public SubWindow
{
    Q_OBJECT
public:
    // `ident` points at the model word (offset 388) of the document image, `info` at its
    // information area (offset 182). Mode 0 only writes the defaults of a new image.
    Info(quint8 *ident, quint8 *info, int mode, QWidget *parent = nullptr);

public Q_SLOTS:
    void Quit();
    void textChanged();
    void setNumber(int n);
    void setDate(QDate d);

private:
    void load();
    // The description as the user sees it, line breaks as '\n'.
    QString descriptionText() const;

    Ui::InfoClass ui;
    quint8 *ident;
    quint8 *info;
    // Serial number and date as they will be stored: the stored values until the user
    // changes a control, so that values outside the controls' ranges survive unchanged.
    int serial = 0;
    int year = 0;
    int month = 0;
    int day = 0;
};
