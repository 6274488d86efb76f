// Operating modes of the main window: the service dialog and the return to user mode.

#include "app/cdevtree.h"
#include "app/connectionstatus.h"
#include "app/k440.h"
#include "app/prompter.h"
#include "app/service.h"
#include "config/modes.h"
#include "device/tthread.h"

#include <QAction>
#include <QDockWidget>
#include <QMdiArea>

void K440::service()
{
    // The dialog deletes itself when exec() ends, so its choice is taken by signal.
    auto *dialog = new Service(this);
    int chosen = 0;
    const QMetaObject::Connection chosenMode =
        connect(dialog, &Service::modeChosen, this, [&chosen](int m) { chosen = m; });
    const bool accepted = prompter->execDialog(dialog) == QDialog::Accepted;
    disconnect(chosenMode);
    if (accepted)
        setOperatingMode(chosen);
}

void K440::user()
{
    setOperatingMode(int(OperatingMode::User));
}

void K440::setOperatingMode(int m)
{
    if (!session.switchMode(m)) {
        // "&Пользовательский" chosen again has unchecked its own action.
        userAct->setChecked(OperatingMode(session.mode()) == OperatingMode::User);
        return;
    }
    mdiArea->closeAllSubWindows();
    if (devTree) {
        devTree->close();
        delete devTree;
        devTree = nullptr;
    }
    if (treeDock) {
        treeDock->close();
        delete treeDock;
        treeDock = nullptr;
    }
    saveAct->setEnabled(false);
    saveAsAct->setEnabled(false);
    writeAct->setEnabled(false);
    loadAct->setEnabled(false);
    buildTree(m);
    thread->setMode(m);
    connStatus->setMode(m);
}
