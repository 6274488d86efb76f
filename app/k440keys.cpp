// Keys of the main window beyond the standard ones its actions carry.

#include "app/k440.h"

#include <QAction>
#include <QShortcut>

namespace {

struct ActionKey
{
    QAction *action;
    QKeySequence key;
};

// True when an action of `window` already answers `key`.
bool taken(const QWidget *window, const QKeySequence &key)
{
    const QList<QAction *> actions = window->findChildren<QAction *>();
    for (const QAction *a : actions)
        if (a->shortcuts().contains(key))
            return true;
    return false;
}

} // namespace

void K440::createShortcuts()
{
    // Window shortcuts that trigger the action rather than keys of the action itself: the
    // actions keep exactly their standard keys. A key some action already has (a desktop whose
    // "Save As" key is the same) is left to it: two owners would make it ambiguous.
    const ActionKey keys[] = {
        {readAct, QKeySequence(Qt::CTRL | Qt::Key_R)},
        {writeAct, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W)},
        {loadAct, QKeySequence(Qt::CTRL | Qt::Key_L)},
        {saveAsAct, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
    };
    for (const ActionKey &k : keys) {
        if (taken(this, k.key))
            continue;
        auto *shortcut = new QShortcut(k.key, this);
        shortcut->setObjectName(k.action->objectName() + QStringLiteral("Key"));
        // trigger() does nothing while the action is disabled.
        connect(shortcut, &QShortcut::activated, k.action, &QAction::trigger);
        k.action->setToolTip(k.action->text().remove(QLatin1Char('&')) + QStringLiteral(" (")
                             + k.key.toString(QKeySequence::NativeText) + QLatin1Char(')'));
    }
}
