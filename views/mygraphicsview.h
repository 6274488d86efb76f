#pragma once
// The graphics view of the oscilloscope and constellation windows. Keys do nothing in it
// unless zoom input is on (the constellation's): then the plus and minus keys and the mouse
// wheel zoom the picture and report the factor. A resize only reports fit() when fitting is
// on (the oscilloscope rescales itself on it).

#include <QGraphicsView>

class MyGraphicsView : public QGraphicsView
{
    Q_OBJECT

public:
    explicit MyGraphicsView(QWidget *parent = nullptr);

    void setZoomInput(bool on) { zoomInput = on; }
    void setFitOnResize(bool on) { fitOnResize = on; }

Q_SIGNALS:
    void scaled(double factor);
    void fit();

public Q_SLOTS:
    void zoomIn();
    void zoomOut();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void zoom(double factor);

    bool zoomInput = false;
    bool fitOnResize = false;
};
