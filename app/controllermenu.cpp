#include "app/controllermenu.h"

#include "app/k440.h"
#include "config/widgets/subwindow.h"
#include "device/tthread.h"

#include <QActionGroup>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

namespace {
constexpr int StatusTimeout = 5000;
}

ControllerMenu::ControllerMenu(K440 *w, QMenu *afterMenu)
    : QObject(w)
    , window(w)
    , after(afterMenu)
    , box(new QMenu(tr("&Контроллер"), w))
    , group(new QActionGroup(this))
{
    box->setObjectName(QStringLiteral("controllerMenu"));
    group->setExclusive(true);
    TThread *thread = window->workerThread();
    connect(thread, &TThread::controllersListed, this, &ControllerMenu::show);
    connect(thread, &TThread::jobStarted, this, [this] { ++jobsRunning; });
    connect(thread, &TThread::jobFinished, this,
            [this] { jobsRunning = qMax(0, jobsRunning - 1); });
    connect(group, &QActionGroup::triggered, this, &ControllerMenu::choose);
}

void ControllerMenu::show(const QList<AttachedController> &list, const QString &chosenPath)
{
    chosen = chosenPath;
    if (list != shown) {
        shown = list;
        for (QAction *a : group->actions())
            delete a;
        for (const AttachedController &c : list) {
            QAction *a = box->addAction(c.label());
            a->setCheckable(true);
            a->setData(c.path);
            a->setStatusTip(c.model);
            group->addAction(a);
        }
    }
    checkChosen();
    place(list.size() > 1);
}

void ControllerMenu::checkChosen()
{
    for (QAction *a : group->actions())
        a->setChecked(a->data().toString() == chosen);
}

void ControllerMenu::place(bool visible)
{
    QMenuBar *bar = window->menuBar();
    const bool present = bar->actions().contains(box->menuAction());
    if (visible == present)
        return;
    if (!visible) {
        bar->removeAction(separator);
        bar->removeAction(box->menuAction());
        return;
    }
    // After the menu `after` and the separator that follows it.
    const QList<QAction *> actions = bar->actions();
    QAction *before = actions.value(actions.indexOf(after->menuAction()) + 2);
    bar->insertMenu(before, box);
    if (!separator)
        separator = bar->insertSeparator(before);
    else
        bar->insertAction(before, separator);
}

void ControllerMenu::choose(QAction *action)
{
    const QString path = action->data().toString();
    if (path == chosen)
        return;
    if (jobUnderWay()) {
        checkChosen();
        const QString text =
            tr("Контроллер %1 не выбран: дождитесь окончания задания на контроллере %2")
                .arg(path, chosen);
        window->log(text);
        window->statusBar()->showMessage(text, StatusTimeout);
        return;
    }
    chosen = path;
    window->workerThread()->choosePort(path);
}

bool ControllerMenu::jobUnderWay() const
{
    const TThread *thread = window->workerThread();
    if (jobsRunning > 0 || thread->monitorMask() != 0)
        return true;
    for (QMdiSubWindow *sub : window->mdi()->subWindowList()) {
        if (const auto *w = qobject_cast<SubWindow *>(sub->widget()); w && w->busy())
            return true;
    }
    return false;
}
