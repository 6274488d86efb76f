// Device tree and the sub-windows of the main window: opening by title, closing with or
// without adopting the window's result.

#include "app/cdevtree.h"
#include "app/k440.h"
#include "app/prompter.h"
#include "app/windowregistry.h"
#include "config/sections.h"
#include "config/windows.h"
#include "pages/pageregistry.h"

#include <QAction>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
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
        return;
    }

    const bool newDock = !treeDock;
    if (newDock) {
        treeDock = new QDockWidget(title, this);
        treeDock->setObjectName(QStringLiteral("treeDock"));
        // The dock's own show/hide action; it goes with the dock when a mode switch drops it.
        treeDock->toggleViewAction()->setObjectName(QStringLiteral("treeDockAct"));
        windowMenu->addAction(treeDock->toggleViewAction());
    } else {
        treeDock->setWindowTitle(title);
    }
    doc.revertAll();
    saveAct->setEnabled(true);
    saveAsAct->setEnabled(true);
    writeAct->setEnabled(true);

    if (!devTree) {
        devTree = new CDevTree;
        devTree->setObjectName(QStringLiteral("devTree"));
        devTree->setHeaderHidden(true);
        connect(devTree, &QTreeWidget::itemActivated, this, &K440::openItem);
    }
    devTree->clear();
    QHash<WindowId, QTreeWidgetItem *> items;
    for (const WindowRow *row : deviceTreeRows(doc.workingCopy()->model(), m)) {
        QTreeWidgetItem *parent = items.value(row->parent);
        auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(devTree);
        item->setData(0, Qt::DisplayRole, row->displayTitle());
        if (*row->icon)
            item->setIcon(0, QIcon(row->iconName()));
        items.insert(row->id, item);
    }
    treeDock->setWidget(devTree);
    treeDock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea
                              | Qt::BottomDockWidgetArea);
    if (newDock)
        addDockWidget(Qt::LeftDockWidgetArea, treeDock);
    // A dock the user closed with its ✕ comes back with the next configuration.
    treeDock->show();
}

void K440::closeImage()
{
    mdiArea->closeAllSubWindows();
    if (devTree)
        devTree->clear();
    if (treeDock)
        treeDock->setWindowTitle(QString());
    saveAct->setEnabled(false);
    saveAsAct->setEnabled(false);
    writeAct->setEnabled(false);
    loadAct->setEnabled(false);
    doc.closeImage();
}

bool K440::askToClose()
{
    // A read in progress counts as an open configuration: the question is asked, and "&Да"
    // closes the read window with everything else.
    if (!doc.image() && !doc.pendingRead())
        return true;
    if (!prompter->askYesNo(this, windowTitle(), tr("Закрыть текущее устройство")))
        return false;
    closeImage();
    return true;
}

void K440::openItem(QTreeWidgetItem *item, int column)
{
    if (item && column == 0)
        openWin(item->text(0));
}

QMdiSubWindow *K440::findSubWindow(const QString &title) const
{
    const QList<QMdiSubWindow *> list = mdiArea->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow *sub : list) {
        if (sub->windowTitle() == title)
            return sub;
    }
    return nullptr;
}

void K440::openWin(QString s)
{
    if (QMdiSubWindow *sub = findSubWindow(s)) {
        mdiArea->setActiveSubWindow(sub);
        return;
    }
    // Group items and names of no window open nothing.
    const WindowRow *row = findWindow(s);
    if (!row || row->kind == WindowKind::Group)
        return;
    const WindowId id = row->id;

    WindowContext wctx;
    wctx.mainWindow = this;
    wctx.thread = thread;
    wctx.mode = mode;
    wctx.connected = connected;

    SubWindow *w = nullptr;
    if (id == WindowId::Read) {
        if (!connected || !windowRegistry().contains(id))
            return;
        if (!askToClose())
            return;
        wctx.image = doc.beginRead();
        w = windowRegistry().create(id, wctx);
        if (w) {
            // However the read window goes, the image it was filling goes with it unless
            // closeWin has adopted it first; a later read's image is left alone.
            pendingReader = w;
            connect(w, &QObject::destroyed, &readWatch, [this, w] {
                if (pendingReader == w) {
                    pendingReader = nullptr;
                    doc.dropRead();
                }
            });
        } else {
            doc.dropRead();
        }
    } else if (id == WindowId::Write) {
        if (!connected || !doc.image())
            return;
        wctx.image = doc.image();
        w = windowRegistry().create(id, wctx);
    } else if (id == WindowId::Load) {
        if (!readFirmware())
            return;
        wctx.firmware = doc.firmware();
        w = windowRegistry().create(id, wctx);
        // The load window keeps its own copy; this one is not used again.
        if (w)
            doc.releaseFirmware();
    } else if (row->kind == WindowKind::Page || row->kind == WindowKind::Document) {
        if (!doc.image())
            return;
        PageContext pctx;
        pctx.thread = thread;
        pctx.mode = mode;
        pctx.connected = connected;
        if (row->kind == WindowKind::Document) {
            pctx.work = doc.image();
        } else {
            doc.revertSections(s);
            pctx.work = doc.workingCopy();
        }
        w = pageRegistry().create(id, pctx);
        // A page that cannot show this image has closed itself already: say why, show nothing.
        if (w && !w->refusal().isEmpty()) {
            Q_EMIT mes(s + QStringLiteral(": ") + w->refusal());
            return;
        }
    } else {
        w = windowRegistry().create(id, wctx);
    }
    if (w)
        showSubWindow(w, s);
}

void K440::showSubWindow(SubWindow *w, const QString &s)
{
    w->setWindowTitle(s);
    connect(w, &SubWindow::reqClose, this, &K440::closeWin);
    QMdiSubWindow *sub = mdiArea->addSubWindow(w);
    w->show();
    // The new sub-window is the active one.
    sub->adjustSize();
}

bool K440::readFirmware()
{
    const QString name = prompter->getOpenFileName(this, tr("Открыть файл"),
                                                   tr("ПО контроллера (*.rom);;Все файлы (*.*)"));
    if (name.isEmpty())
        return false;
    switch (doc.readFirmware(name)) {
    case FirmwareReadResult::OpenFailed:
        warn(tr("Файл ") + name + tr(" не удалось открыть."));
        return false;
    case FirmwareReadResult::ShortRead:
        warn(tr("Файл ") + name + tr(" не удалось прочитать."));
        return false;
    case FirmwareReadResult::Ok:
        break;
    }
    return true;
}

void K440::closeWin(QString name, bool mode)
{
    QMdiSubWindow *sub = findSubWindow(name);
    if (!sub)
        return;
    const WindowRow *row = findWindow(name);
    const WindowId id = row ? row->id : WindowId::None;
    if (id == WindowId::Read) {
        pendingReader = nullptr;
        if (mode && doc.keepRead()) {
            buildTree(this->mode);
            statusBar()->showMessage(tr("Прочитана конфигурация"), StatusTimeout);
        } else {
            doc.dropRead();
            doc.closeImage();
        }
    } else if (mode) {
        if (id == WindowId::Write)
            statusBar()->showMessage(tr("Прочитана конфигурация"), StatusTimeout);
        else if (isPageName(name))
            doc.adoptSections(name);
    }
    sub->close();
}

void K440::read()
{
    openWin(titleOf(WindowId::Read));
}

void K440::write()
{
    openWin(titleOf(WindowId::Write));
}

void K440::load()
{
    openWin(titleOf(WindowId::Load));
}

void K440::about()
{
    openWin(titleOf(WindowId::About));
}
