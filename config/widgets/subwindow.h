#pragma once
// Base of every sub-window of the main window's multi-document area: pages, the Info page,
// progress windows, views and the About window. The main window closes a sub-window when it
// asks with reqClose, connected once for all of them (K440::showSubWindow).

#include "config/windows.h"

#include <QMap>
#include <QString>
#include <QWidget>

#include <functional>

class SubWindow : public QWidget
{
    Q_OBJECT

public:
    // Why the window closed itself while it was being built instead of opening; empty when it
    // opened. The main window then shows nothing and logs the reason.
    QString refusal() const { return refused; }

Q_SIGNALS:
    // Asks the main window to close this window; keep = adopt the window's result (a page's
    // edits, a read configuration).
    void reqClose(QString title, bool keep);

protected:
    explicit SubWindow(QWidget *parent = nullptr);

    // Emits reqClose with the window's current title, which names it to the main window.
    void requestClose(bool keep);
    // Closes the window while it is being built, recording why (see refusal()).
    void refuse(const QString &why);

private:
    QString refused;
};

// Factories of sub-window classes by window, so that the main window opens any window without
// knowing its class. Context: what the main window hands to a factory.
template<typename Context> class SubWindowFactories
{
public:
    using Factory = std::function<SubWindow *(const Context &ctx)>;

    // Replaces the factory of `id`, if any.
    void add(WindowId id, Factory factory) { map.insert(id, std::move(factory)); }
    bool contains(WindowId id) const { return map.contains(id); }
    // nullptr when no factory is registered for `id`.
    SubWindow *create(WindowId id, const Context &ctx) const
    {
        const auto it = map.constFind(id);
        return it == map.constEnd() ? nullptr : (*it)(ctx);
    }

private:
    QMap<WindowId, Factory> map;
};
