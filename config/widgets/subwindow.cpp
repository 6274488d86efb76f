#include "config/widgets/subwindow.h"

SubWindow::SubWindow(QWidget *parent)
    : QWidget(parent)
{ }

void SubWindow::requestClose(bool keep)
{
    Q_EMIT reqClose(windowTitle(), keep);
}

void SubWindow::refuse(const QString &why)
{
    refused = why;
    close();
}
