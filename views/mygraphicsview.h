#pragma once
// The graphics view of the oscilloscope and constellation windows. Keys do nothing in it
// unless zoom input is on (the constellation's): then the plus and minus keys and the mouse
// wheel zoom the picture and report the factor. A resize only reports fit() when fitting is
// on (the oscilloscope rescales itself on it).
//
// The windows move thousands of items per monitor frame. Left to itself, the scene repaints
// the whole window after every frame of every view; with coalesced repaint on, the view
// repaints only the scene rectangles its window reports as changed, at most once per
// refresh period.

#include <QGraphicsView>
#include <QTimer>

class MyGraphicsView : public QGraphicsView
{
    Q_OBJECT

public:
    explicit MyGraphicsView(QWidget *parent = nullptr);

    void setZoomInput(bool on) { zoomInput = on; }
    void setFitOnResize(bool on) { fitOnResize = on; }

    // Repaints only what updateSceneRect()/updateViewport() report, once per refresh period.
    void setCoalescedRepaint(bool on);
    bool coalescedRepaint() const { return coalesced; }
    // A scene rectangle changed: repainted at the next refresh (at once without coalescing,
    // where the scene reports its own changes).
    void updateSceneRect(const QRectF &rect);
    // Anything else changed (items added or removed, the grid rebuilt): the whole viewport is
    // repainted at the next refresh.
    void updateViewport();

    // Repaints a wide change band by band, each within a time budget: for a view whose items
    // are culled by position (the oscilloscope's blocks), where a narrow band costs little.
    void setRefreshInBands(bool on) { bands = on; }

    static constexpr int RefreshMs = 16;
    static constexpr int MaxRefreshMs = 250;
    static constexpr qint64 RepaintGapNs = 1000000; // between repaints of any two views
    static constexpr double BandBudgetNs = 4e6;
    static constexpr int MinBandColumns = 16;

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
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void zoom(double factor);
    void refresh();
    void scheduleRefresh();

    bool zoomInput = false;
    bool fitOnResize = false;
    bool coalesced = false;
    QTimer refreshTimer;
    bool bands = false;
    QList<QRectF> dirtyRects; // scene rectangles to repaint at the next refresh
    QRegion pending; // viewport region still to repaint
    double nsPerColumn = 0; // cost of the last repaint of a changed part, per pixel column
    bool dirtyAll = false; // the whole viewport is to be repainted
    qint64 lastPaintNs = 0; // duration of the last repaint of a changed part
    QRect shownBand; // the rubber band as last drawn, viewport coordinates
};
