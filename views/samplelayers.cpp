#include "views/samplelayers.h"

#include <QPainter>
#include <QPolygonF>
#include <QStyleOptionGraphicsItem>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Dots up to this size in device pixels, each way, are filled as the rectangle they cover.
constexpr double PixelDot = 2.0;

// A run of the sweep in device coordinates, drawn as one polyline. Of the points that fall
// into one pixel column it keeps where the run entered the column, its top and bottom point
// and where it left, in the order they came: the column's pixels under a one-pixel pen stay
// the same, and a sweep of 32768 positions costs no more to draw than the view is wide.
class RunPolyline
{
public:
    // buffer: where the points go, kept by the caller from one repaint to the next.
    RunPolyline(QPainter *p, QPolygonF &buffer)
        : painter(p)
        , points(buffer)
    {
        points.clear();
    }

    void start(QPointF at)
    {
        finish();
        add(at);
    }

    void add(QPointF at)
    {
        const int c = int(std::floor(at.x() + 0.5));
        if (c != column) {
            closeColumn();
            column = c;
            first = last = low = high = at;
            count = 1;
            lowAt = highAt = 0;
            return;
        }
        if (at.y() < low.y()) {
            low = at;
            lowAt = count;
        }
        if (at.y() > high.y()) {
            high = at;
            highAt = count;
        }
        last = at;
        ++count;
    }

    // Draws the run collected so far.
    void finish()
    {
        closeColumn();
        if (points.isEmpty())
            return;
        // A run that stays on one point (the first sample of a sweep) is a zero-length line,
        // which the pen draws as one pixel where a polyline would draw nothing.
        const QPointF p = points.first();
        if (std::all_of(points.cbegin(), points.cend(), [p](QPointF q) { return q == p; }))
            painter->drawLine(p, p);
        else
            painter->drawPolyline(points);
        points.clear();
    }

private:
    void closeColumn()
    {
        if (column == INT_MIN)
            return;
        points.append(first);
        const int lastAt = count - 1;
        const bool keepLow = lowAt != 0 && lowAt != lastAt;
        const bool keepHigh = highAt != 0 && highAt != lastAt && highAt != lowAt;
        if (keepLow && keepHigh) {
            points.append(lowAt < highAt ? low : high);
            points.append(lowAt < highAt ? high : low);
        } else if (keepLow) {
            points.append(low);
        } else if (keepHigh) {
            points.append(high);
        }
        if (count > 1)
            points.append(last);
        column = INT_MIN;
    }

    QPainter *painter;
    QPolygonF &points;
    int column = INT_MIN; // pixel column being collected; INT_MIN: none
    QPointF first, last, low, high;
    int count = 0, lowAt = 0, highAt = 0; // points in the column; indexes of low and high
};

} // namespace

SampleLayer::SampleLayer(const QRectF &bounds)
    : area(bounds)
{
    // The exposed rectangle tells a layer which samples a repaint needs.
    setFlag(ItemUsesExtendedStyleOption);
    setAcceptedMouseButtons(Qt::NoButton);
}

void SampleLayer::setBounds(const QRectF &bounds)
{
    if (bounds == area)
        return;
    prepareGeometryChange();
    area = bounds;
}

SweepLayer::SweepLayer(const QPen &p)
    : SampleLayer(QRectF())
    , pen(p)
{ }

void SweepLayer::setLine(qsizetype position, const QLineF &line)
{
    if (position < lines.size())
        lines[position] = line;
    else
        lines.append(line);
}

