#include "app/k440.h"

#include "app/builtinwindows.h"
#include "app/cdevtree.h"
#include "app/clogedit.h"
#include "app/controllermenu.h"
#include "app/prompter.h"
#include "app/shellarea.h"
#include "app/windowstate.h"
#include "config/modes.h"
#include "device/tthread.h"
#include "pages/builtinpages.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QDockWidget>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QTextCursor>
#include <QToolBar>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {
const char *const RecentFilesKey = "recentFileList";
}

K440::K440(const QString &logFileName, const UsbTransport::Factory &transport)
    : QMainWindow(nullptr)
    , doc(session.document())
    , prompter(std::make_unique<Prompter>())
{
    setAttribute(Qt::WA_DeleteOnClose);
    if (!logFileName.isEmpty())
        setLogFile(logFileName, true);
    registerBuiltinPages();
    registerBuiltinWindows();

    thread = new TThread(this, transport);
    connect(thread, &TThread::conn, this, &K440::conn);
    // A controller arriving or leaving the bus runs the hot-plug check in this thread.
    connect(thread->hotplug(), &UsbHotplug::deviceChanged, thread, &TThread::checkDevice);

    mdiArea = new ShellArea;
    mdiArea->setObjectName(QStringLiteral("mdiArea"));
    mdiArea->setAttribute(Qt::WA_DeleteOnClose);
    mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea);

    createActions();
    createMenus();
    createToolBars();
    createDockWindows();
    statusBar();
    createShortcuts();
    createStatusParts();

    setWindowTitle(appTitle());
    setWindowIcon(QIcon(QStringLiteral(":/images/chip.ico")));
    setMinimumSize(150, 200);
    resize(800, 600);

    userAct->setChecked(true);
    thread->setMode(session.mode());
    thread->checkDevice();
}

K440::~K440()
{
    // Sub-windows go first, while the images they point into and the worker they queue their
    // last requests on still exist; closed ones still waiting for their deferred deletion too
    // (they are no longer listed, and would otherwise go after the worker).
    qDeleteAll(mdiArea->subWindowList());
    qDeleteAll(mdiArea->findChildren<QMdiSubWindow *>());
    // The worker may still be running when the window goes without a close event.
    disconnect(thread, nullptr, this, nullptr);
    thread->stop();
    thread->wait();
}

void K440::setPrompter(std::unique_ptr<Prompter> p)
{
    prompter = std::move(p);
}

