#include "views/mygraphicsview.h"

#include "views/monitorscale.h"

#include <QKeyEvent>
#include <QWheelEvent>

namespace {
constexpr double KeyFactor = 1.1;
} // namespace

MyGraphicsView::MyGraphicsView(QWidget *parent)
    : QGraphicsView(parent)
{
    // Thousands of items change every frame: no painter state saved around each, and no
    // margin added to every dirty rectangle for antialiasing the items do not use.
    setOptimizationFlags(QGraphicsView::DontSavePainterState
                         | QGraphicsView::DontAdjustForAntialiasing);
}

void MyGraphicsView::zoom(double factor)
{
    scale(factor, factor);
    Q_EMIT scaled(factor);
}

void MyGraphicsView::zoomIn()
{
    zoom(KeyFactor);
}

void MyGraphicsView::zoomOut()
{
    zoom(1 / KeyFactor);
}

void MyGraphicsView::keyPressEvent(QKeyEvent *event)
{
    // Swallowed either way: the view neither scrolls nor moves a selection by key.
    if (zoomInput && event->key() == Qt::Key_Plus)
        zoomIn();
    else if (zoomInput && event->key() == Qt::Key_Minus)
        zoomOut();
    event->accept();
}

void MyGraphicsView::wheelEvent(QWheelEvent *event)
{
    if (!zoomInput) {
        QGraphicsView::wheelEvent(event);
        return;
    }
    zoom(monitorscale::wheelFactor(event->angleDelta().y()));
    event->accept();
}

void MyGraphicsView::resizeEvent(QResizeEvent *event)
{
    if (fitOnResize)
        Q_EMIT fit();
    else
        QGraphicsView::resizeEvent(event);
}
