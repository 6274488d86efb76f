#pragma once
// Oscilloscope window: draws one monitor channel's samples as a polyline that sweeps across
// "Кол-во отсчетов" positions and then overwrites itself from the left, with a zoomable grid.

#include "config/widgets/subwindow.h"
#include "ui_oscilloscope.h"

class ItemBlock;
class MyGraphicsView;
class QGraphicsItem;
class QGraphicsLineItem;
class QGraphicsScene;
class QGraphicsSimpleTextItem;
class SweepLayer;
class TThread;
struct TMon;

class Oscilloscope : public SubWindow
{
    Q_OBJECT

public:
    Oscilloscope(QWidget *parent, TThread *thread, quint16 channel, bool connected);
    ~Oscilloscope() override;
    bool busy() const override;

public Q_SLOTS:
    void Clear();
    void Quit();
    void Conn(bool on);
    void Run(bool on);
    void SetData(TMon *monitor);
    void Size(int n);
    void Fit();
    void ScaleY(int n);
    void ScaleX(int n);
    void ChkScaleY(bool on);
    void ChkScaleX(bool on);
    void Grid(int);

private:
    QRectF visibleRect() const;
    // The block that holds the line item of a sample position, created on first use.
    QGraphicsItem *blockFor(int position);
    // "Экспорт…": the picture as PNG or position,value of every line item as CSV.
    void exportView();

    Ui::OscilloscopeClass ui;
    TThread *thread;
    quint16 channel;
    quint16 pos = 0; // next sample position
    MyGraphicsView *view;
    QGraphicsScene *scene;
    QList<QGraphicsLineItem *> lines; // index = sample position; they paint nothing
    QList<ItemBlock *> blocks; // parents of the line items, Size positions each
    SweepLayer *layer; // draws the line items, from its copy of their lines
    QList<QGraphicsLineItem *> gridV;
    QList<QGraphicsLineItem *> gridH;
    QList<QGraphicsSimpleTextItem *> labelsX;
    QList<QGraphicsSimpleTextItem *> labelsY;
    double kx = 1;
    double ky = 1;
};
