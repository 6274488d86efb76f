// Firmware-load window: through the main window with the mode set in the service dialog, the
// file read from disk, the serial flash of the simulated controller programmed and the window
// closing itself; on its own for the boot mode, the error and the cancel.

#include "k440fixture.h"
#include "progresswidgets.h"
#include "queuedspy.h"
#include "simrig.h"
#include "testsupport.h"

#include "app/builtinwindows.h"
#include "app/startup.h"
#include "device/tthread.h"
#include "device/windows/load.h"
#include "pages/builtinpages.h"
#include "sim/simcontroller.h"
#include "sim/simtransport.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <memory>

using Fault = SimController::Fault;

using progress::bar;
using progress::button;
using progress::closeTimer;
using progress::label;

namespace {

const QString Title = QStringLiteral("Загрузить ПО");

// Writes the bytes as new.rom in dir and returns its path.
QString writeRom(const QTemporaryDir &dir, const QByteArray &bytes)
{
    const QString path = dir.filePath(QStringLiteral("new.rom"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return QString();
    return path;
}

// Service mode 2, which offers the load, set through the real service dialog.
void enterMode2(TestK440 &w)
{
    w.answers->onDialog = [](QDialog *d) {
        d->findChild<QLineEdit *>(QStringLiteral("eCode"))->setText(QStringLiteral("Jade_Cobalts"));
        d->findChild<QPushButton *>(QStringLiteral("bSet"))->click();
    };
    w.service();
}

} // namespace

class TstLoadWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void throughMainWindow_data();
    void throughMainWindow();
    void bootMode();
    void error();
    void cancelled();
    void stuckBusyThenClose();
};

void TstLoadWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    initApplication();
    registerBuiltinPages();
    registerBuiltinWindows();
}

// Service mode 2 offers the load; the file goes into the flash, the label passes through the
// read-back and the window closes itself after a second.
void TstLoadWindow::throughMainWindow_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("name");
    QTest::newRow("RA, 100 bytes") << "RA" << 100 << "K-330RA";
    QTest::newRow("RB, 0x8000 + 5 bytes") << "RB" << 0x8005 << "K-330RB";
}

void TstLoadWindow::throughMainWindow()
{
    QFETCH(QString, model);
    QFETCH(int, size);
    QFETCH(QString, name);

    QTemporaryDir tmp;
    const QByteArray file = randomBytes(size, 11);
    const QString path = writeRom(tmp, file);
    QVERIFY(!path.isEmpty());
    auto sim = makeSimulatedController(model);
    TestK440 w([sim] { return makeSimulatedTransport(sim); });
    w.workerThread()->setSleepFunction([](int) {});
    QTRY_VERIFY(w.isConnected());

    auto *loadAct = w.findChild<QAction *>(QStringLiteral("loadAct"));
    QVERIFY(!loadAct->isEnabled());
    enterMode2(w);
    QCOMPARE(w.currentMode(), 2);
    QVERIFY(loadAct->isEnabled());

    QueuedSpy chk(w.workerThread(), &TThread::loadChk);
    w.answers->openNames << path;
    loadAct->trigger();
    QMdiSubWindow *sub = w.findSubWindow(Title);
    QVERIFY(sub);
    QWidget *win = sub->widget();
    QCOMPARE(bar(win)->maximum(), size);
    QTRY_COMPARE(label(win), QStringLiteral("Контроллер %1, ПО загружено.").arg(name));
    QCOMPARE(chk.size(), 1);
    QCOMPARE(button(win)->text(), QStringLiteral("Закрыть"));
    QCOMPARE(bar(win)->value(), size);
    QCOMPARE(closeTimer(win)->interval(), 1000);
    QTRY_VERIFY(!w.findSubWindow(Title));
    QCOMPARE(sim->flashContents(0, size), file);
    QVERIFY(w.logLines().join('\n').contains(
        QStringLiteral("Проверка загруженного ПО выполнена. Ошибочных 0 байтов")));
}

