// Device tree and the sub-windows of the main window: opening by title, closing with or
// without adopting the window's result.

#include "app/about.h"
#include "app/cdevtree.h"
#include "app/k440.h"
#include "app/prompter.h"
#include "app/treetable.h"
#include "app/windowregistry.h"
#include "config/sections.h"
#include "pages/pageregistry.h"

#include <QAction>
#include <QDockWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMetaMethod>
#include <QStatusBar>

namespace {
const int StatusTimeout = 2000;

QString readName()
{
    return QStringLiteral("Прочитать");
}
QString writeName()
{
    return QStringLiteral("Записать");
}
QString loadName()
{
    return QStringLiteral("Загрузить ПО");
}
QString aboutName()
{
    return QStringLiteral("О программе");
}
QString infoName()
{
    return QStringLiteral("Информация");
}
} // namespace

void K440::buildTree(int m)
{
    if (m == 2 || m == 10)
        loadAct->setEnabled(true);
    userAct->setChecked(m == 1);
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
    QTreeWidgetItem *parents[3] = {};
    for (const TreeItem &t : deviceTreeItems(doc.workingCopy()->model(), m)) {
        auto *item =
            t.level == 0 ? new QTreeWidgetItem(devTree) : new QTreeWidgetItem(parents[t.level - 1]);
        item->setData(0, Qt::DisplayRole, t.text);
        if (!t.icon.isEmpty())
            item->setIcon(0, QIcon(t.icon));
        parents[t.level] = item;
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

    WindowContext wctx;
    wctx.mainWindow = this;
    wctx.thread = thread;
    wctx.mode = mode;
    wctx.connected = connected;

    QWidget *w = nullptr;
    if (s == readName()) {
        if (!connected || !WindowRegistry::contains(s))
            return;
        if (!askToClose())
            return;
        wctx.image = doc.beginRead();
        w = WindowRegistry::create(s, wctx);
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
    } else if (s == writeName()) {
        if (!connected || !doc.image())
            return;
        wctx.image = doc.image();
        w = WindowRegistry::create(s, wctx);
    } else if (s == loadName()) {
        if (!readFirmware())
            return;
        wctx.firmware = doc.firmware();
        w = WindowRegistry::create(s, wctx);
        // The load window keeps its own copy; this one is not used again.
        if (w)
            doc.releaseFirmware();
    } else if (isPageName(s) || s == infoName()) {
        if (!doc.image())
            return;
        PageContext pctx;
        pctx.thread = thread;
        pctx.mode = mode;
        pctx.connected = connected;
        if (s == infoName()) {
            pctx.work = doc.image();
        } else {
            doc.revertSections(s);
            pctx.work = doc.workingCopy();
        }
        w = PageRegistry::create(s, pctx);
    } else if (s == aboutName()) {
        w = new About(this, TK440::NewImageVersion);
    } else {
        w = WindowRegistry::create(s, wctx);
    }
    if (w)
        showSubWindow(w, s);
}

void K440::showSubWindow(QWidget *w, const QString &s)
{
    w->setWindowTitle(s);
    // Every window class declares reqClose(QString,bool); it is found through the meta-object so
    // that the main window needs none of their headers.
    const QMetaObject *mo = w->metaObject();
    const int signal = mo->indexOfSignal("reqClose(QString,bool)");
    if (signal >= 0) {
        const int slot = metaObject()->indexOfSlot("closeWin(QString,bool)");
        connect(w, mo->method(signal), this, metaObject()->method(slot));
    }
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
    if (name == readName()) {
        pendingReader = nullptr;
        if (mode && doc.keepRead()) {
            buildTree(this->mode);
            statusBar()->showMessage(tr("Прочитана конфигурация"), StatusTimeout);
        } else {
            doc.dropRead();
            doc.closeImage();
        }
    } else if (mode) {
        if (name == writeName())
            statusBar()->showMessage(tr("Прочитана конфигурация"), StatusTimeout);
        else if (isPageName(name))
            doc.adoptSections(name);
    }
    sub->close();
}

void K440::read()
{
    openWin(tr("Прочитать"));
}

void K440::write()
{
    openWin(tr("Записать"));
}

void K440::load()
{
    openWin(tr("Загрузить ПО"));
}

void K440::about()
{
    openWin(QStringLiteral("О программе"));
}
