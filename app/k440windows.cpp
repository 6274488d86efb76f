// Device tree and the sub-windows of the main window: opening a window as its registry entry's
// rule says, closing it with or without adopting its result as the session decides.

#include "app/cdevtree.h"
#include "app/k440.h"
#include "app/prompter.h"
#include "app/treedelegate.h"
#include "app/windowstate.h"
#include "config/widgets/windowregistry.h"
#include "config/windows.h"

#include <QAction>
#include <QDockWidget>
#include <QHash>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>

namespace {
const int StatusTimeout = 2000;
} // namespace

void K440::buildTree(int m)
{
    if (modeAllows(m, ModeFeature::FirmwareLoad))
        loadAct->setEnabled(true);
    userAct->setChecked(OperatingMode(m) == OperatingMode::User);
    if (!doc.image())
        return;

    QString title;
    switch (doc.image()->model()) {
    case TK440::ModelRA:
        emit mes(tr("Загружена конфигурация контроллера K-330RA"));
        title = tr(" K-330RA");
        break;
    case TK440::ModelRB:
        emit mes(tr("Загружена конфигурация контроллера K-330RB"));
        title = tr(" K-330RB");
        break;
    default:
        emit mes(tr("Модель контроллера не определена"));
        doc.closeImage();
        updateTitle();
        return;
    }

    const bool newDock = !treeDock;
    if (newDock) {
        treeDock = new QDockWidget(title, this);
        treeDock->setObjectName(QStringLiteral("treeDock"));
        // The dock's own show/hide action; it goes with the dock when a mode switch drops it.
        // Its entry names the tree, with a mnemonic, rather than the model the title names
        // (every new title would set the entry's text again).
        QAction *toggle = treeDock->toggleViewAction();
        toggle->setObjectName(QStringLiteral("treeDockAct"));
        const QString entry = tr("&Дерево устройства");
        toggle->setText(entry);
        connect(treeDock, &QWidget::windowTitleChanged, toggle,
                [toggle, entry] { toggle->setText(entry); });
        windowMenu->addAction(toggle);
    } else {
        treeDock->setWindowTitle(title);
    }
    doc.revertAll();
    saveAct->setEnabled(true);
    saveAsAct->setEnabled(true);
    writeAct->setEnabled(true);

    fillDeviceTree(m);
    treeDock->setWidget(devTree);
    treeDock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea
                              | Qt::BottomDockWidgetArea);
    // Where the last run left it, else on the left, widened to show its longest label whole in
    // either language (a service mode's items are longer than its size hint allows for).
    const bool restored = newDock && restoreDockWidget(treeDock);
    if (newDock && !restored)
        addDockWidget(Qt::LeftDockWidgetArea, treeDock);
    const int labels = windowstate::treeWidth(*devTree);
    if (!restored && treeDock->width() < labels)
        resizeDocks({treeDock}, {labels}, Qt::Horizontal);
    // A dock the user closed with its ✕ comes back with the next configuration.
    treeDock->show();
    updateTitle();
}

void K440::fillDeviceTree(int m)
{
    if (!devTree) {
        devTree = new CDevTree;
        devTree->setObjectName(QStringLiteral("devTree"));
        devTree->setHeaderHidden(true);
        const QSize iconSize(16, 16);
        devTree->setIconSize(iconSize);
        devTree->setItemDelegate(new TreeDelegate(iconSize, devTree));
        connect(devTree, &QTreeWidget::itemActivated, this, &K440::openItem);
    }
    devTree->clear();
    QHash<WindowId, QTreeWidgetItem *> items;
    for (const WindowRow *row : deviceTreeRows(doc.workingCopy()->model(), m)) {
        QTreeWidgetItem *parent = items.value(row->parent);
        auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(devTree);
        item->setData(0, Qt::DisplayRole, row->displayTitle());
        item->setData(0, Qt::UserRole, int(row->id));
        if (*row->icon)
            item->setIcon(0, QIcon(row->iconName()));
        items.insert(row->id, item);
    }
}

void K440::closeImage()
{
    // Every way a configuration is closed comes here, once.
    if (doc.image())
        Q_EMIT mes(tr("Конфигурация закрыта"));
    // The journal window shows no configuration: it stays.
    for (QMdiSubWindow *sub : mdiArea->subWindowList()) {
        if (sub != journalSub)
            sub->close();
    }
    if (devTree)
        devTree->clear();
    if (treeDock)
        treeDock->setWindowTitle(QString());
    saveAct->setEnabled(false);
    saveAsAct->setEnabled(false);
    writeAct->setEnabled(false);
    loadAct->setEnabled(false);
    doc.closeImage();
    updateTitle();
}

bool K440::askToClose()
{
    // A read in progress counts as an open configuration: the question is asked, and "&Да"
    // closes the read window with everything else.
    if (!session.hasConfiguration())
        return true;
    if (!prompter->askYesNo(this, appTitle(), tr("Закрыть текущее устройство")))
        return false;
    keepUnsaved();
    closeImage();
    return true;
}