// No connection: boot mode, 64-byte pieces, its own labels, kept on closing.
void TstLoadWindow::bootMode()
{
    TThread thread;
    SimRig rig(thread); // plugged in, not opened
    const QByteArray file = randomBytes(300, 12);
    rig.sim->failTransfer(2, Fault::delay(300)); // the second piece waits
    Load win(&thread, file);
    win.setWindowTitle(Title);
    QSignalSpy close(&win, &SubWindow::reqClose);
    QTRY_COMPARE(label(&win), QStringLiteral("Контроллер в режиме boot, загрузка ПО."));
    QTRY_COMPARE(label(&win), QStringLiteral("Контроллер в режиме boot, ПО загружено."));
    QCOMPARE(bar(&win)->value(), 300);
    QCOMPARE(rig.sim->bootStream(), file);
    QTRY_COMPARE(close.size(), 1);
    QCOMPARE(close.first(), (QVariantList {Title, true}));
    thread.stop();
    thread.wait();
}

void TstLoadWindow::error()
{
    WorkerRig rig;
    rig.sim->failTransfer(5, Fault::error(-32)); // the first write enable
    const QByteArray file = randomBytes(100, 13);
    Load win(&rig.thread, file);
    win.setWindowTitle(Title);
    QSignalSpy close(&win, &SubWindow::reqClose);
    QTRY_COMPARE(label(&win), QStringLiteral("Ошибка. Загрузка ПО прервана."));
    QCOMPARE(button(&win)->text(), QStringLiteral("Закрыть"));
    QCOMPARE(closeTimer(&win)->interval(), 5000);
    button(&win)->click();
    QCOMPARE(close.size(), 1);
    QCOMPARE(close.first(), (QVariantList {Title, false}));
}

// "Отменить" closes the window at once; the job runs on and its results do not reach it.
void TstLoadWindow::cancelled()
{
    WorkerRig rig;
    rig.sim->failTransfer(3, Fault::delay(300));
    const QByteArray file = randomBytes(100, 14);
    QueuedSpy stp(&rig.thread, &TThread::loadStp);
    Load win(&rig.thread, file);
    win.setWindowTitle(Title);
    QSignalSpy close(&win, &SubWindow::reqClose);
    QTRY_COMPARE(label(&win), QStringLiteral("Контроллер K-330RA, загрузка ПО."));
    button(&win)->click();
    QCOMPARE(close.size(), 1);
    QCOMPARE(close.first(), (QVariantList {Title, false}));
    QTRY_COMPARE(stp.size(), 1);
    QCOMPARE(label(&win), QStringLiteral("Контроллер K-330RA, загрузка ПО."));
    QCOMPARE(bar(&win)->value(), 0);
    QCOMPARE(rig.sim->flashContents(0, 100), file);
}

// A flash whose busy bit never clears: the load ends with its own message once the status poll's
// limit has passed, and the main window then closes at once instead of waiting for the worker.
void TstLoadWindow::stuckBusyThenClose()
{
    QTemporaryDir tmp;
    const QString path = writeRom(tmp, randomBytes(500, 15));
    QVERIFY(!path.isEmpty());
    auto sim = makeSimulatedController(QStringLiteral("RA"));
    sim->serialFlash().setStuckBusy(true);
    static std::atomic<int> slept;
    slept = 0;
    // The main window deletes itself once closed.
    QPointer<TestK440> w = new TestK440([sim] { return makeSimulatedTransport(sim); });
    w->workerThread()->setSleepFunction([](int ms) { slept += ms; });
    QTRY_VERIFY(w->isConnected());
    enterMode2(*w);
    w->answers->openNames << path;
    w->findChild<QAction *>(QStringLiteral("loadAct"))->trigger();
    QMdiSubWindow *sub = w->findSubWindow(Title);
    QVERIFY(sub);
    QTRY_COMPARE(label(sub->widget()), QStringLiteral("Ошибка. Загрузка ПО прервана."));
    QVERIFY(w->logLines().join('\n').contains(
        QStringLiteral("Ошибка, флеш-память занята дольше 10 с")));
    QCOMPARE(slept.load(), 10000);

    QElapsedTimer closing;
    closing.start();
    QVERIFY(w->close());
    QVERIFY(closing.elapsed() < 1000);
    QTRY_VERIFY(!w);
}

QTEST_MAIN(TstLoadWindow)
#include "tst_loadwindow.moc"
