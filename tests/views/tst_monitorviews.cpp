// The oscilloscope and constellation windows: what a monitor block draws (sweep, wrap, sample
// mapping, dot placement and reuse), the zoom controls and the grid, and the windows opened,
// run and closed many times over a live simulated stream.

#include "queuedspy.h"
#include "simrig.h"

#include "device/monitorprotocol.h"
#include "device/tthread.h"
#include "sim/simcontroller.h"
#include "sim/simtransport.h"
#include "views/constellation.h"
#include "views/models/monitorscale.h"
#include "views/mygraphicsview.h"
#include "views/oscilloscope.h"

#include <QApplication>
#include <QBackingStore>
#include <QDial>
#include <QFileDialog>
#include <QGraphicsEllipseItem>
#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyleOptionGraphicsItem>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <memory>

namespace {

// A worker without a connection: the windows' monitor requests do nothing, and a test fills
// the blocks itself and announces them as the worker does.
struct Offline
{
    Offline()
        : thread(nullptr, [] { return makeSimulatedTransport(std::make_shared<SimController>()); })
    { }
    ~Offline()
    {
        thread.stop();
        thread.wait();
    }

    // Stores `len` and 32-bit samples (channels 1 to 4) or I/Q pairs (channel 0) into a block
    // and announces it.
    void deliver(int channel, const QList<qint32> &samples, int len = -1)
    {
        {
            MonitorWriteLock lock(thread.monitorRecords());
            TMonBlock &b = lock->ch[channel];
            std::fill(std::begin(b.data), std::end(b.data), 0);
            for (int i = 0; i < samples.size() && i < 255; ++i) {
                b.data[2 * i] = quint16(quint32(samples[i]) >> 16);
                b.data[2 * i + 1] = quint16(quint32(samples[i]) & 0xFFFF);
            }
            b.len = quint16(len >= 0 ? len : int(samples.size()) * 4);
        }
        Q_EMIT thread.monitorRdy(thread.monitorRecords().address());
    }
    void deliverPoints(const QList<QPoint> &points, int len = -1)
    {
        QList<qint32> packed;
        for (const QPoint &p : points)
            packed.append(qint32((quint32(quint16(p.x())) << 16) | quint16(p.y())));
        deliver(0, packed, len);
    }
    quint16 len(int channel)
    {
        MonitorReadLock lock(thread.monitorRecords());
        return lock->ch[channel].len;
    }

    TThread thread;
};

QGraphicsScene *sceneOf(QWidget *w)
{
    return w->findChild<MyGraphicsView *>()->scene();
}

// The signal lines of an oscilloscope, by sample position (the end point's x).
QMap<int, QLineF> signalLines(QWidget *w)
{
    QMap<int, QLineF> out;
    for (QGraphicsItem *item : sceneOf(w)->items())
        if (auto *l = qgraphicsitem_cast<QGraphicsLineItem *>(item); l && l->zValue() == 0)
            out.insert(qRound(l->line().p2().x()), l->line());
    return out;
}

QList<QPointF> dotCentres(QWidget *w)
{
    QList<QPointF> out;
    for (QGraphicsItem *item : sceneOf(w)->items())
        if (auto *e = qgraphicsitem_cast<QGraphicsEllipseItem *>(item))
            out.append(e->rect().center());
    return out;
}

void start(QWidget *w)
{
    w->findChild<QPushButton *>("bRun")->setEnabled(true);
    w->findChild<QPushButton *>("bRun")->click();
}

// Records the rectangles a widget's paint events cover.
class PaintSpy : public QObject
{
public:
    PaintSpy(QWidget *widget, QList<QRect> *rects)
        : rects(rects)
    {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            rects->append(static_cast<QPaintEvent *>(event)->rect());
        return false;
    }

private:
    QList<QRect> *rects;
};

// Samples 0, 1000, 2000, ... from `from` on.
QList<qint32> ramp(int from, int count)
{
    QList<qint32> out;
    for (int i = 0; i < count; ++i)
        out.append((from + i) * 1000);
    return out;
}

// Red pixels of a shown window as its backing store holds them: what was really repainted, not
// a fresh rendering (grab() would paint the widget anew and hide a missed repaint).
int redPixels(QWidget *w)
{
    QPaintDevice *device = w->window()->backingStore()->paintDevice();
    if (device->devType() != QInternal::Image)
        return -1;
    const QImage image = static_cast<QImage *>(device)->copy();
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            red += qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60 ? 1 : 0;
        }
    return red;
}

