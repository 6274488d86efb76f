#pragma once
// The menu "Контроллер" of the main window: while several controllers are attached it lists
// them by port path and processor serial, and the checked one is the one every exchange goes
// to. With one controller or none the menu bar does not show it.

#include "device/controllerroster.h"

#include <QList>
#include <QObject>
#include <QString>

class K440;
class QAction;
class QActionGroup;
class QMenu;

class ControllerMenu : public QObject
{
    Q_OBJECT

public:
    // The menu goes into the window's menu bar right after `after` and its separator.
    ControllerMenu(K440 *window, QMenu *after);

    QMenu *menu() const { return box; }

private:
    // The worker's list: rebuilds the entries and shows or hides the menu.
    void show(const QList<AttachedController> &list, const QString &chosen);
    void place(bool shown);
    void choose(QAction *action);
    // A job of a window or of the worker is under way: the controller must not change now.
    bool jobUnderWay() const;
    void checkChosen();

    K440 *window;
    QMenu *after;
    QMenu *box;
    QAction *separator = nullptr;
    QActionGroup *group;
    QList<AttachedController> shown;
    QString chosen; // port path of the controller the connection is pointed at
    int jobsRunning = 0; // between the worker's jobStarted and jobFinished
};
