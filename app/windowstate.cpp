#include "app/windowstate.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTreeWidget>

#include <algorithm>

namespace {
const char *const GeometryKey = "mainWindow/geometry";
const char *const StateKey = "mainWindow/state";
// The largest page with the tree and the log beside it, and the menus and toolbars above.
constexpr QSize LargestPageRoom(1180, 860);
// What the window manager's frame and panels take from the available screen.
constexpr QSize ScreenMargin(16, 48);
// Icon and text margins of a tree row beyond its label.
constexpr int RowPadding = 12;
// The dock's own frame around the tree.
constexpr int DockFrame = 8;

int labelsWidth(const QTreeWidget &tree, const QTreeWidgetItem *item, int depth)
{
    const int indent = tree.indentation() * (depth + (tree.rootIsDecorated() ? 1 : 0));
    const int icon = item->icon(0).isNull() ? 0 : tree.iconSize().width() + 4;
    int widest = indent + icon + tree.fontMetrics().horizontalAdvance(item->text(0)) + RowPadding;
    for (int i = 0; i < item->childCount(); ++i)
        widest = std::max(widest, labelsWidth(tree, item->child(i), depth + 1));
    return widest;
}
} // namespace

namespace windowstate {

QSize defaultMainSize(const QWidget &window)
{
    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return LargestPageRoom;
    return LargestPageRoom.boundedTo(screen->availableGeometry().size() - ScreenMargin);
}

bool restore(QMainWindow &window)
{
    const QSettings settings;
    const QByteArray geometry = settings.value(QLatin1String(GeometryKey)).toByteArray();
    if (geometry.isEmpty() || !window.restoreGeometry(geometry))
        return false;
    window.restoreState(settings.value(QLatin1String(StateKey)).toByteArray());
    return true;
}

void save(const QMainWindow &window)
{
    QSettings settings;
    settings.setValue(QLatin1String(GeometryKey), window.saveGeometry());
    settings.setValue(QLatin1String(StateKey), window.saveState());
}

int treeWidth(const QTreeWidget &tree)
{
    int widest = 0;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        widest = std::max(widest, labelsWidth(tree, tree.topLevelItem(i), 0));
    return widest + 2 * tree.frameWidth() + tree.verticalScrollBar()->sizeHint().width()
        + DockFrame;
}

void fitSubWindow(QMdiSubWindow &sub, const QMdiArea &area)
{
    QWidget *w = sub.widget();
    if (!w)
        return;
    const QSize wanted = w->sizeHint().expandedTo(w->minimumSizeHint());
    const QSize frame = sub.sizeHint() - w->sizeHint();
    QSize size = wanted + frame.expandedTo(QSize(0, 0));
    // An area not shown yet has no size to go by.
    if (area.isVisible())
        size = size.boundedTo(area.viewport()->size());
    sub.resize(size);
}

} // namespace windowstate
