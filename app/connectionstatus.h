#pragma once
// The permanent field of the main window's status bar: whether a controller is connected, its
// model and processor serial once an exchange has identified it, and the operating mode.

#include "config/records.h"

#include <QLabel>

class ConnectionStatus : public QLabel
{
    Q_OBJECT

public:
    explicit ConnectionStatus(QWidget *parent = nullptr);

    void setConnected(bool connected);
    // The controller as an identification reported it; it is forgotten when it goes.
    void setController(const TDev &dev);
    // Only the model is known (a firmware load started at it); 0 changes nothing.
    void setModel(quint16 model);
    void setMode(int mode);

private:
    void refresh();

    bool connected = false;
    quint16 model = 0;
    QString serial;
    int mode = 1;
};
