#pragma once
// Constellation window: the modem's received I/Q points (monitor channel 0) as dots on a
// square scene with a 16 x 16 grid; new points overwrite the oldest dots position by position.

#include "config/widgets/subwindow.h"
#include "ui_constellation.h"

class ItemBlock;
class MyGraphicsView;
class QGraphicsItem;
class QGraphicsEllipseItem;
class QGraphicsScene;
class QGraphicsSimpleTextItem;
class DotLayer;
class TThread;
struct TMon;

class Constellation : public SubWindow
{
    Q_OBJECT

public:
    Constellation(QWidget *parent, TThread *thread, quint16 channel, bool connected);
    ~Constellation() override;
    bool busy() const override;

public Q_SLOTS:
    void Clear();
    void Quit();
    void Conn(bool on);
    void Run(bool on);
    void SetData(TMon *monitor);
    void Size(int n);
    void ZoomIn();
    void ZoomOut();
    void Scale(double f);

private:
    void drawAxes();
    // The block that holds the dot of a point number, created on first use.
    QGraphicsItem *blockFor(int number);
    void resizePoints(double k); // dot size change by factor k
    void rescaleLabels(double k); // label size in the scene by factor k (their look stays)
    // "Экспорт…": the picture as PNG or point,I,Q of every dot as CSV.
    void exportView();

    Ui::ConstellationClass ui;
    TThread *thread;
    quint16 channel;
    quint16 count = 0; // next point number
    MyGraphicsView *view;
    QGraphicsScene *scene;
    QList<QGraphicsEllipseItem *> points; // index = point number; they paint nothing
    QList<ItemBlock *> blocks; // parents of the dots, Size point numbers each
    DotLayer *layer; // draws the dots, from its copy of their rectangles
    QList<QGraphicsSimpleTextItem *> labelsX;
    QList<QGraphicsSimpleTextItem *> labelsY;
    double pointSize = 400;
    double labelScale = 200;
};
