#pragma once
// Base of every sub-window of the main window's multi-document area: pages, the Info page,
// progress windows, views and the About window. The main window closes a sub-window when it
// asks with reqClose, connected once for all of them (K440::showSubWindow) as logLine is, and
// finds an open
// window by the window it was created as (windowId), whatever language its title is in.

#include "config/windows.h"

#include <QString>
#include <QWidget>

class SubWindow : public QWidget
{
    Q_OBJECT

public:
    // Why the window closed itself while it was being built instead of opening; empty when it
    // opened. The main window then shows nothing and logs the reason.
    QString refusal() const { return refused; }
    // The window this one was created as by the window registry; WindowId::None otherwise.
    WindowId windowId() const { return id; }
    // A job of the window is under way on the controller (an exchange, a stream, the live
    // test mode): the connection must not be pointed at another controller meanwhile.
    virtual bool busy() const { return false; }

Q_SIGNALS:
    // Asks the main window to close this window; keep = adopt the window's result (a page's
    // edits, a read configuration).
    void reqClose(QString title, bool keep);
    // A line for the program log (a live test mode switched, an acquisition started or
    // stopped); the main window logs it as its own.
    void logLine(QString text);

protected:
    explicit SubWindow(QWidget *parent = nullptr);

    // Emits reqClose with the window's current title, which names it to the main window.
    void requestClose(bool keep);
    // Closes the window while it is being built, recording why (see refusal()).
    void refuse(const QString &why);

private:
    friend class WindowRegistry; // tags the windows it creates
    QString refused;
    WindowId id = WindowId::None;
};