void SweepLayer::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *)
{
    const qsizetype n = lines.size();
    if (n == 0)
        return;
    // Line i runs from x = i - 1 (0 for the first of a sweep) to x = i. The pixel columns at
    // the edges of the exposed strip take every line that reaches into them, or their top and
    // bottom would be those of the lines within the strip only.
    const QTransform t = painter->worldTransform();
    const double margin = t.inverted().mapRect(QRectF(0, 0, 2, 2)).width();
    const QRectF exposed = option->exposedRect.adjusted(-margin, 0, margin, 0);
    const qsizetype from = std::clamp<qsizetype>(qsizetype(std::floor(exposed.left())), 0, n);
    const qsizetype to = std::clamp<qsizetype>(qsizetype(std::ceil(exposed.right())) + 2, 0, n);
    // The view saves no painter state around an item: the layer restores what it changes.
    painter->save();
    painter->resetTransform();
    painter->setPen(pen);
    RunPolyline run(painter, runPoints);
    for (qsizetype i = from; i < to; ++i) {
        const QLineF &line = lines.at(i);
        // A run goes on while each line starts where the one before it ends: the sweep just
        // drawn, and the rest of the previous sweep beyond it.
        if (i == from || line.p1() != lines.at(i - 1).p2())
            run.start(t.map(line.p1()));
        run.add(t.map(line.p2()));
    }
    run.finish();
    painter->restore();
}

DotLayer::DotLayer(const QBrush &b)
    : SampleLayer(QRectF())
    , brush(b)
{ }

void DotLayer::setRect(qsizetype number, const QRectF &rect)
{
    if (number < rects.size())
        rects[number] = rect;
    else
        rects.append(rect);
}

void DotLayer::clearPixels(const QSize &size)
{
    if (pixels.width() < size.width() || pixels.height() < size.height())
        pixels =
            QImage(std::max(pixels.width(), size.width()), std::max(pixels.height(), size.height()),
                   QImage::Format_ARGB32_Premultiplied);
    bits = reinterpret_cast<QRgb *>(pixels.bits());
    stride = pixels.bytesPerLine() / qsizetype(sizeof(QRgb));
    for (int y = 0; y < size.height(); ++y)
        std::fill_n(bits + y * stride, size.width(), QRgb(0));
}

bool DotLayer::fillPixels(const QRectF &d, const QRect &device, QRgb colour)
{
    // The pixels a fill of the rectangle covers: its edges rounded to whole pixels.
    const int x1 = std::max(qRound(d.left()), device.left()) - device.left();
    const int x2 = std::min(qRound(d.right()), device.right() + 1) - device.left();
    const int y1 = std::max(qRound(d.top()), device.top()) - device.top();
    const int y2 = std::min(qRound(d.bottom()), device.bottom() + 1) - device.top();
    if (x2 <= x1 || y2 <= y1)
        return false;
    for (int y = y1; y < y2; ++y)
        std::fill(bits + y * stride + x1, bits + y * stride + x2, colour);
    return true;
}

void DotLayer::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *)
{
    if (rects.isEmpty())
        return;
    const QTransform t = painter->worldTransform();
    const QRectF exposed = option->exposedRect;
    const bool scaleOnly = t.type() <= QTransform::TxScale;
    const QRect device = scaleOnly ? t.mapRect(exposed).toAlignedRect().intersected(
                             QRect(0, 0, painter->device()->width(), painter->device()->height()))
                                   : QRect();
    clearPixels(device.size());
    const QRgb colour = qPremultiply(brush.color().rgba());
    bool anyPixel = false;
    painter->save();
    painter->setPen(Qt::NoPen);
    painter->setBrush(brush);
    for (const QRectF &r : std::as_const(rects)) {
        if (!r.intersects(exposed))
            continue;
        const QRectF d = scaleOnly ? t.mapRect(r) : QRectF();
        if (!scaleOnly || d.width() > PixelDot || d.height() > PixelDot)
            painter->drawEllipse(r);
        else
            anyPixel = fillPixels(d, device, colour) || anyPixel;
    }
    if (anyPixel) {
        painter->resetTransform();
        painter->drawImage(device.topLeft(), std::as_const(pixels),
                           QRect(QPoint(0, 0), device.size()));
    }
    painter->restore();
}
