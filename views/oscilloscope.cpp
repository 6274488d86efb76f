#include "views/oscilloscope.h"

#include "device/monitorprotocol.h"
#include "device/tthread.h"
#include "views/itemblock.h"
#include "views/models/exportformat.h"
#include "views/models/monitorscale.h"
#include "views/mygraphicsview.h"
#include "views/samplelayers.h"
#include "views/viewexport.h"

#include <QGraphicsLineItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QScrollBar>

#include <algorithm>

namespace {
const QColor Background(152, 240, 168);
const QPen signalPen(Qt::red, 0);
constexpr double GridZ = -1000;
constexpr double LabelZ = -999;
} // namespace

Oscilloscope::Oscilloscope(QWidget *parent, TThread *t, quint16 ch, bool connected)
    : SubWindow(nullptr)
    , thread(t)
    , channel(ch)
{
    // Created without a parent, as every monitoring window: the main window's area adopts it.
    Q_UNUSED(parent);
    setAttribute(Qt::WA_DeleteOnClose);
    ui.setupUi(this);
    ui.bRun->setEnabled(connected);
    // The axis titles change with every zoom; a control column that followed their width
    // would resize the view, whose resize refits and retitles: a layout loop that never ends.
    const int column =
        std::max({ui.groupBox->sizeHint().width(), ui.boxX->sizeHint().width(),
                  fontMetrics().horizontalAdvance(QStringLiteral("Y=1x0.000123457")) + 24});
    for (QGroupBox *box : {ui.groupBox, ui.boxY, ui.boxX})
        box->setFixedWidth(column);
    view = new MyGraphicsView(this);
    view->setObjectName(QStringLiteral("view"));
    view->setFitOnResize(true);
    // Scroll bars that came and went with the zoom would resize the viewport, and every
    // resize refits the zoom: with both always shown, a fit cannot trigger another.
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    view->setDragMode(QGraphicsView::RubberBandDrag);
    ui.hLayout->insertWidget(0, view, 1);
    scene = new QGraphicsScene();
    scene->setItemIndexMethod(QGraphicsScene::NoIndex);
    // Above the grid and labels, as the line items it draws.
    layer = new SweepLayer(signalPen);
    layer->setZValue(0);
    scene->addItem(layer);
    view->setBackgroundBrush(QBrush(Background, Qt::SolidPattern));
    ui.dialX->setValue(1);
    ui.dialY->setValue(1);
    kx = ky = 1;
    Size(ui.spinSize->value());
    view->setScene(scene);
    view->scale(0.48, 0.001);

    connect(ui.bReset, &QPushButton::clicked, this, &Oscilloscope::Clear);
    connect(ui.bClose, &QPushButton::clicked, this, &Oscilloscope::Quit);
    connect(ui.bRun, &QPushButton::toggled, this, &Oscilloscope::Run);
    connect(ui.spinSize, &QSpinBox::valueChanged, this, &Oscilloscope::Size);
    connect(ui.dialY, &QDial::valueChanged, this, &Oscilloscope::ScaleY);
    connect(ui.dialX, &QDial::valueChanged, this, &Oscilloscope::ScaleX);
    for (QRadioButton *b : {ui.chkY1, ui.chkY10, ui.chkY100})
        connect(b, &QRadioButton::toggled, this, &Oscilloscope::ChkScaleY);
    for (QRadioButton *b : {ui.chkX1, ui.chkX10})
        connect(b, &QRadioButton::toggled, this, &Oscilloscope::ChkScaleX);
    connect(view, &MyGraphicsView::fit, this, &Oscilloscope::Fit);
    connect(view->horizontalScrollBar(), &QScrollBar::valueChanged, this, &Oscilloscope::Grid);
    connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, &Oscilloscope::Grid);
    connect(thread, &TThread::conn, this, &Oscilloscope::Conn);
    connect(thread, &TThread::monitorRdy, this, &Oscilloscope::SetData);
    connect(ui.exportButton, &QPushButton::clicked, this, &Oscilloscope::exportView);
}

Oscilloscope::~Oscilloscope()
{
    if (ui.bRun->isChecked())
        thread->reqMonitor(quint8(channel), false);
    disconnect(thread, nullptr, this, nullptr);
    // The scene owns every item still in it; the view is a child widget, but it must not
    // outlive its scene.
    delete view;
    delete scene;
}

void Oscilloscope::Clear()
{
    // Every line item belongs to a block: deleting the blocks deletes the items.
    lines.clear();
    deleteItems(scene, blocks);
    layer->clear();
    pos = 0;
    view->scheduleRepaint();
}

void Oscilloscope::Quit()
{
    requestClose(false);
}

void Oscilloscope::Conn(bool on)
{
    ui.bRun->setChecked(false);
    ui.bRun->setEnabled(on);
}

void Oscilloscope::Run(bool on)
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

