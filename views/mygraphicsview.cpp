#include "views/mygraphicsview.h"

#include "views/models/monitorscale.h"

#include <QKeyEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {
constexpr double KeyFactor = 1.1;
// Around a changed scene rectangle: the pixels a one-pixel pen may reach beyond the rounded
// corners.
constexpr int DirtyMargin = 2;
} // namespace

MyGraphicsView::MyGraphicsView(QWidget *parent)
    : QGraphicsView(parent)
{
    // No painter state saved around each item, and no margin added to every dirty rectangle
    // for antialiasing the items do not use.
    setOptimizationFlags(QGraphicsView::DontSavePainterState
                         | QGraphicsView::DontAdjustForAntialiasing);
    refreshTimer.setSingleShot(true);
    connect(&refreshTimer, &QTimer::timeout, this, &MyGraphicsView::refresh);
}

void MyGraphicsView::scheduleRepaint(const QRectF &sceneRect)
{
    addDirty(mapFromScene(sceneRect).boundingRect().adjusted(-DirtyMargin, -DirtyMargin,
                                                             DirtyMargin, DirtyMargin));
}

void MyGraphicsView::scheduleRepaint()
{
    addDirty(viewport()->rect());
}

void MyGraphicsView::addDirty(const QRegion &region)
{
    // Strips of consecutive frames overlap: their bounding rectangle costs no more to repaint
    // than the pieces and keeps the region one rectangle.
    dirty = QRegion(dirty.boundingRect().united(region.boundingRect()));
    if (refreshTimer.isActive())
        return;
    const qint64 since = sinceRefresh.isValid() ? sinceRefresh.elapsed() : RefreshMs;
    refreshTimer.start(int(std::max<qint64>(0, RefreshMs - since)));
}

void MyGraphicsView::refresh()
{
    sinceRefresh.start();
    const QRegion region = dirty & viewport()->rect();
    dirty = QRegion();
    if (!region.isEmpty())
        viewport()->update(region);
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
    if (fitOnResize) {
        Q_EMIT fit();
        return;
    }
    QGraphicsView::resizeEvent(event);
    if (keepFitted)
        refit();
}

void MyGraphicsView::refit()
{
    // The room inside the frame, scroll bars included: a scroll bar coming or going does not
    // change the room, and so does not rescale the picture.
    const QSize room = contentsRect().size();
    const double side = std::min(room.width(), room.height());
    if (side <= 0)
        return;
    if (fittedSide > 0 && side != fittedSide) {
        const double factor = side / fittedSide;
        scale(factor, factor);
        Q_EMIT refitted(factor);
    }
    fittedSide = side;
}

QSize MyGraphicsView::sizeHint() const
{
    if (!keepFitted || !scene())
        return {420, 320};
    // The whole scene at the zoom it has, within the frame.
    const QRectF r = sceneRect();
    const int side =
        int(std::ceil(std::max(r.width(), r.height()) * transform().m11())) + 2 * frameWidth() + 2;
    return {side, side};
}