// Items of a window's scene that are not its own sample items (grid lines, labels, blocks).
int itemsBesidesSamples(QWidget *w)
{
    int n = 0;
    for (QGraphicsItem *item : sceneOf(w)->items())
        n += qgraphicsitem_cast<QGraphicsEllipseItem *>(item)
                || (qgraphicsitem_cast<QGraphicsLineItem *>(item) && item->zValue() == 0)
            ? 0
            : 1;
    return n;
}

double yOf(qint32 v)
{
    return 1.0 - double(v) / 2147483647.0;
}

std::unique_ptr<QWidget> openView(Offline &o, int channel)
{
    if (channel == 0)
        return std::make_unique<Constellation>(nullptr, &o.thread, 0, true);
    return std::make_unique<Oscilloscope>(nullptr, &o.thread, quint16(channel), true);
}

// Full-scale samples (or I/Q pairs packed as one word) that swing across many pixels between
// neighbouring positions, with the extremes among them; block b of 255. A block starts with
// six samples at the top and ends with one in the middle: the first sample of a new sweep
// that follows one lies apart from the lines of the old sweep beside it.
QList<qint32> wave(int b)
{
    QList<qint32> out;
    QRandomGenerator random(quint32(b + 1));
    for (int i = 0; i < 255; ++i)
        out.append(qint32(random.generate()));
    std::fill_n(out.begin(), 6, INT_MAX);
    out[6] = INT_MIN;
    out[7] = -INT_MAX;
    out[254] = 0;
    return out;
}

// Delivers blocks `from` to `to` - 1 of wave() and returns every sample with its position (or
// point number) at a sweep of `size`, the last one given at a position winning.
QMap<int, qint32> feed(Offline &o, int channel, int from, int to, int size, int *next)
{
    QMap<int, qint32> at;
    for (int b = from; b < to; ++b) {
        o.deliver(channel, wave(b));
        for (qint32 v : wave(b)) {
            *next = *next >= size ? 0 : *next;
            at.insert((*next)++, v);
        }
    }
    return at;
}

// The view's viewport as the window's backing store holds it; a null image when the platform's
// backing store is not an image.
QImage shownViewport(QWidget *w)
{
    QWidget *viewport = w->findChild<MyGraphicsView *>()->viewport();
    QPaintDevice *device = w->window()->backingStore()->paintDevice();
    if (device->devType() != QInternal::Image)
        return {};
    return static_cast<QImage *>(device)->copy(
        QRect(viewport->mapTo(w->window(), QPoint()), viewport->size()));
}

// The sample items painted one by one as each painted itself before one layer drew them all:
// a line item by its own paint, a dot up to two device pixels each way as the rectangle it
// covers, a larger one as the ellipse item paints itself.
QImage paintedItems(QWidget *w)
{
    auto *view = w->findChild<MyGraphicsView *>();
    QImage image(view->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QTransform t = view->viewportTransform();
    const QStyleOptionGraphicsItem option;
    for (QGraphicsItem *item : view->scene()->items()) {
        painter.setTransform(t);
        auto *dot = qgraphicsitem_cast<QGraphicsEllipseItem *>(item);
        const QRectF d = dot ? t.mapRect(dot->rect()) : QRectF();
        if (dot && d.width() <= 2 && d.height() <= 2)
            painter.fillRect(dot->rect(), dot->brush());
        else if (dot || (qgraphicsitem_cast<QGraphicsLineItem *>(item) && item->zValue() == 0))
            item->paint(&painter, &option, nullptr);
    }
    return image;
}

// Red pixels of a; with b, those of them that have no red pixel of b within `reach` pixels.
int redAwayFrom(const QImage &a, const QImage &b = QImage(), int reach = 0)
{
    const auto red = [](const QImage &i, int x, int y) {
        const QRgb c = i.valid(x, y) ? i.pixel(x, y) : 0;
        return qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
    };
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            bool near = false;
            for (int dy = -reach; dy <= reach && !b.isNull(); ++dy)
                for (int dx = -reach; dx <= reach; ++dx)
                    near = near || red(b, x + dx, y + dy);
            n += red(a, x, y) && !near ? 1 : 0;
        }
    return n;
}

// Answers the next file dialog with a name in one of its filters, and a message box after it
// with OK, keeping the box's text.
struct ExportAnswers
{
    ExportAnswers(const QString &name, int filter)
    {
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        QObject::connect(&poll, &QTimer::timeout, [this, name, filter] {
            QWidget *modal = QApplication::activeModalWidget();
            if (auto *box = qobject_cast<QMessageBox *>(modal)) {
                warning = box->text();
                box->button(QMessageBox::Ok)->click();
            } else if (auto *d = qobject_cast<QFileDialog *>(modal); d && filters.isEmpty()) {
                filters = d->nameFilters();
                d->selectNameFilter(filters.value(filter));
                d->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(name);
                QMetaObject::invokeMethod(d, "accept", Qt::QueuedConnection);
            }
        });
        poll.start(5);
    }
    QTimer poll;
    QStringList filters; // of the dialog answered
    QString warning;
};

} // namespace