bool K440::setLogFile(const QString &fileName, bool dated)
{
    auto f = std::make_unique<QFile>(fileName);
    if (!f->open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return false;
    logFile = std::move(f);
    logFileDated = dated;
    return true;
}

void K440::makeAction(QAction *&act, const char *name, const QString &text, const QString &tip,
                      const char *icon)
{
    act =
        icon ? new QAction(QIcon(QString::fromLatin1(icon)), text, this) : new QAction(text, this);
    act->setObjectName(QString::fromLatin1(name));
    act->setStatusTip(tip);
}

void K440::createActions()
{
    createFileActions();
    createTaskActions();
    createRecoveryAction();
}

void K440::createFileActions()
{
    makeAction(newAct, "newAct", tr("&Создать"), tr("Cоздать файл конфигурации устройства"),
               ":/images/page.png");
    newAct->setShortcuts(QKeySequence::New);
    connect(newAct, &QAction::triggered, this, &K440::create);

    makeAction(openAct, "openAct", tr("&Открыть"), tr("Открыть файл конфигурации устройства"),
               ":/images/open.png");
    openAct->setShortcuts(QKeySequence::Open);
    connect(openAct, &QAction::triggered, this, &K440::open);

    makeAction(saveAct, "saveAct", tr("&Сохранить"), tr("Сохранить файл конфигурации устройства"),
               ":/images/save.png");
    saveAct->setShortcuts(QKeySequence::Save);
    saveAct->setEnabled(false);
    connect(saveAct, &QAction::triggered, this, &K440::save);

    makeAction(saveAsAct, "saveAsAct", tr("&Сохранить как"),
               tr("Сохранить файл конфигурации устройства как..."), ":/images/save_as.png");
    saveAsAct->setShortcuts(QKeySequence::SaveAs);
    saveAsAct->setEnabled(false);
    connect(saveAsAct, &QAction::triggered, this, &K440::saveAs);

    for (int i = 0; i < MaxRecentFiles; ++i) {
        recentFileActs[i] = new QAction(this);
        recentFileActs[i]->setObjectName(QStringLiteral("recentFileAct%1").arg(i));
        recentFileActs[i]->setVisible(false);
        connect(recentFileActs[i], &QAction::triggered, this, &K440::openRecentFile);
    }

    makeAction(journalAct, "journalAct", tr("&Журнал операций"),
               tr("Записи операций с контроллерами"));
    connect(journalAct, &QAction::triggered, this, &K440::operationJournal);

    makeAction(closeAct, "closeAct", tr("&Закрыть..."), tr("Закрыть файл конфигурации устройства"));
    closeAct->setShortcuts(QKeySequence::Close);
    // Enabled while a configuration is open or being read (updateTitle).
    closeAct->setEnabled(false);
    connect(closeAct, &QAction::triggered, this, &K440::shut);

    makeAction(exitAct, "exitAct", tr("&Выход"), tr("Выйти из программы"));
    exitAct->setShortcuts(QKeySequence::Quit);
    connect(exitAct, &QAction::triggered, this, &QWidget::close);
}

void K440::createTaskActions()
{
    makeAction(readAct, "readAct", tr("&Прочитать"), tr("Прочитать конфигурацию из устройства"),
               ":/images/read.bmp");
    readAct->setEnabled(false);
    connect(readAct, &QAction::triggered, this, &K440::read);

    makeAction(writeAct, "writeAct", tr("&Записать"), tr("Записать конфигурацию в устройство"),
               ":/images/write.bmp");
    writeAct->setEnabled(false);
    connect(writeAct, &QAction::triggered, this, &K440::write);

    makeAction(loadAct, "loadAct", tr("&Загрузить ПО"), tr("Обновить программу устройства"),
               ":/images/load.png");
    loadAct->setEnabled(false);
    connect(loadAct, &QAction::triggered, this, &K440::load);

    makeAction(userAct, "userAct", tr("&Пользовательский"),
               tr("Установить пользовательский режим"));
    userAct->setCheckable(true);
    connect(userAct, &QAction::triggered, this, &K440::user);

    makeAction(serviceAct, "serviceAct", tr("&Сервис"), tr("Установить сервисный режим"),
               ":/images/service.bmp");
    connect(serviceAct, &QAction::triggered, this, &K440::service);

    makeAction(aboutAct, "aboutAct", tr("&О программе"), tr("Информация о версии программы"));
    connect(aboutAct, &QAction::triggered, this, &K440::about);

    makeAction(closeWinAct, "closeWinAct", tr("&Закрыть"), tr("Закрыть активное окно"));
    connect(closeWinAct, &QAction::triggered, mdiArea, &QMdiArea::closeActiveSubWindow);

    makeAction(closeAllAct, "closeAllAct", tr("Закрыть &все"), tr("Закрыть все окна"));
    connect(closeAllAct, &QAction::triggered, mdiArea, &QMdiArea::closeAllSubWindows);

    makeAction(tileAct, "tileAct", tr("&Развернуть"), tr("Развернуть все окна"));
    connect(tileAct, &QAction::triggered, mdiArea, &QMdiArea::tileSubWindows);

    makeAction(cascadeAct, "cascadeAct", tr("&Каскадом"), tr("Каскад окон"));
    connect(cascadeAct, &QAction::triggered, mdiArea, &QMdiArea::cascadeSubWindows);
}

void K440::createMenus()
{
    fileMenu = menuBar()->addMenu(tr("&Файл"));
    fileMenu->setObjectName(QStringLiteral("fileMenu"));
    // Another run may have kept a configuration meanwhile.
    connect(fileMenu, &QMenu::aboutToShow, this, &K440::updateRestoreAction);
    fileMenu->addAction(newAct);
    fileMenu->addAction(openAct);
    fileMenu->addSeparator();
    fileMenu->addAction(saveAct);
    fileMenu->addAction(saveAsAct);
    fileMenu->addAction(journalAct);
    separatorAct = fileMenu->addSeparator();
    separatorAct->setObjectName(QStringLiteral("separatorAct"));
    for (QAction *act : recentFileActs)
        fileMenu->addAction(act);
    fileMenu->addSeparator();
    fileMenu->addAction(restoreAct);
    fileMenu->addAction(closeAct);
    fileMenu->addAction(exitAct);
    updateRecentFileActions();
    menuBar()->addSeparator();

    taskMenu = menuBar()->addMenu(tr("&Задачи"));
    taskMenu->setObjectName(QStringLiteral("taskMenu"));
    taskMenu->addAction(readAct);
    taskMenu->addAction(writeAct);
    taskMenu->addSeparator();
    taskMenu->addAction(loadAct);
    menuBar()->addSeparator();
    new ControllerMenu(this, taskMenu); // shown while several controllers are attached

    optionMenu = menuBar()->addMenu(tr("&Опции"));
    optionMenu->setObjectName(QStringLiteral("optionMenu"));
    optionMenu->addAction(userAct);
    optionMenu->addAction(serviceAct);
    addRecordsSettings(optionMenu);
    menuBar()->addSeparator();

    windowMenu = menuBar()->addMenu(tr("Ок&но"));
    windowMenu->setObjectName(QStringLiteral("windowMenu"));
    windowMenu->addAction(closeWinAct);
    windowMenu->addAction(closeAllAct);
    windowMenu->addSeparator();
    windowMenu->addAction(tileAct);
    windowMenu->addAction(cascadeAct);
    // Show/hide actions of the docks, so that a dock closed with its ✕ can be had back; the
    // tree dock adds its own when it is made.
    windowMenu->addSeparator();
    menuBar()->addSeparator();

    helpMenu = menuBar()->addMenu(tr("&Справка"));
    helpMenu->setObjectName(QStringLiteral("helpMenu"));
    helpMenu->addAction(aboutAct);
}

void K440::createToolBars()
{
    fileToolBar = addToolBar(tr("Файл"));
    fileToolBar->setObjectName(QStringLiteral("fileToolBar"));
    fileToolBar->addAction(newAct);
    fileToolBar->addAction(openAct);
    fileToolBar->addAction(saveAct);
    fileToolBar->addAction(saveAsAct);

    taskToolBar = addToolBar(tr("Задачи"));
    taskToolBar->setObjectName(QStringLiteral("taskToolBar"));
    taskToolBar->addAction(readAct);
    taskToolBar->addAction(writeAct);
    taskToolBar->addAction(loadAct);
}

void K440::createDockWindows()
{
    logDock = new QDockWidget(tr("Лог программы"), this);
    logDock->setObjectName(QStringLiteral("logDock"));
    logDock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea
                             | Qt::BottomDockWidgetArea);
    logEdit = new CLogEdit(logDock);
    logEdit->setObjectName(QStringLiteral("logEdit"));
    logDock->setWidget(logEdit);
    addDockWidget(Qt::BottomDockWidgetArea, logDock);
    logDock->toggleViewAction()->setObjectName(QStringLiteral("logDockAct"));
    // The dock's title stays as it is; its entry in the menu gets a mnemonic.
    logDock->toggleViewAction()->setText(tr("&Лог программы"));
    windowMenu->addAction(logDock->toggleViewAction());

    connect(this, &K440::mes, this, &K440::log);
    connect(thread, &TThread::mes, this, &K440::log);
}

