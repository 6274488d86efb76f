#include "views/mygraphicsview.h"

#include "views/models/monitorscale.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {
constexpr double KeyFactor = 1.1;
// Around a changed scene rectangle: the pixels a one-pixel pen may reach beyond the rounded
// corners.
constexpr int DirtyMargin = 2;
// Strips apart kept in the region to repaint; more are repainted as one rectangle.
constexpr qsizetype MaxStrips = 4;
constexpr char QueueName[] = "k330RepaintQueue";
} // namespace

// The views waiting to repaint, served one per pass of the event loop. A single repaint of a
// view at tens of thousands of positions takes a few milliseconds; several views repainted in
// one go (their refresh timers falling due together, after a long repaint) would hold the
// loop for their sum. One queue for the GUI thread, owned by the application.
class RepaintQueue : public QObject
{
public:
    static RepaintQueue *instance()
    {
        auto *queue =
            qApp->findChild<RepaintQueue *>(QLatin1String(QueueName), Qt::FindDirectChildrenOnly);
        return queue ? queue : new RepaintQueue(qApp);
    }

    void add(MyGraphicsView *view)
    {
        if (!waiting.contains(view))
            waiting.append(view);
        if (!turn.isActive())
            turn.start();
    }
    void remove(MyGraphicsView *view) { waiting.removeAll(view); }

private:
    explicit RepaintQueue(QObject *parent)
        : QObject(parent)
    {
        setObjectName(QLatin1String(QueueName));
        turn.setSingleShot(true);
        turn.setInterval(0);
        connect(&turn, &QTimer::timeout, this, &RepaintQueue::next);
    }

    void next()
    {
        if (waiting.isEmpty())
            return;
        MyGraphicsView *view = waiting.takeFirst();
        if (!waiting.isEmpty())
            turn.start();
        view->repaintDirty();
    }

    QList<MyGraphicsView *> waiting; // a view leaves it in its destructor
    QTimer turn;
};

MyGraphicsView::~MyGraphicsView()
{
    if (qApp)
        RepaintQueue::instance()->remove(this);
}

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

void MyGraphicsView::addDirty(const QRect &rect)
{
    // Strips of consecutive frames overlap: their bounding rectangle costs no more to repaint
    // than the pieces. Strips apart (a sweep that wrapped within one refresh: its end and its
    // start) stay apart, each repainted in its own turn, rather than the whole width between.
    QRect merged = rect;
    for (qsizetype i = dirty.size() - 1; i >= 0; --i) {
        if (dirty.at(i).adjusted(-1, -1, 1, 1).intersects(merged))
            merged |= dirty.takeAt(i);
    }
    dirty.append(merged);
    if (dirty.size() > MaxStrips) {
        QRect all;
        for (const QRect &r : std::as_const(dirty))
            all |= r;
        dirty = {all};
    }
    if (refreshTimer.isActive())
        return;
    const qint64 since = sinceRefresh.isValid() ? sinceRefresh.elapsed() : RefreshMs;
    refreshTimer.start(int(std::max<qint64>(0, RefreshMs - since)));
}

void MyGraphicsView::refresh()
{
    sinceRefresh.start();
    RepaintQueue::instance()->add(this);
}

void MyGraphicsView::repaintDirty()
{
    while (!dirty.isEmpty()) {
        const QRect strip = dirty.takeFirst() & viewport()->rect();
        if (strip.isEmpty())
            continue;
        viewport()->repaint(strip);
        break;
    }
    if (!dirty.isEmpty())
        RepaintQueue::instance()->add(this);
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
