#include "app/about.h"

About::About(QWidget *parent, quint16 version)
    : SubWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    ui.setupUi(this);
    ui.sRev->setText(QStringLiteral("%1.%2").arg(version >> 8).arg(version & 0xFF));
    connect(ui.bClose, &QPushButton::clicked, this, &About::Quit);
}

void About::Quit()
{
    requestClose(false);
}