void K440::log(QString s)
{
    if (!logEdit)
        return;
    const QDateTime now = QDateTime::currentDateTime();
    const QString line = now.time().toString(Qt::TextDate) + QStringLiteral("-> ") + s;
    QTextCursor cursor = logEdit->textCursor();
    cursor.movePosition(QTextCursor::Start);
    logEdit->setTextCursor(cursor);
    logEdit->insertPlainText(line + QLatin1Char('\n'));
    if (logFile) {
        const QString stored =
            logFileDated ? now.toString(Qt::ISODate) + QStringLiteral("-> ") + s : line;
        logFile->write(stored.toUtf8() + '\n');
        logFile->flush();
    }
}

void K440::setCurrentFile(const QString &fileName)
{
    setWindowFilePath(fileName);
    QSettings settings;
    QStringList files = settings.value(QLatin1String(RecentFilesKey)).toStringList();
    files.removeAll(fileName);
    files.prepend(fileName);
    while (files.size() > MaxRecentFiles)
        files.removeLast();
    settings.setValue(QLatin1String(RecentFilesKey), files);
    updateRecentFileActions();
}

void K440::updateRecentFileActions()
{
    QSettings settings;
    const QStringList files = settings.value(QLatin1String(RecentFilesKey)).toStringList();
    const int n = int(qMin(files.size(), qsizetype(MaxRecentFiles)));
    for (int i = 0; i < n; ++i) {
        recentFileActs[i]->setText(
            tr("&%1 %2").arg(QString::number(i + 1), strippedName(files[i])));
        recentFileActs[i]->setData(files[i]);
        recentFileActs[i]->setVisible(true);
    }
    for (int i = n; i < MaxRecentFiles; ++i)
        recentFileActs[i]->setVisible(false);
    separatorAct->setVisible(n > 0);
}

QString K440::strippedName(const QString &fullFileName)
{
    return QFileInfo(fullFileName).fileName();
}

void K440::conn(bool c)
{
    session.setConnected(c);
    readAct->setEnabled(c);
    if (!c)
        writeAct->setEnabled(false);
    else if (doc.image())
        writeAct->setEnabled(true);
}

void K440::warn(const QString &text)
{
    prompter->warn(this, appTitle(), text);
}

void K440::closeEvent(QCloseEvent *event)
{
    mdiArea->closeAllSubWindows();
    if (mdiArea->currentSubWindow()) {
        event->ignore();
        return;
    }
    keepUnsaved();
    disconnect(this, &K440::mes, this, &K440::log);
    disconnect(thread, &TThread::mes, this, &K440::log);
    thread->stop();
    thread->wait();
    windowstate::save(*this);
    event->accept();
}

#ifdef Q_OS_WIN
bool K440::nativeEvent(const QByteArray &eventType, void *message, qintptr *result)
{
    // A controller may have been attached or removed; the message is never consumed.
    if (eventType == "windows_generic_MSG"
        && static_cast<MSG *>(message)->message == WM_DEVICECHANGE)
        thread->checkDevice();
    return QMainWindow::nativeEvent(eventType, message, result);
}
#endif
