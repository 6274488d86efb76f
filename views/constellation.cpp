#include "views/constellation.h"

#include "device/monitorprotocol.h"
#include "device/tthread.h"
#include "views/itemblock.h"
#include "views/models/exportformat.h"
#include "views/models/monitorscale.h"
#include "views/mygraphicsview.h"
#include "views/samplelayers.h"
#include "views/viewexport.h"

#include <QGraphicsEllipseItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>

namespace {
const QColor Background(152, 240, 168);
const QBrush dotBrush(Qt::red, Qt::SolidPattern);
constexpr double SceneSize = 65536;
constexpr double ZoomStep = 1.1;
// How far the largest dot reaches beyond the scene.
constexpr double MaxDotMargin = monitorscale::MaxPointSize;
} // namespace

Constellation::Constellation(QWidget *parent, TThread *t, quint16 ch, bool connected)
    : SubWindow(nullptr)
    , thread(t)
    , channel(ch)
{
    // Created without a parent, as every monitoring window: the main window's area adopts it.
    Q_UNUSED(parent);
    setAttribute(Qt::WA_DeleteOnClose);
    ui.setupUi(this);
    count = 0;
    ui.bRun->setEnabled(connected);
    view = new MyGraphicsView(this);
    view->setObjectName(QStringLiteral("view"));
    view->setZoomInput(true);
    view->setKeepFitted(true);
    view->setDragMode(QGraphicsView::RubberBandDrag);
    ui.hLayout->insertWidget(0, view, 1);
    scene = new QGraphicsScene();
    scene->setItemIndexMethod(QGraphicsScene::NoIndex);
    view->setBackgroundBrush(QBrush(Background, Qt::SolidPattern));
    pointSize = 400;
    labelScale = 200;
    ui.labZoom->setText(monitorscale::pointSizeText(pointSize));
    scene->setSceneRect(0, 0, SceneSize, SceneSize);
    drawAxes();
    // Above the grid and labels, as the dots it draws.
    layer = new DotLayer(dotBrush);
    layer->setBounds(
        scene->sceneRect().adjusted(-MaxDotMargin, -MaxDotMargin, MaxDotMargin, MaxDotMargin));
    scene->addItem(layer);
    view->scale(1 / labelScale, 1 / labelScale);
    view->setScene(scene);
    Clear();

    connect(ui.bZoomIn, &QToolButton::clicked, this, &Constellation::ZoomIn);
    connect(ui.bZoomOut, &QToolButton::clicked, this, &Constellation::ZoomOut);
    connect(ui.bReset, &QPushButton::clicked, this, &Constellation::Clear);
    connect(ui.bClose, &QPushButton::clicked, this, &Constellation::Quit);
    connect(ui.bRun, &QPushButton::toggled, this, &Constellation::Run);
    connect(ui.spinSize, &QSpinBox::valueChanged, this, &Constellation::Size);
    connect(view, &MyGraphicsView::scaled, this, &Constellation::Scale);
    // The picture follows the window; the labels keep their size on the screen.
    connect(view, &MyGraphicsView::refitted, this, [this](double f) { rescaleLabels(1 / f); });
    connect(thread, &TThread::conn, this, &Constellation::Conn);
    connect(thread, &TThread::monitorRdy, this, &Constellation::SetData);
    connect(ui.exportButton, &QPushButton::clicked, this, &Constellation::exportView);
}

Constellation::~Constellation()
{
    if (ui.bRun->isChecked())
        thread->reqMonitor(quint8(channel), false);
    disconnect(thread, nullptr, this, nullptr);
    delete view;
    delete scene; // with every dot, grid line and label
}

void Constellation::drawAxes()
{
    const double w = scene->width(), h = scene->height();
    const QPen gridPen(Qt::darkGray, 0);
    for (int k = 0; k <= 16; ++k) {
        const double x = k * w / 16, y = k * h / 16, v = 1 - 0.125 * k;
        scene->addLine(x, 0, x, h, gridPen);
        scene->addLine(0, y, w, y, gridPen);
        auto *lx = scene->addSimpleText(monitorscale::axisLabel(-v, 'g', 6));
        lx->setRotation(90);
        lx->setScale(labelScale);
        lx->setBrush(QBrush(Qt::black, Qt::SolidPattern));
        lx->setPos(x + 7 * labelScale, h / 2 + 2 * labelScale);
        labelsX.append(lx);
        auto *ly = scene->addSimpleText(monitorscale::axisLabel(v, 'g', 6));
        ly->setScale(labelScale);
        ly->setBrush(QBrush(Qt::black, Qt::SolidPattern));
        ly->setPos(w / 2 + 2 * labelScale, y - 7 * labelScale);
        labelsY.append(ly);
    }
}

