#pragma once
// The main window's look kept from one run to the next in the settings, beside the recent-file
// list: its size and position, where its docks and toolbars are and how wide (the splitter
// between the device tree and the window area included). And the sizes the windows start at
// when nothing was kept.

#include <QSize>

class QMainWindow;
class QMdiArea;
class QMdiSubWindow;
class QTreeWidget;
class QWidget;

namespace windowstate {

// Size of the main window on a first start: room for the largest page beside the device tree
// and above the log, within the screen.
QSize defaultMainSize(const QWidget &window);
// Restores the kept size, position and dock layout; false when none was kept.
bool restore(QMainWindow &window);
// Keeps the size, position and dock layout for the next start.
void save(const QMainWindow &window);

// Width that shows every label of the tree uncut, expanded or not, with its scroll bar.
int treeWidth(const QTreeWidget &tree);

// Sizes a sub-window just added to the area: the size its contents ask for (every control, and a
// plot of a usable size), within the area.
void fitSubWindow(QMdiSubWindow &sub, const QMdiArea &area);

} // namespace windowstate