class TstMonitorViews : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void blockLength_data()
    {
        QTest::addColumn<int>("len");
        QTest::addColumn<int>("drawn");
        QTest::newRow("empty") << 0 << 0;
        QTest::newRow("1 byte") << 1 << 0;
        QTest::newRow("3 bytes") << 3 << 0;
        QTest::newRow("one sample") << 4 << 1;
        QTest::newRow("full block") << 1020 << 255;
        QTest::newRow("len beyond the block") << 4000 << 255;
    }
    void blockLength()
    {
        QFETCH(int, len);
        QFETCH(int, drawn);
        Offline o;
        Oscilloscope w(nullptr, &o.thread, 2, true);
        start(&w);
        o.deliver(2, ramp(0, 255), len);
        QCOMPARE(signalLines(&w).size(), drawn);
        QCOMPARE(o.len(2), quint16(0));
        // Another channel's block is neither drawn nor consumed.
        o.deliver(3, ramp(0, 255));
        QCOMPARE(signalLines(&w).size(), drawn);
        QCOMPARE(o.len(3), quint16(1020));
    }

    void stoppedIgnoresData()
    {
        Offline o;
        Oscilloscope w(nullptr, &o.thread, 1, true);
        o.deliver(1, ramp(0, 255));
        QCOMPARE(signalLines(&w).size(), 0);
        QCOMPARE(o.len(1), quint16(1020));
    }

    // At "Кол-во отсчетов" 1000 the sample after position 999 is a single point at x = 0,
    // position 1 connects to it, and the old items are reused.
    void sweepWraps()
    {
        Offline o;
        Oscilloscope w(nullptr, &o.thread, 1, true);
        start(&w);
        for (int b = 0; b < 4; ++b)
            o.deliver(1, ramp(b * 255, 255));
        const QMap<int, QLineF> lines = signalLines(&w);
        QCOMPARE(lines.size(), 1000);
        QCOMPARE(lines[0], QLineF(0, yOf(1000 * 1000), 0, yOf(1000 * 1000)));
        QCOMPARE(lines[1], QLineF(0, yOf(1000 * 1000), 1, yOf(1001 * 1000)));
        QCOMPARE(lines[19], QLineF(18, yOf(1018 * 1000), 19, yOf(1019 * 1000)));
        QCOMPARE(lines[20], QLineF(19, yOf(19 * 1000), 20, yOf(20 * 1000))); // first sweep
        QCOMPARE(lines[999].p2(), QPointF(999, yOf(999 * 1000)));
    }

    void sampleToY_data()
    {
        QTest::addColumn<qint32>("sample");
        QTest::addColumn<double>("y");
        QTest::newRow("positive full scale") << qint32(2147483647) << 0.0;
        QTest::newRow("zero") << qint32(0) << 1.0;
        QTest::newRow("negative full scale") << qint32(-2147483647) << 2.0;
        QTest::newRow("half") << qint32(1073741824) << 1.0 - 1073741824.0 / 2147483647.0;
        QTest::newRow("most negative") << qint32(INT_MIN) << 1.0 + 2147483648.0 / 2147483647.0;
    }
    void sampleToY()
    {
        QFETCH(qint32, sample);
        QFETCH(double, y);
        Offline o;
        Oscilloscope w(nullptr, &o.thread, 4, true);
        start(&w);
        o.deliver(4, {sample});
        QCOMPARE(signalLines(&w).value(0), QLineF(0, y, 0, y));
    }

    // A new size empties the trace, sets the scene width and rescales; starting empties too.
    void sizeAndStartClear()
    {
        Offline o;
        Oscilloscope w(nullptr, &o.thread, 3, true);
        start(&w);
        o.deliver(3, ramp(0, 255));
        QCOMPARE(signalLines(&w).size(), 255);
        w.findChild<QSpinBox *>("spinSize")->setValue(300);
        QCOMPARE(signalLines(&w).size(), 0);
        QCOMPARE(sceneOf(&w)->sceneRect(), QRectF(0, 0, 300, 2));
        o.deliver(3, ramp(0, 255));
        o.deliver(3, ramp(255, 255));
        QCOMPARE(signalLines(&w).size(), 300);
        auto *run = w.findChild<QPushButton *>("bRun");
        run->click(); // stop
        QCOMPARE(run->text(), QStringLiteral("Cтарт"));
        run->click(); // start again
        QCOMPARE(run->text(), QStringLiteral("Cтоп"));
        QCOMPARE(signalLines(&w).size(), 0);
    }

    // Zoomed to the whole scene: "X=1x1", "Y=1x1", Y labels 1.00 down to -1.00 by 0.20,
    // and the 43 grid and label items.
    void gridAtOne()
    {
        Offline o;
        Oscilloscope w(nullptr, &o.thread, 1, true);
        w.resize(400, 350);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTRY_COMPARE(w.findChild<QGroupBox *>("boxX")->title(), QStringLiteral("X=1x1"));
        QCOMPARE(w.findChild<QGroupBox *>("boxY")->title(), QStringLiteral("Y=1x1"));
        QList<QGraphicsSimpleTextItem *> yLabels;
        int texts = 0, gridLines = 0;
        for (QGraphicsItem *item : sceneOf(&w)->items()) {
            if (auto *t = qgraphicsitem_cast<QGraphicsSimpleTextItem *>(item)) {
                ++texts;
                QVERIFY(t->flags() & QGraphicsItem::ItemIgnoresTransformations);
                if (qFuzzyIsNull(t->pos().x()))
                    yLabels.append(t);
            } else if (item->zValue() == -1000) {
                ++gridLines;
            }
        }
        QCOMPARE(texts + gridLines, 43);
        std::sort(yLabels.begin(), yLabels.end(),
                  [](auto *a, auto *b) { return a->pos().y() < b->pos().y(); });
        QStringList got;
        for (auto *t : yLabels)
            got.append(t->text());
        QCOMPARE(got,
                 (QStringList {"1.00", "0.80", "0.60", "0.40", "0.20", "0.00", "-0.20", "-0.40",
                               "-0.60", "-0.80", "-1.00"}));
        // Ten times on X: the group title follows, and a redraw leaves 43 items again.
        w.findChild<QRadioButton *>("chkX10")->setChecked(true);
        QCOMPARE(w.findChild<QGroupBox *>("boxX")->title(), QStringLiteral("X=1x10"));
        int items = 0;
        for (QGraphicsItem *item : sceneOf(&w)->items())
            items += item->zValue() < -998 ? 1 : 0;
        QCOMPARE(items, 43);
    }

    void pointPlacement_data()
    {
        QTest::addColumn<QPoint>("iq");
        QTest::addColumn<QPointF>("centre");
        QTest::newRow("origin") << QPoint(0, 0) << QPointF(32767, 32768);
        QTest::newRow("largest positive") << QPoint(32767, 32767) << QPointF(65534, 1);
        QTest::newRow("most negative") << QPoint(-32768, -32768) << QPointF(-1, 65536);
        QTest::newRow("I only") << QPoint(1000, 0) << QPointF(33767, 32768);
    }
    void pointPlacement()
    {
        QFETCH(QPoint, iq);
        QFETCH(QPointF, centre);
        Offline o;
        Constellation w(nullptr, &o.thread, 0, true);
        start(&w);
        o.deliverPoints({iq});
        QCOMPARE(dotCentres(&w), QList<QPointF> {centre});
        QCOMPARE(o.len(0), quint16(0));
    }

    // 1000 dots: point number 1000 overwrites dot 0; lowering the count to 10 keeps the last
    // ten dots, which the next point wraps over from the start.
    void dotReuse()
    {
        Offline o;
        Constellation w(nullptr, &o.thread, 0, true);
        start(&w);
        const auto pointAt = [](int n) {
            return QPoint(n, -n);
        };
        const auto centreOf = [](int n) {
            return QPointF(n + 32767, 32768 + n);
        };
        const auto drawThousand = [&] {
            for (int b = 0; b < 4; ++b) {
                QList<QPoint> pts;
                for (int i = 0; i < 250; ++i)
                    pts.append(pointAt(b * 250 + i));
                o.deliverPoints(pts);
            }
        };
        drawThousand();
        QList<QPointF> centres = dotCentres(&w);
        QCOMPARE(centres.size(), 1000);
        o.deliverPoints({pointAt(1000)});
        centres = dotCentres(&w);
        QCOMPARE(centres.size(), 1000);
        QVERIFY(centres.contains(centreOf(1000)));
        QVERIFY(!centres.contains(centreOf(0)));
        QVERIFY(centres.contains(centreOf(1)));

        // Cleared and drawn again: lowering to 10 keeps dots 990 to 999 as dots 0 to 9.
        w.findChild<QPushButton *>("bReset")->click();
        QVERIFY(dotCentres(&w).isEmpty());
        drawThousand();
        w.findChild<QSpinBox *>("spinSize")->setValue(10);
        centres = dotCentres(&w);
        QList<QPointF> expected;
        for (int n = 990; n < 1000; ++n)
            expected.append(centreOf(n));
        std::sort(centres.begin(), centres.end(), [](auto a, auto b) { return a.x() < b.x(); });
        QCOMPARE(centres, expected);
        // The next point wraps to dot 0, the former dot 990.
        o.deliverPoints({pointAt(2000)});
        centres = dotCentres(&w);
        QCOMPARE(centres.size(), 10);
        QVERIFY(centres.contains(centreOf(2000)));
        QVERIFY(!centres.contains(centreOf(990)));
        QVERIFY(centres.contains(centreOf(991)));
    }

    void dotSizeClamp()
    {
        Offline o;
        Constellation w(nullptr, &o.thread, 0, true);
        start(&w);
        o.deliverPoints({QPoint(0, 0)});
        auto *label = w.findChild<QLabel *>("labZoom");
        QCOMPARE(label->text(), QStringLiteral("1x400.00"));
        auto *in = w.findChild<QToolButton *>("bZoomIn");
        for (int i = 0; i < 10; ++i)
            in->click();
        QCOMPARE(label->text(), QStringLiteral("1x1000.00"));
        in->click();
        QCOMPARE(label->text(), QStringLiteral("1x1000.00"));
        const auto *dot = qgraphicsitem_cast<QGraphicsEllipseItem *>(
            sceneOf(&w)->itemAt(QPointF(32767, 32768), QTransform()));
        QVERIFY(dot);
        QCOMPARE(dot->rect(), QRectF(32767 - 500, 32768 - 500, 1000, 1000));
        w.findChild<QToolButton *>("bZoomOut")->click();
        QCOMPARE(label->text(), QStringLiteral("1x909.09"));
    }

    // One wheel notch forward zooms the view out by (4/3)^-0.5 and enlarges dots and labels by
    // its inverse; plus and minus zoom by 1.1; other keys do nothing.
    void wheelAndKeys()
    {
        Offline o;
        Constellation w(nullptr, &o.thread, 0, true);
        w.resize(480, 400);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *view = w.findChild<MyGraphicsView *>();
        auto *label = w.findChild<QLabel *>("labZoom");
        const double m0 = view->transform().m11();
        const QPointF at = view->viewport()->rect().center();
        QWheelEvent wheel(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &wheel);
        QVERIFY(qAbs(view->transform().m11() / m0 - 0.866025) < 1e-5);
        QCOMPARE(label->text(), QStringLiteral("1x461.88"));
        double labelScale = 0;
        for (QGraphicsItem *item : sceneOf(&w)->items())
            if (qgraphicsitem_cast<QGraphicsSimpleTextItem *>(item))
                labelScale = item->scale();
        QVERIFY(qAbs(labelScale - 230.94) < 0.01);

        const double m1 = view->transform().m11();
        for (int key : {Qt::Key_A, Qt::Key_Left, Qt::Key_Up, Qt::Key_Space})
            QTest::keyClick(view, Qt::Key(key));
        QCOMPARE(view->transform().m11(), m1);
        QCOMPARE(label->text(), QStringLiteral("1x461.88"));
        QTest::keyClick(view, Qt::Key_Plus);
        QVERIFY(qAbs(view->transform().m11() / m1 - 1.1) < 1e-9);
        QCOMPARE(label->text(), QStringLiteral("1x419.89"));
        QTest::keyClick(view, Qt::Key_Minus);
        QVERIFY(qAbs(view->transform().m11() / m1 - 1) < 1e-9);
    }

    // The views repaint themselves only where their window reports a change, once per refresh:
    // new samples and dots reach the screen, and so do a cleared trace and a scroll.
    void repaintsWhatChanged_data()
    {
        QTest::addColumn<int>("channel");
        QTest::newRow("oscilloscope") << 1;
        QTest::newRow("constellation") << 0;
    }
    void repaintsWhatChanged()
    {
        QFETCH(int, channel);
        Offline o;
        std::unique_ptr<QWidget> w;
        if (channel == 0)
            w = std::make_unique<Constellation>(nullptr, &o.thread, 0, true);
        else
            w = std::make_unique<Oscilloscope>(nullptr, &o.thread, quint16(channel), true);
        w->resize(480, 400);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        start(w.get());
        QTest::qWait(2 * MyGraphicsView::RefreshMs);
        if (redPixels(w.get()) < 0)
            QSKIP("the platform's backing store is not an image");
        QCOMPARE(redPixels(w.get()), 0);
        auto *spin = w->findChild<QSpinBox *>("spinSize");
        if (channel == 0) {
            QList<QPoint> points;
            for (int i = 0; i < 200; ++i)
                points.append(QPoint(-20000 + 200 * i, 12000 - 100 * i));
            o.deliverPoints(points);
        } else {
            spin->setValue(255);
            QList<qint32> wave;
            for (int i = 0; i < 255; ++i)
                wave.append(i % 2 ? 1500000000 : -1500000000);
            o.deliver(channel, wave);
        }
        QTRY_VERIFY(redPixels(w.get()) > 50);
        w->findChild<QPushButton *>("bReset")->click();
        QTRY_COMPARE(redPixels(w.get()), 0);
        if (channel != 0) {
            // Zoomed in and scrolled back to the start: the new samples are drawn where the
            // view now shows them.
            w->findChild<QRadioButton *>("chkX10")->setChecked(true);
            auto *view = w->findChild<MyGraphicsView *>();
            view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->minimum());
            QList<qint32> wave;
            for (int i = 0; i < 60; ++i)
                wave.append(i % 2 ? 1500000000 : -1500000000);
            o.deliver(channel, wave);
            QTRY_VERIFY(redPixels(w.get()) > 50);
        }
    }

    // A sweep that wraps within one refresh repaints its end and its start, each in a turn of
    // its own, not the width between them; and what it drew reaches the screen.
    void wrapRepaintsTwoStrips()
    {
        Offline o;
        Oscilloscope w(nullptr, &o.thread, 1, true);
        w.resize(480, 400);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        start(&w);
        w.findChild<QSpinBox *>("spinSize")->setValue(600);
        for (int i = 0; i < 2; ++i)
            o.deliver(1, ramp(0, 255));
        QTest::qWait(3 * MyGraphicsView::RefreshMs);
        auto *view = w.findChild<MyGraphicsView *>();
        QList<QRect> painted;
        PaintSpy spy(view->viewport(), &painted);
        o.deliver(1, ramp(0, 255)); // positions 510 to 599, then 0 to 164
        const auto covers = [&painted, view](double position) {
            const int x = view->mapFromScene(QPointF(position, 1)).x();
            return std::any_of(painted.cbegin(), painted.cend(),
                               [x](const QRect &r) { return r.left() <= x && x <= r.right(); });
        };
        QTRY_VERIFY(covers(550) && covers(100));
        QVERIFY2(!covers(350), "the strips were joined");
    }

    // Sample items live in blocks: clearing, resizing and restarting leave no block behind,
    // only the grid and labels the window draws itself.
    void clearLeavesNoBlock_data()
    {
        QTest::addColumn<int>("channel");
        QTest::newRow("oscilloscope") << 2;
        QTest::newRow("constellation") << 0;
    }
    void clearLeavesNoBlock()
    {
        QFETCH(int, channel);
        Offline o;
        std::unique_ptr<QWidget> w;
        if (channel == 0)
            w = std::make_unique<Constellation>(nullptr, &o.thread, 0, true);
        else
            w = std::make_unique<Oscilloscope>(nullptr, &o.thread, quint16(channel), true);
        start(w.get());
        const int bare = int(sceneOf(w.get())->items().size());
        const int own = itemsBesidesSamples(w.get());
        const auto fill = [&] {
            for (int b = 0; b < 6; ++b)
                o.deliver(channel, ramp(b * 255, 255));
        };
        fill();
        QVERIFY(itemsBesidesSamples(w.get()) > own); // the blocks
        w->findChild<QPushButton *>("bReset")->click();
        QCOMPARE(sceneOf(w.get())->items().size(), bare);
        fill();
        auto *run = w->findChild<QPushButton *>("bRun");
        run->click();
        run->click(); // a start clears
        QCOMPARE(sceneOf(w.get())->items().size(), bare);
        if (channel != 0) {
            fill();
            w->findChild<QSpinBox *>("spinSize")->setValue(500);
            QCOMPARE(sceneOf(w.get())->items().size(), bare);
        }
    }

    // One layer draws each view's samples: on the screen (the backing store) there is red
    // wherever the items, painted one by one as before, put red, and nowhere else; at the
    // default size, after a zoom and after a new "Кол-во отсчетов" / "Кол-во точек". Dots
    // match to the pixel; a sweep drawn as polylines may differ by one pixel where two lines
    // meet.
    void layerDrawsWhatItemsHold_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("change");
        for (const char *change : {"none", "zoom", "size"}) {
            QTest::addRow("oscilloscope, %s", change) << 1 << change;
            QTest::addRow("constellation, %s", change) << 0 << change;
        }
    }
    void layerDrawsWhatItemsHold()
    {
        QFETCH(int, channel);
        QFETCH(QString, change);
        Offline o;
        std::unique_ptr<QWidget> w = openView(o, channel);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        if (shownViewport(w.get()).isNull())
            QSKIP("the platform's backing store is not an image");
        start(w.get());
        int next = 0;
        feed(o, channel, 0, 5, 1000, &next); // past the wrap at 1000
        // What is shown before the change must go where the items no longer are.
        const int reach = channel == 0 ? 0 : 1;
        QTRY_COMPARE(redAwayFrom(paintedItems(w.get()), shownViewport(w.get()), reach), 0);
        if (change == "zoom" && channel == 0) {
            for (int i = 0; i < 3; ++i)
                w->findChild<QToolButton *>("bZoomIn")->click(); // dots beyond two pixels
            QTest::keyClick(w->findChild<MyGraphicsView *>(), Qt::Key_Plus);
        } else if (change == "zoom") {
            w->findChild<QRadioButton *>("chkX10")->setChecked(true);
            w->findChild<QDial *>("dialY")->setValue(2);
        } else if (change == "size") {
            w->findChild<QSpinBox *>("spinSize")->setValue(channel == 0 ? 10 : 509);
            next = 0;
        }
        // Drawn after the change; at 509 positions the last sample starts a new sweep at x = 0
        // as a single point. New dots would repaint the whole constellation.
        if (channel != 0)
            feed(o, channel, 5, change == "size" ? 7 : 6, change == "size" ? 509 : 1000, &next);
        QVERIFY(redAwayFrom(paintedItems(w.get())) > 20);
        QTRY_COMPARE(redAwayFrom(paintedItems(w.get()), shownViewport(w.get()), reach), 0);
        QTRY_COMPARE(redAwayFrom(shownViewport(w.get()), paintedItems(w.get()), reach), 0);
    }

    // "Экспорт…": the CSV lists exactly the samples or points the items hold (the file
    // dialog's filter chooses the format, and a name without suffix gets it); the PNG has the
    // view's size; a folder that refuses the file gives the usual warning.
    void exportRoundTrip_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("filter"); // 0 PNG, 1 CSV
        QTest::addColumn<QString>("name");
        QTest::newRow("oscilloscope CSV") << 2 << 1 << "sweep";
        QTest::newRow("oscilloscope PNG") << 2 << 0 << "sweep.png";
        QTest::newRow("constellation CSV") << 0 << 1 << "dots";
        QTest::newRow("constellation PNG") << 0 << 0 << "dots.png";
        QTest::newRow("refused folder") << 0 << 1 << "no/such/folder.csv";
    }
    void exportRoundTrip()
    {
        QFETCH(int, channel);
        QFETCH(int, filter);
        QFETCH(QString, name);
        Offline o;
        std::unique_ptr<QWidget> w = openView(o, channel);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        start(w.get());
        int next = 0;
        const QMap<int, qint32> held = feed(o, channel, 0, 5, 1000, &next);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        ExportAnswers answers(path, filter);
        w->findChild<QPushButton *>("exportButton")->click();
        QCOMPARE(answers.filters.size(), 2);
        if (name.contains('/')) {
            QCOMPARE(answers.warning, "Файл " + path + " не удалось открыть.");
            QVERIFY(!QFile::exists(path));
            return;
        }
        QVERIFY(answers.warning.isEmpty());
        if (filter == 0) {
            const QImage png(path);
            QCOMPARE(png.size(), w->findChild<MyGraphicsView *>()->viewport()->size());
            return;
        }
        QFile csv(path + ".csv");
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QStringList expected {channel == 0 ? "point,I,Q" : "position,value"};
        for (auto it = held.cbegin(); it != held.cend(); ++it)
            expected << QString::number(it.key()) + ','
                    + (channel == 0 ? QString::number(qint16(it.value() >> 16)) + ','
                               + QString::number(qint16(it.value()))
                                    : QString::number(it.value()));
        QCOMPARE(QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts), expected);
    }

    // The Y labels have two decimals more than the power of ten the title shows, at every
    // dial and range that make one (the zoom factor comes out a hair below it).
    void yDecimalsAtPowersOfTen_data()
    {
        QTest::addColumn<int>("dial");
        QTest::addColumn<QString>("range");
        for (int dial : {1, 10, 100})
            for (const char *range : {"chkY1", "chkY10", "chkY100"})
                QTest::addRow("dial %d, %s", dial, range) << dial << range;
    }
    void yDecimalsAtPowersOfTen()
    {
        QFETCH(int, dial);
        QFETCH(QString, range);
        Offline o;
        Oscilloscope w(nullptr, &o.thread, 1, true);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.findChild<QRadioButton *>(range)->setChecked(true);
        w.findChild<QDial *>("dialY")->setValue(dial);
        const int zoom = dial * (range == "chkY1" ? 1 : range == "chkY10" ? 10 : 100);
        QCOMPARE(w.findChild<QGroupBox *>("boxY")->title(), "Y=1x" + QString::number(zoom));
        QMap<int, int> decimals; // of the Y labels (X labels have none): count of each
        for (QGraphicsItem *item : sceneOf(&w)->items())
            if (auto *t = qgraphicsitem_cast<QGraphicsSimpleTextItem *>(item))
                decimals[int(t->text().section('.', 1).size())] += t->text().contains('.');
        decimals.remove(0);
        QCOMPARE(decimals, (QMap<int, int> {{int(std::log10(zoom)) + 2, 11}}));
    }

    // Every view opened, started, fed by the live stream and closed 100 times: afterwards no
    // scene (with its items) is left, no unit of the semaphore is held, no channel is on in
    // the worker or the controller, and the stream has ended.
    // A label that rounds to zero has no minus sign; other values keep theirs.
    void axisLabels()
    {
        QCOMPARE(monitorscale::axisLabel(-0.001, 'f', 2), QStringLiteral("0.00"));
        QCOMPARE(monitorscale::axisLabel(-0.0, 'g', 6), QStringLiteral("0"));
        QCOMPARE(monitorscale::axisLabel(-0.2, 'f', 2), QStringLiteral("-0.20"));
    }

    // The constellation's picture follows the window's smaller side, with the user's zoom and
    // the labels' size on the screen kept.
    void constellationFollowsTheWindow()
    {
        Offline o;
        Constellation w(nullptr, &o.thread, 0, true);
        w.resize(480, 400);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto *view = w.findChild<MyGraphicsView *>();
        view->zoomIn();
        const double m0 = view->transform().m11();
        const QGraphicsItem *label = nullptr;
        for (const QGraphicsItem *item : sceneOf(&w)->items())
            label = qgraphicsitem_cast<const QGraphicsSimpleTextItem *>(item) ? item : label;
        QVERIFY(label);
        const double pixels = label->scale() * m0;
        const auto side = [view] {
            return qMin(view->contentsRect().width(), view->contentsRect().height());
        };
        const int before = side();
        w.resize(480 + 300, 400 + 300);
        QTRY_VERIFY(side() >= before + 250);
        QVERIFY(qAbs(view->transform().m11() / m0 - double(side()) / before) < 1e-9);
        QVERIFY(qAbs(label->scale() * view->transform().m11() - pixels) < 1e-9);
    }

    void openCloseWhileStreaming()
    {
        WorkerRig rig;
        rig.sim->setTimeoutWait(20);
        rig.sim->monitorStream().setFlatOut(true);
        QList<QPointer<QGraphicsScene>> scenes;
        for (int round = 0; round < 100; ++round) {
            QList<QWidget *> windows;
            windows.append(new Constellation(nullptr, &rig.thread, 0, true));
            for (quint16 c = 1; c <= 4; ++c)
                windows.append(new Oscilloscope(nullptr, &rig.thread, c, true));
            for (QWidget *w : windows) {
                scenes.append(sceneOf(w));
                w->show();
                start(w);
            }
            // Every view has drawn from the stream before it goes (every tenth round only,
            // to keep the test short; the others close while the first frames are on the way).
            if (round % 10 == 0) {
                for (QWidget *w : windows)
                    QTRY_VERIFY(!sceneOf(w)->items().isEmpty()
                                && (qobject_cast<Constellation *>(w) ? !dotCentres(w).isEmpty()
                                                                     : !signalLines(w).isEmpty()));
            } else {
                QTest::qWait(1);
            }
            // Half of them stopped by the user first, the rest closed while running.
            for (int i = 0; i < windows.size(); ++i) {
                if ((round + i) % 2)
                    windows[i]->findChild<QPushButton *>("bRun")->click();
                windows[i]->close(); // deletes itself
            }
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        QTRY_VERIFY_WITH_TIMEOUT(rig.thread.queuedJobs() == 0 && rig.thread.isFinished(), 5000);
        QCOMPARE(rig.thread.monitorMask(), quint16(0));
        QCOMPARE(rig.sim->monitorStream().channels(), quint16(0));
        QCOMPARE(rig.thread.monitorRecords().freeUnits(), 5);
        for (const auto &s : scenes)
            QVERIFY(s.isNull());
        for (QWidget *w : QApplication::allWidgets())
            QVERIFY(!qobject_cast<MyGraphicsView *>(w));
        QVERIFY(rig.thread.monitorFrames() > 0);
    }
};

QTEST_MAIN(TstMonitorViews)
#include "tst_monitorviews.moc"
