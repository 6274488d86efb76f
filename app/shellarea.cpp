#include "app/shellarea.h"

#include <QEvent>
#include <QMdiSubWindow>
#include <QPainter>

ShellArea::ShellArea(QWidget *parent)
    : QMdiArea(parent)
{
    connect(this, &QMdiArea::subWindowActivated, viewport(), qOverload<>(&QWidget::update));
}

void ShellArea::setHint(const QString &text)
{
    if (text == hintText)
        return;
    hintText = text;
    viewport()->update();
}

bool ShellArea::showsHint() const
{
    return !hintText.isEmpty() && subWindowList().isEmpty();
}

void ShellArea::paintEvent(QPaintEvent *event)
{
    if (!showsHint()) {
        QMdiArea::paintEvent(event);
        return;
    }
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), palette().color(QPalette::Base));
    p.setPen(palette().color(QPalette::Text));
    p.drawText(viewport()->rect().adjusted(12, 12, -12, -12), Qt::AlignCenter | Qt::TextWordWrap,
               hintText);
}

bool ShellArea::viewportEvent(QEvent *event)
{
    // A window arriving or leaving changes whether the hint shows.
    if (event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildRemoved)
        viewport()->update();
    return QMdiArea::viewportEvent(event);
}
