// Keys of the main window beyond the standard ones its actions carry.

#include "app/k440.h"

#include <QAction>

namespace {

struct ActionKey
{
    QAction *action;
    QKeySequence key;
};

} // namespace

void K440::createShortcuts()
{
    // The keys belong to the actions, so that the menus show them beside the entries. "Сохранить
    // как" keeps its standard keys and gains Ctrl+Shift+S where the desktop's list lacks it.
    const ActionKey keys[] = {
        {readAct, QKeySequence(Qt::CTRL | Qt::Key_R)},
        {writeAct, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W)},
        {loadAct, QKeySequence(Qt::CTRL | Qt::Key_L)},
        {saveAsAct, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
    };
    for (const ActionKey &k : keys) {
        QList<QKeySequence> own = k.action->shortcuts();
        if (!own.contains(k.key))
            own << k.key;
        k.action->setShortcuts(own);
        // Tool bar buttons show the key in their tip.
        k.action->setToolTip(k.action->text().remove(QLatin1Char('&')) + QStringLiteral(" (")
                             + k.key.toString(QKeySequence::NativeText) + QLatin1Char(')'));
    }
}
