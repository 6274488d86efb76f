#pragma once
// The graphics view of the oscilloscope and constellation windows. Keys do nothing in it
// unless zoom input is on (the constellation's): then the plus and minus keys and the mouse
// wheel zoom the picture and report the factor. A resize only reports fit() when fitting is
// on (the oscilloscope rescales itself on it); with keepFitted the view refits itself.
//
// The windows' sample items paint nothing themselves (one layer item per window draws them
// all), so moving them repaints nothing: a window reports what its new samples changed with
// scheduleRepaint(), and the view repaints it at most once per refresh period. Views whose
// refresh falls due together take turns, one per pass of the event loop (RepaintQueue), so
// that input and the stream's hand-over are served between two views' repaints rather than
// after all of them.

#include <QElapsedTimer>
#include <QGraphicsView>
#include <QList>
#include <QRect>
#include <QTimer>

class MyGraphicsView : public QGraphicsView
{
    Q_OBJECT

public:
    explicit MyGraphicsView(QWidget *parent = nullptr);
    ~MyGraphicsView() override;

    void setZoomInput(bool on) { zoomInput = on; }
    void setFitOnResize(bool on) { fitOnResize = on; }
    // Keeps the picture fitted to the view: every resize after the first scales it by the
    // change of the viewport's smaller side, so that it follows the window and a zoom the user
    // set stays as it was relative to the window. Each such scaling is reported as refitted().
    void setKeepFitted(bool on) { keepFitted = on; }

    // Large enough for a usable picture when a window takes the size its contents ask for; a
    // view kept fitted asks for its whole scene at the zoom it has.
    QSize sizeHint() const override;

    // The samples within a scene rectangle changed: repainted at the next refresh.
    void scheduleRepaint(const QRectF &sceneRect);
    // The samples changed anywhere (cleared, resized): the whole view at the next refresh.
    void scheduleRepaint();

    // Shortest time between two repaints of the samples: about 60 a second at most.
    static constexpr int RefreshMs = 16;

Q_SIGNALS:
    void scaled(double factor);
    void fit();
    void refitted(double factor);

public Q_SLOTS:
    void zoomIn();
    void zoomOut();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void zoom(double factor);
    void addDirty(const QRect &rect);
    void refresh();
    // Repaints the changed region now: the view's turn in the queue.
    void repaintDirty();
    friend class RepaintQueue;
    void refit();

    bool zoomInput = false;
    bool fitOnResize = false;
    bool keepFitted = false;
    double fittedSide = 0; // viewport side the picture was last fitted to; 0 before the first
    QTimer refreshTimer;
    QElapsedTimer sinceRefresh; // the last refresh handed its region to the viewport
    // Viewport strips of changed samples, apart from each other, repainted from the next refresh
    // on, one a turn.
    QList<QRect> dirty;
};
