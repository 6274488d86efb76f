#pragma once
// The layers that draw a monitoring window's sample items in one pass. The items (the
// oscilloscope's line items, the constellation's dots) hold the window's data and geometry
// but paint nothing; the window's layer, stacked above the grid and labels, draws them at
// each repaint, as far as the repaint exposes them.
//
// A layer keeps its own copy of the items' geometry, which the window sets together with the
// items: thousands of items lie scattered over the heap, and reading them at every repaint
// would cost a cache miss or two each, more than drawing them from one array.

#include <QGraphicsItem>
#include <QImage>
#include <QList>
#include <QPen>
#include <QPolygonF>
#include <algorithm>

// Base of both layers: covers the rectangle its samples stay within and is never found by a
// query for the items at a point (it is paint, not an object of the scene).
class SampleLayer : public QGraphicsItem
{
public:
    explicit SampleLayer(const QRectF &bounds);

    void setBounds(const QRectF &bounds);
    QRectF boundingRect() const override { return area; }
    QPainterPath shape() const override { return {}; }

private:
    QRectF area;
};

// The oscilloscope's sweep: each run of connected line items as one polyline, with at most
// four points per pixel column (where the run enters it, its top and bottom, where it leaves)
// when more positions than pixels are shown.
class SweepLayer : public SampleLayer
{
public:
    explicit SweepLayer(const QPen &pen);

    // The line of the item at a sample position, at most one past the last.
    void setLine(qsizetype position, const QLineF &line);
    void clear() { lines.clear(); }

    enum { Type = UserType + 331 };
    int type() const override { return Type; }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    QList<QLineF> lines; // by sample position
    QPen pen;
    QPolygonF runPoints; // of the run being drawn, kept from one repaint to the next
};

// The constellation's dots: those that cover at most two device pixels each way as pixels of
// one image (the rectangles a fill of their bounds covers), larger ones as ellipses.
class DotLayer : public SampleLayer
{
public:
    explicit DotLayer(const QBrush &brush);

    // The rectangle of the dot with a point number, at most one past the last.
    void setRect(qsizetype number, const QRectF &rect);
    // The first n dots are gone; the others move down.
    void removeFirst(qsizetype n) { rects.remove(0, std::clamp<qsizetype>(n, 0, rects.size())); }
    void clear() { rects.clear(); }

    enum { Type = UserType + 332 };
    int type() const override { return Type; }
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    // Makes `pixels` at least that large and clears that part of it.
    void clearPixels(const QSize &size);
    // Sets the pixels of a small dot (device coordinates) within the device rectangle that
    // `pixels` stands for; false when none of them lies within it.
    bool fillPixels(const QRectF &dot, const QRect &device, QRgb colour);

    QList<QRectF> rects; // by point number
    QBrush brush;
    QImage pixels; // the small dots of the exposed part, kept from one repaint to the next
    QRgb *bits = nullptr; // of `pixels`, as the last clearPixels left it
    qsizetype stride = 0; // pixels per line of `pixels`
};
