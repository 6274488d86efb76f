#include "app/about.h"

#include <QEvent>
#include <QMdiSubWindow>

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

bool About::event(QEvent *e)
{
    if (e->type() == QEvent::ParentChange)
        if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
            sub->setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    return SubWindow::event(e);
}