QGraphicsItem *Constellation::blockFor(int number)
{
    const int index = number / ItemBlock::Size;
    while (blocks.size() <= index) {
        auto *block = new ItemBlock;
        scene->addItem(block);
        blocks.append(block);
    }
    return blocks.at(index);
}

void Constellation::Clear()
{
    // Every dot belongs to a block: deleting the blocks deletes the dots.
    points.clear();
    deleteItems(scene, blocks);
    layer->clear();
    count = 0;
    view->scheduleRepaint();
}

void Constellation::Quit()
{
    requestClose(false);
}

void Constellation::Conn(bool on)
{
    ui.bRun->setChecked(false);
    ui.bRun->setEnabled(on);
}

void Constellation::Run(bool on)
{
    if (on) {
        Clear();
        thread->reqMonitor(quint8(channel), true);
        ui.bRun->setText(tr("Cтоп"));
        Q_EMIT logLine(tr("Монитор запущен: ") + windowTitle());
    } else {
        thread->reqMonitor(quint8(channel), false);
        ui.bRun->setText(tr("Cтарт"));
        Q_EMIT logLine(tr("Монитор остановлен: ") + windowTitle());
    }
}

void Constellation::SetData(TMon *monitor)
{
    Q_UNUSED(monitor);
    if (!ui.bRun->isChecked() || channel >= monitor::Channels)
        return;
    TMonBlock block;
    if (!thread->takeMonitorBlock(channel, &block))
        return;
    const int n = monitor::blockBytes(block) / 4;
    const int size = ui.spinSize->value();
    const double half = pointSize / 2;
    QRectF changed;
    for (int i = 0; i < n; ++i) {
        if (count >= size)
            count = 0;
        const monitor::Point p = monitor::point(block, i);
        const QRectF rect(monitorscale::pointX(p.i) - half, monitorscale::pointY(p.q) - half,
                          pointSize, pointSize);
        changed |= rect;
        layer->setRect(count, rect);
        if (count < points.size()) {
            QGraphicsEllipseItem *dot = points.at(count);
            changed |= dot->rect();
            dot->setRect(rect);
        } else {
            // Set up before it joins the scene: each change of an item in a scene notifies it.
            auto *item = new QGraphicsEllipseItem(rect);
            item->setFlag(QGraphicsItem::ItemHasNoContents); // the layer draws it
            item->setBrush(dotBrush);
            item->setPen(Qt::NoPen);
            item->setParentItem(blockFor(int(points.size())));
            points.append(item);
        }
        ++count;
    }
    if (!changed.isNull())
        view->scheduleRepaint(changed);
}

void Constellation::Size(int n)
{
    layer->removeFirst(points.size() - n);
    while (points.size() > n) {
        QGraphicsEllipseItem *item = points.takeFirst();
        scene->removeItem(item);
        delete item;
    }
    view->scheduleRepaint();
}

void Constellation::resizePoints(double k)
{
    pointSize = monitorscale::scaledPointSize(pointSize, k);
    for (qsizetype i = 0; i < points.size(); ++i) {
        QGraphicsEllipseItem *item = points.at(i);
        const QPointF c = item->rect().center();
        item->setRect(c.x() - pointSize / 2, c.y() - pointSize / 2, pointSize, pointSize);
        layer->setRect(i, item->rect());
    }
    ui.labZoom->setText(monitorscale::pointSizeText(pointSize));
    view->scheduleRepaint();
}

void Constellation::ZoomIn()
{
    resizePoints(ZoomStep);
}

void Constellation::ZoomOut()
{
    resizePoints(1 / ZoomStep);
}

void Constellation::Scale(double f)
{
    resizePoints(1 / f);
    rescaleLabels(1 / f);
}

void Constellation::rescaleLabels(double k)
{
    const double old = labelScale;
    labelScale = old * k;
    for (QGraphicsSimpleTextItem *l : std::as_const(labelsX)) {
        const QPointF p = l->pos();
        l->setScale(labelScale);
        l->setPos(p.x() - 7 * old + 7 * labelScale, p.y() - 2 * old + 2 * labelScale);
    }
    for (QGraphicsSimpleTextItem *l : std::as_const(labelsY)) {
        const QPointF p = l->pos();
        l->setScale(labelScale);
        l->setPos(p.x() - 2 * old + 2 * labelScale, p.y() + 7 * old - 7 * labelScale);
    }
    view->scheduleRepaint();
}

void Constellation::exportView()
{
    ViewExport::run(this, view->viewport(), [this] {
        QList<QPoint> iq;
        iq.reserve(points.size());
        for (const QGraphicsEllipseItem *dot : std::as_const(points))
            iq.append(monitorscale::pointAt(dot->rect().center()));
        return exportformat::pointsCsv(iq);
    });
}

bool Constellation::busy() const
{
    return ui.bRun->isChecked();
}