void K440::openItem(QTreeWidgetItem *item, int column)
{
    if (item && column == 0)
        openWindow(WindowId(item->data(0, Qt::UserRole).toInt()));
}

QMdiSubWindow *K440::findSubWindow(WindowId id) const
{
    const QList<QMdiSubWindow *> list = mdiArea->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow *sub : list) {
        const auto *w = qobject_cast<const SubWindow *>(sub->widget());
        if (w && w->windowId() == id)
            return sub;
    }
    return nullptr;
}

QMdiSubWindow *K440::findSubWindow(const QString &title) const
{
    const WindowRow *row = findWindow(title);
    return row ? findSubWindow(row->id) : nullptr;
}

void K440::openWin(QString s)
{
    // Names of no window open nothing.
    if (const WindowRow *row = findWindow(s))
        openWindow(row->id);
}

void K440::openWindow(WindowId id)
{
    if (QMdiSubWindow *sub = findSubWindow(id)) {
        mdiArea->setActiveSubWindow(sub);
        return;
    }
    // Group items and windows without a class open nothing.
    const WindowRegistry::Entry *entry = windowRegistry().find(id);
    if (!entry || !session.mayOpen(entry->rule) || !askFirst(entry->rule.input))
        return;
    const WindowInputs inputs = session.inputsFor(entry->rule, id);
    WindowContext ctx;
    ctx.mainWindow = this;
    ctx.thread = thread;
    ctx.image = inputs.image;
    ctx.mode = session.mode();
    ctx.connected = session.isConnected();
    ctx.firmware = inputs.firmware;
    ctx.journal = journal();
    ctx.firmwareFile = inputs.firmwareFile;
    SubWindow *w = windowRegistry().create(id, ctx);
    session.opened(entry->rule, w);
    if (!w)
        return;
    // A read opens a configuration that "&Закрыть..." can drop; its window's end may drop it too
    // (the session hears of that first, having connected first).
    if (entry->rule.input == WindowInput::NewRead) {
        closeAct->setEnabled(session.hasConfiguration());
        connect(w, &QObject::destroyed, closeAct,
                [this] { closeAct->setEnabled(session.hasConfiguration()); });
    }
    // A page that cannot show this image has closed itself already: say why, show nothing.
    if (!w->refusal().isEmpty()) {
        Q_EMIT mes(windowRow(id).displayTitle() + QStringLiteral(": ") + w->refusal());
        return;
    }
    showSubWindow(w);
}

bool K440::askFirst(WindowInput input)
{
    // A read replaces the open configuration; a load needs its firmware file.
    if (input == WindowInput::NewRead)
        return askToClose();
    if (input == WindowInput::Firmware)
        return readFirmware();
    return true;
}

void K440::showSubWindow(SubWindow *w)
{
    w->setWindowTitle(windowRow(w->windowId()).displayTitle());
    connect(w, &SubWindow::reqClose, this, &K440::closeWin);
    connect(w, &SubWindow::logLine, this, &K440::mes);
    QMdiSubWindow *sub = mdiArea->addSubWindow(w);
    w->show();
    // The new sub-window is the active one.
    windowstate::fitSubWindow(*sub, *mdiArea);
}

bool K440::readFirmware()
{
    const QString name = prompter->getOpenFileName(this, tr("Открыть файл"),
                                                   tr("ПО контроллера (*.rom);;Все файлы (*.*)"));
    if (name.isEmpty())
        return false;
    const QString warning = session.checkFirmware(name);
    if (!warning.isEmpty()) {
        warn(warning);
        return false;
    }
    Q_EMIT mes(tr("Файл ПО ") + name + QStringLiteral(" (") + QString::number(doc.firmwareSize())
               + tr(" байт)"));
    return true;
}

void K440::closeWin(QString name, bool mode)
{
    if (const WindowRow *row = findWindow(name))
        closeWindow(row->id, mode);
}

void K440::closeWindow(WindowId id, bool keep)
{
    QMdiSubWindow *sub = findSubWindow(id);
    if (!sub)
        return;
    const WindowRegistry::Entry *entry = windowRegistry().find(id);
    switch (entry ? session.closing(entry->rule, id, keep) : WindowClosed::Nothing) {
    case WindowClosed::ReadAdopted:
        buildTree(session.mode());
        [[fallthrough]];
    case WindowClosed::ReadReported:
        statusBar()->showMessage(tr("Прочитана конфигурация"), StatusTimeout);
        break;
    case WindowClosed::Nothing:
        break;
    }
    sub->close();
    // A kept edit, a read or a cancelled one changes what the title marks.
    updateTitle();
}

void K440::read()
{
    openWindow(WindowId::Read);
}

void K440::write()
{
    openWindow(WindowId::Write);
}

void K440::load()
{
    openWindow(WindowId::Load);
}

void K440::about()
{
    openWindow(WindowId::About);
}