void Oscilloscope::SetData(TMon *monitor)
{
    Q_UNUSED(monitor);
    if (!ui.bRun->isChecked() || channel >= monitor::Channels)
        return;
    TMonBlock block;
    if (!thread->takeMonitorBlock(channel, &block))
        return;
    const int count = monitor::blockBytes(block) / 4;
    const int size = ui.spinSize->value();
    int runStart = pos;
    // The line items of positions a to b - 1 run from x = a - 1 to b - 1, and y stays within
    // 0 to 2 (a hair beyond 2 for the most negative sample).
    const auto changed = [this](int a, int b) {
        view->scheduleRepaint(QRectF(a - 1, -0.5, b - a, 3));
    };
    for (int i = 0; i < count; ++i) {
        const double y = monitorscale::sampleY(monitor::sample(block, i));
        QPointF start(0, y);
        if (pos >= size) {
            if (pos > runStart)
                changed(runStart, pos);
            pos = 0;
            runStart = 0;
        } else if (pos > 0) {
            start = lines.at(pos - 1)->line().p2();
        }
        const QLineF line(start, QPointF(pos, y));
        layer->setLine(pos, line);
        if (pos < lines.size()) {
            lines.at(pos)->setLine(line);
        } else {
            // Set up before it joins the scene: each change of an item in a scene notifies it.
            auto *item = new QGraphicsLineItem(line);
            item->setFlag(QGraphicsItem::ItemHasNoContents); // the layer draws it
            item->setZValue(0);
            item->setPen(signalPen);
            item->setParentItem(blockFor(pos));
            lines.append(item);
        }
        ++pos;
    }
    if (pos > runStart)
        changed(runStart, pos);
}

QGraphicsItem *Oscilloscope::blockFor(int position)
{
    const int index = position / ItemBlock::Size;
    while (blocks.size() <= index) {
        // Line items of positions p to p + Size - 1 run from x = p - 1 to p + Size - 1 and stay
        // within y = 0 to 2 (with a margin for the most negative sample).
        const int first = int(blocks.size()) * ItemBlock::Size;
        auto *block = new ItemBlock(QRectF(first - 1, -0.5, ItemBlock::Size, 3));
        scene->addItem(block);
        blocks.append(block);
    }
    return blocks.at(index);
}

void Oscilloscope::Size(int n)
{
    scene->setSceneRect(0, 0, n, 2);
    layer->setBounds(QRectF(-1, -0.5, n + 1, 3));
    Clear();
    Fit();
}

QRectF Oscilloscope::visibleRect() const
{
    return view->mapToScene(view->viewport()->rect()).boundingRect();
}

void Oscilloscope::Fit()
{
    const QRectF s = scene->sceneRect();
    const QRectF v = visibleRect();
    view->scale(v.width() / s.width() * kx * ui.dialX->value(),
                v.height() / s.height() * ky * ui.dialY->value());
    Grid(0);
}

void Oscilloscope::ScaleY(int n)
{
    const QRectF s = scene->sceneRect();
    view->centerOn(s.width(), s.height() / 2);
    const QRectF v = visibleRect();
    view->scale(1, v.height() / s.height() * n * ky);
    Grid(0);
}

void Oscilloscope::ScaleX(int n)
{
    const QRectF s = scene->sceneRect();
    const QRectF v = visibleRect();
    view->scale(v.width() / s.width() * n * kx, 1);
    Grid(0);
}

void Oscilloscope::ChkScaleY(bool on)
{
    if (!on)
        return;
    ky = ui.chkY100->isChecked() ? 100 : ui.chkY10->isChecked() ? 10 : 1;
    ScaleY(ui.dialY->value());
}

void Oscilloscope::ChkScaleX(bool on)
{
    if (!on)
        return;
    kx = ui.chkX10->isChecked() ? 10 : 1;
    ScaleX(ui.dialX->value());
}

void Oscilloscope::Grid(int)
{
    deleteItems(scene, gridV);
    deleteItems(scene, gridH);
    deleteItems(scene, labelsX);
    deleteItems(scene, labelsY);

    const QRectF s = scene->sceneRect();
    const QRectF v = visibleRect();
    ui.boxX->setTitle(monitorscale::axisTitle('X', s.width() / v.width()));
    ui.boxY->setTitle(monitorscale::axisTitle('Y', s.height() / v.height()));
    const int decimals = monitorscale::yDecimals(s.height() / v.height());

    double left = v.x(), w = v.width();
    if (v.x() < 0) {
        left = 0;
        w = s.width();
    }
    double top = v.y(), h = v.height(), base = 1 - v.y();
    if (v.y() < 0) {
        top = 0;
        h = s.height();
        base = 1;
    }
    const double stepX = w / 10, stepY = h / 10;
    const QPen gridPen(Qt::darkGray, 0);
    const auto label = [this](const QString &text, QPointF at) {
        auto *item = new QGraphicsSimpleTextItem(text);
        item->setZValue(LabelZ);
        item->setFlag(QGraphicsItem::ItemIgnoresTransformations);
        item->setBrush(QBrush(Qt::black, Qt::SolidPattern));
        item->setPos(at);
        scene->addItem(item);
        return item;
    };
    for (int j = 0; j <= 10; ++j) {
        const double x = left + j * stepX, y = top + j * stepY;
        auto *vLine = new QGraphicsLineItem(x, top, x, s.height());
        auto *hLine = new QGraphicsLineItem(left, y, s.width(), y);
        for (QGraphicsLineItem *l : {vLine, hLine}) {
            l->setPen(gridPen);
            l->setZValue(GridZ);
            scene->addItem(l);
        }
        gridV.append(vLine);
        gridH.append(hLine);
        labelsY.append(
            label(monitorscale::axisLabel(base - j * stepY, 'f', decimals), QPointF(left, y)));
        if (j >= 1)
            labelsX.append(label(monitorscale::axisLabel(x, 'f', 0), QPointF(x, top + 5 * stepY)));
    }
}

void Oscilloscope::exportView()
{
    ViewExport::run(this, view->viewport(), [this] {
        QList<qint32> samples;
        samples.reserve(lines.size());
        for (const QGraphicsLineItem *line : std::as_const(lines))
            samples.append(monitorscale::sampleAtY(line->line().p2().y()));
        return exportformat::sweepCsv(samples);
    });
}

bool Oscilloscope::busy() const
{
    return ui.bRun->isChecked();
}
