#include "views/mygraphicsview.h"

#include "views/models/monitorscale.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QWheelEvent>

#include <algorithm>

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
    refreshTimer.setSingleShot(true);
    connect(&refreshTimer, &QTimer::timeout, this, &MyGraphicsView::refresh);
    // The scene draws no rubber band without viewport updates: the old and the new band are
    // repainted as the user drags.
    connect(this, &QGraphicsView::rubberBandChanged, this, [this](QRect band) {
        if (!coalesced)
            return;
        viewport()->update(QRegion(shownBand.adjusted(-1, -1, 1, 1))
                           + QRegion(band.adjusted(-1, -1, 1, 1)));
        shownBand = band;
    });
}

void MyGraphicsView::setCoalescedRepaint(bool on)
{
    coalesced = on;
    setViewportUpdateMode(on ? QGraphicsView::NoViewportUpdate
                             : QGraphicsView::MinimalViewportUpdate);
    updateViewport();
}

void MyGraphicsView::updateSceneRect(const QRectF &rect)
{
    if (!coalesced || dirtyAll)
        return;
    // Consecutive strips touch: merged into one rectangle.
    if (!dirtyRects.isEmpty() && dirtyRects.last().adjusted(-1, -1, 1, 1).intersects(rect))
        dirtyRects.last() |= rect;
    else
        dirtyRects.append(rect);
    scheduleRefresh();
}

void MyGraphicsView::updateViewport()
{
    if (!coalesced) {
        viewport()->update();
        return;
    }
    dirtyAll = true;
    dirtyRects.clear();
    scheduleRefresh();
}

void MyGraphicsView::scheduleRefresh()
{
    if (refreshTimer.isActive())
        return;
    // A view whose repaint is long (thousands of overlapping dots) refreshes less often, so
    // that repainting it never takes more than about an eighth of the GUI thread's time.
    refreshTimer.start(std::clamp(int(lastPaintNs * 8 / 1000000), RefreshMs, MaxRefreshMs));
}

void MyGraphicsView::refresh()
{
    // One repaint per turn of the event loop, whichever view it is: views whose refreshes fall
    // due together would otherwise repaint back to back, and the monitor frames waiting in
    // their blocks meanwhile would be overwritten.
    static QElapsedTimer sinceRepaint; // the last repaint of any view ended
    if (sinceRepaint.isValid() && sinceRepaint.nsecsElapsed() < RepaintGapNs) {
        refreshTimer.start(1);
        return;
    }
    if (dirtyAll) {
        pending = viewport()->rect();
        dirtyAll = false;
    }
    for (const QRectF &r : std::as_const(dirtyRects))
        pending += mapFromScene(r).boundingRect().adjusted(-2, -2, 2, 2);
    dirtyRects.clear();
    pending &= viewport()->rect();
    if (pending.isEmpty())
        return;
    QRegion now = pending;
    if (bands && nsPerColumn > 0) {
        // A wide strip (the stream far ahead of the screen) is repainted band by band, each
        // within the budget at the cost per column the last repaint took.
        const QRect all = pending.boundingRect();
        const int columns = std::max(MinBandColumns, int(BandBudgetNs / nsPerColumn));
        if (all.width() > columns)
            now &= QRect(all.x(), all.y(), columns, all.height());
    }
    pending -= now;
    viewport()->repaint(now);
    sinceRepaint.start();
    if (!pending.isEmpty())
        refreshTimer.start(1);
}

void MyGraphicsView::scrollContentsBy(int dx, int dy)
{
    QGraphicsView::scrollContentsBy(dx, dy);
    // Without viewport updates from the scene, the view does not repaint a scroll itself.
    if (coalesced)
        updateViewport();
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

void MyGraphicsView::paintEvent(QPaintEvent *event)
{
    QElapsedTimer clock;
    clock.start();
    QGraphicsView::paintEvent(event);
    // The refresh period follows the repaints of what changed; a repaint of the whole view
    // (after a zoom or scroll) is rare and would hold up the next ones for nothing.
    if (event->rect() != viewport()->rect()) {
        lastPaintNs = clock.nsecsElapsed();
        nsPerColumn = double(lastPaintNs) / std::max(1, event->rect().width());
    }
}
