// Read and Write windows against the simulated controller: labels, progress, close timers and
// reqClose; and the whole road of a configuration through the main window.

#include "k440fixture.h"
#include "progresswidgets.h"
#include "queuedspy.h"
#include "simrig.h"

#include "app/startup.h"
#include "config/crc16.h"
#include "config/defaultimage.h"
#include "config/image.h"
#include "device/controllers.h"
#include "device/tthread.h"
#include "device/windows/read.h"
#include "device/windows/write.h"
#include "sim/simcontroller.h"
#include "sim/simtransport.h"

#include <QAction>
#include <QDial>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <cstring>

using Fault = SimController::Fault;

using progress::bar;
using progress::button;
using progress::closeTimer;
using progress::label;

namespace {

const int WordArray = TK440::ConfigAreaSize - TK440::CheckedOffset;

// A host-order image of the model with random contents.
TK440 hostImage(quint16 model, quint32 seed)
{
    TK440 img;
    QRandomGenerator gen(seed);
    for (quint8 &b : img.b)
        b = quint8(gen.bounded(256));
    img.setWord(TK440::ModelOffset, model);
    return img;
}

// The image as the controller holds it: word area in wire order, CRC-16/USB high byte first.
QByteArray wireImage(const TK440 &host)
{
    TK440 w = host;
    toDeviceForm(Crc16(), w);
    return QByteArray(w.data(), TK440::IdentOffset);
}

using Rig = WorkerRig;

} // namespace

Q_DECLARE_METATYPE(SimController::Fault)

class TstReadWrite : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void form();
    void readWindow_data();
    void readWindow();
    void readCancelled();
    void writeWindow_data();
    void writeWindow();
    void writeWithDifferingBytes();
    void writeRecord_data();
    void writeRecord();
    void writeUnknownModel();
    void writeCancelled();
    void nextWindowIgnoresCancelledJob_data();
    void nextWindowIgnoresCancelledJob();
    void simulatedStartHoldsDefaults_data();
    void simulatedStartHoldsDefaults();
    void endToEnd();
    void endToEndCancelledRead();
    void cancelWhileRecordQueued();
};

void TstReadWrite::form()
{
    Rig rig;
    rig.sim->unplug();
    rig.thread.checkDevice();
    rig.thread.wait(); // the worker has run the check
    TK440 target {};
    Read r(&rig.thread, &target);
    QCOMPARE(r.size(), QSize(280, 110));
    QCOMPARE(r.windowTitle(), QStringLiteral("Загрузка конфигурации"));
    QCOMPARE(label(&r), QStringLiteral("Запрос идентификатора устройства"));
    QCOMPARE(button(&r)->text(), QStringLiteral("Отменить"));
    QCOMPARE(bar(&r)->maximum(), 402);
    QCOMPARE(bar(&r)->value(), 0);
    QCOMPARE(bar(&r)->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
}

void TstReadWrite::readWindow_data()
{
    QTest::addColumn<quint16>("model");
    QTest::addColumn<quint16>("version");
    QTest::addColumn<bool>("corrupt");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<QString>("readingLabel"); // after the identification, or empty
    QTest::addColumn<QString>("finalLabel");
    QTest::addColumn<int>("closeMs");
    QTest::addColumn<bool>("ok");

    const QString err = QStringLiteral("Ошибка. Чтение конфигурации прервано.");
    QTest::newRow("K-330RA") << TK440::ModelRA << quint16(0x0201) << false << true
                             << "Контроллер K-330RA, чтение конфигурации."
                             << "Контроллер К-330RA, конфигурации прочитана." << 500 << true;
    QTest::newRow("K-330RB") << TK440::ModelRB << quint16(0x0200) << false << true
                             << "Контроллер К-330RB, чтение конфигурации."
                             << "Контроллер К-330RB, конфигурации прочитана." << 500 << true;
    QTest::newRow("device type 770")
        << quint16(770) << quint16(0x0201) << false << true << QString()
        << "Ошибка (770), чтение остановлено" << 5000 << false;
    QTest::newRow("corrupted image") << TK440::ModelRA << quint16(0x0201) << true << true
                                     << QString() << "CRC" << 10000 << false;
    QTest::newRow("version 0x0202")
        << TK440::ModelRA << quint16(0x0202) << false << true << QString() << err << 5000 << false;
    QTest::newRow("no connection")
        << TK440::ModelRA << quint16(0x0201) << false << false << QString() << err << 5000 << false;
}

void TstReadWrite::readWindow()
{
    QFETCH(quint16, model);
    QFETCH(quint16, version);
    QFETCH(bool, corrupt);
    QFETCH(bool, connected);
    QFETCH(QString, readingLabel);
    QFETCH(QString, finalLabel);
    QFETCH(int, closeMs);
    QFETCH(bool, ok);

    Rig rig;
    rig.sim->setModel(model);
    rig.sim->setVersion(version);
    const TK440 host = hostImage(model, 11);
    QByteArray wire = wireImage(host);
    const quint16 stored = quint16(quint8(wire[0]) | (quint8(wire[1]) << 8));
    if (corrupt) {
        wire[60] = char(wire[60] ^ 0x10);
        const quint16 computed = Crc16().compute(wire.constData() + 2, WordArray);
        finalLabel = QStringLiteral("Конфигурация повреждена, CRC: 0x%1!=0x%2")
                         .arg(computed, 0, 16)
                         .arg(stored, 0, 16);
    }
    rig.sim->setMemory(0, wire);
    if (!connected) {
        rig.sim->unplug();
        rig.thread.checkDevice();
        rig.thread.wait(); // the worker has run the check
    }
    // The identification reply waits a little, so that the window is seen before it.
    rig.sim->failTransfer(3, Fault::delay(200));

    TK440 target;
    std::memset(target.b, 0xA5, TK440::Size);
    const QByteArray before(target.data(), TK440::Size);
    Read r(&rig.thread, &target);
    r.setWindowTitle(QStringLiteral("Прочитать"));
    QSignalSpy close(&r, &Read::reqClose);
    if (!readingLabel.isEmpty()) {
        QTRY_COMPARE(label(&r), readingLabel);
        QCOMPARE(bar(&r)->value(), 14);
        QCOMPARE(button(&r)->text(), QStringLiteral("Отменить"));
    }
    QTRY_COMPARE(label(&r), finalLabel);
    QCOMPARE(button(&r)->text(), QStringLiteral("Закрыть"));
    QVERIFY(closeTimer(&r)->isActive());
    QCOMPARE(closeTimer(&r)->interval(), closeMs);
    QTRY_VERIFY(!rig.thread.isRunning()); // a refused device type: the job still completes

    if (ok) {
        QCOMPARE(bar(&r)->value(), 402);
        QTRY_COMPARE(close.size(), 1); // by the 500 ms timer
        TK440 expected = host;
        expected.setWord(TK440::CrcOffset, stored);
        const TDev id = rig.sim->identification();
        std::memcpy(expected.b + TK440::IdentOffset, &id, sizeof id);
        QCOMPARE(QByteArray(target.data(), TK440::Size), QByteArray(expected.data(), TK440::Size));
    } else {
        QTest::qWait(50);
        QCOMPARE(QByteArray(target.data(), TK440::Size), before);
        QCOMPARE(close.size(), 0);
        button(&r)->click();
        QCOMPARE(close.size(), 1);
    }
    QCOMPARE(close.last().at(0).toString(), QStringLiteral("Прочитать"));
    QCOMPARE(close.last().at(1).toBool(), ok);
    QVERIFY(!closeTimer(&r)->isActive());
}

// Cancelling closes the window at once; the job runs to its end and nothing is adopted.
void TstReadWrite::readCancelled()
{
    Rig rig;
    rig.sim->setMemory(0, wireImage(hostImage(TK440::ModelRA, 3)));
    rig.sim->failTransfer(3, Fault::delay(300));
    QueuedSpy log(&rig.thread, &TThread::mes);
    TK440 target {};
    auto *r = new Read(&rig.thread, &target);
    r->setWindowTitle(QStringLiteral("Прочитать"));
    QSignalSpy close(r, &Read::reqClose);
    QTRY_COMPARE(bar(r)->value(), 14);
    button(r)->click();
    QCOMPARE(close.size(), 1);
    QCOMPARE(close.last().at(1).toBool(), false);
    delete r; // as the main window does on reqClose
    QTRY_COMPARE(log.size(), 1);
    QCOMPARE(log.strings().last(),
             QStringLiteral("Процесс чтения конфигурации завершен, получено 402 байт."));
    QTRY_VERIFY(!rig.thread.isRunning());
    QTest::qWait(20);
    QCOMPARE(QByteArray(target.data(), TK440::Size), QByteArray(TK440::Size, '\0'));
}

void TstReadWrite::writeWindow_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<quint16>("deviceModel");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("ok");

    QTest::newRow("mode 1") << 1 << TK440::ModelRA << 182 << true;
    QTest::newRow("mode 3") << 3 << TK440::ModelRA << 388 << true;
    QTest::newRow("mode 10") << 10 << TK440::ModelRA << 388 << true;
    QTest::newRow("mode 2") << 2 << TK440::ModelRA << 182 << true;
    QTest::newRow("controller of another model") << 1 << TK440::ModelRB << 182 << false;
}

void TstReadWrite::writeWindow()
{
    QFETCH(int, mode);
    QFETCH(quint16, deviceModel);
    QFETCH(int, count);
    QFETCH(bool, ok);

    Rig rig(mode);
    rig.sim->setModel(deviceModel);
    const QByteArray memoryBefore = rig.sim->memory(0, 388);
    rig.sim->failTransfer(1, Fault::delay(150));
    const TK440 host = hostImage(TK440::ModelRA, 5);
    Write w(&rig.thread, &host, mode);
    w.setWindowTitle(QStringLiteral("Записать"));
    QSignalSpy close(&w, &Write::reqClose);
    QCOMPARE(bar(&w)->maximum(), count);
    QCOMPARE(label(&w), QStringLiteral("Запрос идентификатора устройства"));
    QCOMPARE(button(&w)->text(), QStringLiteral("Отменить"));

    if (ok) {
        QTRY_COMPARE(label(&w), QStringLiteral("Контроллер К-330RA, конфигурации записана."));
        QCOMPARE(button(&w)->text(), QStringLiteral("Закрыть"));
        QCOMPARE(bar(&w)->value(), count); // the read-back ran to the count as well
        QCOMPARE(closeTimer(&w)->interval(), 1000);
        QTRY_COMPARE(close.size(), 1);
        QCOMPARE(close.last().at(1).toBool(), true);
        QCOMPARE(rig.sim->memory(0, count), wireImage(host).left(count));
        QCOMPARE(rig.sim->memory(count, 388 - count), memoryBefore.mid(count));
    } else {
        QTRY_COMPARE(label(&w), QStringLiteral("Ошибка. Запись конфигурации прервана."));
        QCOMPARE(button(&w)->text(), QStringLiteral("Закрыть"));
        QCOMPARE(closeTimer(&w)->interval(), 5000);
        QCOMPARE(rig.sim->memory(0, 388), memoryBefore);
        button(&w)->click();
        QCOMPARE(close.size(), 1);
        QCOMPARE(close.last().at(1).toBool(), false);
    }
    QCOMPARE(close.last().at(0).toString(), QStringLiteral("Записать"));
}

// Bytes that differ on read-back are only counted in the log; the window reports success.
void TstReadWrite::writeWithDifferingBytes()
{
    Rig rig;
    const TK440 host = hostImage(TK440::ModelRA, 13);
    QByteArray reply = QByteArray::fromHex("000300b600020050") + wireImage(host).left(182);
    for (int i : {8 + 3, 8 + 90, 8 + 150})
        reply[i] = char(reply[i] ^ 0x01);
    rig.sim->failTransfer(12, Fault::replace(reply)); // the read-back reply
    QueuedSpy log(&rig.thread, &TThread::mes);
    Write w(&rig.thread, &host, 1);
    QSignalSpy close(&w, &Write::reqClose);
    QTRY_COMPARE(label(&w), QStringLiteral("Контроллер К-330RA, конфигурации записана."));
    QCOMPARE(log.strings().last(),
             QStringLiteral("Проверка загруженной конфигурации выполнена. Ошибочных 3 байтов"));
    QTRY_COMPARE(close.size(), 1);
    QCOMPARE(close.last().at(1).toBool(), true);
}

void TstReadWrite::writeRecord_data()
{
    QTest::addColumn<bool>("backup");
    QTest::addColumn<bool>("differs"); // the read-back reply has three bytes changed
    QTest::newRow("backup kept") << true << false;
    QTest::newRow("no backup, read-back differs") << false << true;
}

// One record per write from the window, with the controller's identity, the backup of what it
// held before (the changed fields listed in the log) and the outcome of the read-back.
void TstReadWrite::writeRecord()
{
    QFETCH(bool, backup);
    QFETCH(bool, differs);
    Rig rig;
    const TK440 before = hostImage(TK440::ModelRA, 21);
    rig.sim->setMemory(0, wireImage(before));
    const TK440 host = hostImage(TK440::ModelRA, 22);
    if (differs) {
        QByteArray reply = QByteArray::fromHex("000300b600020050") + wireImage(host).left(182);
        for (int i : {8 + 3, 8 + 90, 8 + 150})
            reply[i] = char(reply[i] ^ 0x01);
        rig.sim->failTransfer(12, Fault::replace(reply));
    }
    QList<OperationRecord> records;
    QStringList log;
    OperationJournal journal {[&records](const OperationRecord &r) { records << r; },
                              [&log](const QString &line) { log << line; }, backup,
                              QStringLiteral("/tmp/a.mcd")};
    Write w(&rig.thread, &host, 1, nullptr, journal);
    QTRY_COMPARE(records.size(), 1);
    const OperationRecord &r = records.first();
    const TDev id = rig.sim->identification();
    QCOMPARE(r.operation, RecordedOperation::Write);
    QCOMPARE(r.model, int(TK440::ModelRA));
    QCOMPARE(r.serial, (ControllerIdentity {QString(), id, QString()}.serialText()));
    QCOMPARE(r.cpuId, int(id.cpuId));
    QCOMPARE(r.portPath, QStringLiteral("1-1"));
    QCOMPARE(r.fileName, QStringLiteral("/tmp/a.mcd"));
    QCOMPARE(r.mode, QStringLiteral("1"));
    QCOMPARE(r.outcome, differs ? RecordedOutcome::Differs : RecordedOutcome::Verified);
    QCOMPARE(r.differingBytes, differs ? 3 : 0);
    QCOMPARE(r.writtenImage, QByteArray(host.data(), TK440::Size));
    // The backup is the configuration as a read of the window's own would adopt it.
    QCOMPARE(r.readImage.mid(2, TK440::IdentOffset - 2),
             backup ? QByteArray(before.data() + 2, TK440::IdentOffset - 2) : QByteArray());
    QCOMPARE(log.size(), backup ? 1 + MaxChangeLines + 1 : 0);
    if (backup)
        QVERIFY(log.last().contains(
            QString::number(writeChanges(before, host, 1).size() - MaxChangeLines)));
}

void TstReadWrite::writeUnknownModel()
{
    Rig rig;
    const TK440 host = hostImage(770, 5);
    Write w(&rig.thread, &host, 1);
    QSignalSpy close(&w, &Write::reqClose);
    QTest::qWait(100);
    QCOMPARE(rig.thread.queuedJobs(), 0);
    QVERIFY(!rig.thread.isRunning());
    QVERIFY(rig.sim->transfers().isEmpty());
    QCOMPARE(label(&w), QStringLiteral("Запрос идентификатора устройства"));
    QCOMPARE(button(&w)->text(), QStringLiteral("Отменить"));
    QVERIFY(!closeTimer(&w)->isActive());
    button(&w)->click();
    QCOMPARE(close.size(), 1);
    QCOMPARE(close.last().at(1).toBool(), false);
}

void TstReadWrite::writeCancelled()
{
    Rig rig;
    rig.sim->failTransfer(3, Fault::delay(300));
    const TK440 host = hostImage(TK440::ModelRA, 9);
    QueuedSpy log(&rig.thread, &TThread::mes);
    auto *w = new Write(&rig.thread, &host, 1);
    QSignalSpy close(w, &Write::reqClose);
    QTRY_COMPARE(label(w), QStringLiteral("Контроллер К-330RA, загрузка конфигурации."));
    button(w)->click();
    QCOMPARE(close.size(), 1);
    QCOMPARE(close.last().at(1).toBool(), false);
    delete w;
    // The job goes on to the end although nobody listens.
    QTRY_COMPARE(log.size(), 2);
    QCOMPARE(rig.sim->memory(0, 182), wireImage(host).left(182));
}

// A window cancelled while its job runs, then the same window again: the second one takes only
// its own job's signals, not the first job's end.
void TstReadWrite::nextWindowIgnoresCancelledJob_data()
{
    QTest::addColumn<bool>("read");
    QTest::newRow("read") << true;
    QTest::newRow("write") << false;
}

void TstReadWrite::nextWindowIgnoresCancelledJob()
{
    QFETCH(bool, read);
    Rig rig;
    const TK440 host = hostImage(TK440::ModelRA, 31);
    rig.sim->setMemory(0, wireImage(host));
    // One job without a window, to count its transfers.
    const int before = int(rig.sim->transfers().size());
    if (read)
        rig.thread.reqRead();
    else
        rig.thread.reqWrite(host.data(), 182);
    QTRY_VERIFY(!rig.thread.isRunning());
    const int perJob = int(rig.sim->transfers().size()) - before;
    // A slow first block in each of the two jobs, so that the second job is still running when
    // the first one has ended.
    rig.sim->failTransfer(3, Fault::delay(300));
    rig.sim->failTransfer(perJob + 3, Fault::delay(600));
    QueuedSpy log(&rig.thread, &TThread::mes);
    TK440 target1 {}, target2 {};
    auto make = [&](TK440 *target) -> ProgressWindow * {
        ProgressWindow *w = read ? static_cast<ProgressWindow *>(new Read(&rig.thread, target))
                                 : new Write(&rig.thread, &host, 1);
        w->setWindowTitle(read ? QStringLiteral("Прочитать") : QStringLiteral("Записать"));
        return w;
    };
    ProgressWindow *first = make(&target1);
    QTRY_VERIFY(int(rig.sim->transfers().size()) >= before + perJob + 2);
    button(first)->click();
    delete first;
    ProgressWindow *second = make(&target2);
    QSignalSpy close(second, &ProgressWindow::reqClose);
    const QString done = read ? QStringLiteral("Контроллер К-330RA, конфигурации прочитана.")
                              : QStringLiteral("Контроллер К-330RA, конфигурации записана.");
    const int linesPerJob = read ? 1 : 2;

    QTRY_COMPARE(log.size(), linesPerJob); // the first job has ended
    QTest::qWait(50);
    QVERIFY(label(second) != done);
    QCOMPARE(button(second)->text(), QStringLiteral("Отменить"));
    QCOMPARE(QByteArray(target2.data(), TK440::Size), QByteArray(TK440::Size, '\0'));

    QTRY_COMPARE(label(second), done); // its own job's end
    QTRY_COMPARE(close.size(), 1);
    QCOMPARE(close.last().at(1).toBool(), true);
    QCOMPARE(log.size(), 2 * linesPerJob);
    if (read)
        QCOMPARE(QByteArray(target2.data(), TK440::IdentOffset).mid(2),
                 QByteArray(host.data(), TK440::IdentOffset).mid(2));
    delete second;
}

// "--simulate" gives a controller holding its model's factory defaults: a first read through
// the main window adopts exactly what a new configuration of that model holds.
void TstReadWrite::simulatedStartHoldsDefaults_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("code");
    QTest::newRow("RA") << QStringLiteral("RA") << int(TK440::ModelRA);
    QTest::newRow("RB") << QStringLiteral("RB") << int(TK440::ModelRB);
}

void TstReadWrite::simulatedStartHoldsDefaults()
{
    QFETCH(QString, model);
    QFETCH(int, code);
    const StartOptions options =
        parseStartOptions({QStringLiteral("k330-terminal"), QStringLiteral("--simulate"),
                           QStringLiteral("--sim-model"), model});
    TestK440 w(options.transport);
    w.workerThread()->setSleepFunction([](int) {});
    QTRY_VERIFY(w.isConnected());
    w.read();
    QTRY_VERIFY(w.documentImage());
    QTRY_VERIFY(!w.findSubWindow(QStringLiteral("Прочитать")));

    TK440 expected;
    makeDefaultImage(expected, quint16(code));
    const QByteArray read(w.documentImage()->data(), TK440::Size);
    const QByteArray defaults(expected.data(), TK440::Size);
    QCOMPARE(read.mid(2, TK440::IdentOffset - 2), defaults.mid(2, TK440::IdentOffset - 2));
    QCOMPARE(int(w.documentImage()->model()), code);
}

// Read through the main window, adopt, edit on a page, keep the edit, write it back, read it
// again.
void TstReadWrite::endToEnd()
{
    auto sim = makeSimulatedController(QStringLiteral("RA"));
    sim->setMemory(0, wireImage(hostImage(TK440::ModelRA, 21)));
    TestK440 w([sim] { return makeSimulatedTransport(sim); });
    w.workerThread()->setSleepFunction([](int) {});
    QTRY_VERIFY(w.isConnected()); // the start-up check runs on the worker

    auto action = [&](const char *text) {
        for (QAction *a : w.findChildren<QAction *>()) {
            if (a->text() == QString::fromUtf8(text))
                return a;
        }
        return static_cast<QAction *>(nullptr);
    };
    action("&Прочитать")->trigger();
    QVERIFY(w.findSubWindow(QStringLiteral("Прочитать")));
    QVERIFY(!w.documentImage());
    QTRY_VERIFY(w.documentImage());
    QTRY_VERIFY(!w.findSubWindow(QStringLiteral("Прочитать")));
    QCOMPARE(w.statusBar()->currentMessage(), QStringLiteral("Прочитана конфигурация"));
    QCOMPARE(w.deviceDock()->windowTitle(), QStringLiteral(" K-330RA"));
    QVERIFY(w.logLines().join('\n').contains(
        QStringLiteral("Загружена конфигурация контроллера K-330RA")));
    QVERIFY(treeTexts(w.deviceTree()).contains(QStringLiteral("  Усилитель НЧ")));
    QVERIFY(action("&Записать")->isEnabled());

    // Edit the LF amplifier and keep it.
    const QByteArray readImage(w.documentImage()->data(), TK440::Size);
    w.openWin(QStringLiteral("Усилитель НЧ"));
    QWidget *page = w.findSubWindow(QStringLiteral("Усилитель НЧ"))->widget();
    auto *dial = page->findChild<QDial *>(QStringLiteral("dialGain"));
    dial->setValue(dial->value() == dial->maximum() ? dial->minimum() : dial->maximum());
    page->findChild<QPushButton *>(QStringLiteral("bSave"))->click();
    QTRY_VERIFY(!w.findSubWindow(QStringLiteral("Усилитель НЧ")));
    const QByteArray edited(w.documentImage()->data(), TK440::Size);
    QVERIFY(edited.mid(TK440::AmpOffset, TK440::AmpSize)
            != readImage.mid(TK440::AmpOffset, TK440::AmpSize));

    action("&Записать")->trigger();
    QVERIFY(w.findSubWindow(QStringLiteral("Записать")));
    QTRY_VERIFY(w.logLines().join('\n').contains(
        QStringLiteral("Проверка загруженной конфигурации выполнена. Ошибочных 0 байтов")));
    QTRY_VERIFY(!w.findSubWindow(QStringLiteral("Записать")));

    // Read it back: the controller now holds the edit.
    w.answers->yesNo << true;
    action("&Прочитать")->trigger();
    QCOMPARE(w.answers->asked, QStringList {QStringLiteral("Закрыть текущее устройство")});
    QTRY_VERIFY(w.documentImage());
    // The checksum word is the one the write computed; everything else is the edited image.
    QCOMPARE(QByteArray(w.documentImage()->data(), TK440::Size).mid(2), edited.mid(2));
}

// Cancelling the read through the main window: the window goes at once, the job runs on, and no
// configuration is open afterwards, not even the one open before.
void TstReadWrite::endToEndCancelledRead()
{
    auto sim = makeSimulatedController(QStringLiteral("RA"));
    sim->setMemory(0, wireImage(hostImage(TK440::ModelRA, 22)));
    TestK440 w([sim] { return makeSimulatedTransport(sim); });
    QTRY_VERIFY(w.isConnected()); // the start-up check runs on the worker
    w.showImage(TK440::ModelRA, 0x11);
    QVERIFY(w.documentImage());

    QueuedSpy log(w.workerThread(), &TThread::mes);
    sim->failTransfer(3, Fault::delay(300));
    w.answers->yesNo << true;
    w.read();
    QMdiSubWindow *sub = w.findSubWindow(QStringLiteral("Прочитать"));
    QVERIFY(sub);
    QTRY_COMPARE(bar(sub->widget())->value(), 14);
    button(sub->widget())->click();
    QTRY_VERIFY(!w.findSubWindow(QStringLiteral("Прочитать")));
    QVERIFY(!w.documentImage());
    QTRY_COMPARE(log.size(), 1); // the job ran to its end
    QVERIFY(log.strings().last().endsWith(QStringLiteral("402 байт.")));
    QTest::qWait(600);
    QVERIFY(!w.documentImage());
}

// "Отменить" after the worker has finished the read but before its record reaches the window:
// the main window drops the image the read was to fill, and the record must not land in it.
// (AddressSanitizer reports the write into the freed image.)
void TstReadWrite::cancelWhileRecordQueued()
{
    auto sim = makeSimulatedController(QStringLiteral("RA"));
    sim->setMemory(0, wireImage(hostImage(TK440::ModelRA, 23)));
    TestK440 w([sim] { return makeSimulatedTransport(sim); });
    QTRY_VERIFY(w.isConnected());
    w.read();
    QMdiSubWindow *sub = w.findSubWindow(QStringLiteral("Прочитать"));
    QVERIFY(sub);
    // The worker runs the whole read while this thread delivers nothing.
    QElapsedTimer clock;
    clock.start();
    while (w.workerThread()->isRunning() && clock.elapsed() < 5000)
        QThread::msleep(5);
    QVERIFY(!w.workerThread()->isRunning());
    QCOMPARE(button(sub->widget())->text(), QStringLiteral("Отменить"));
    button(sub->widget())->click();
    QTRY_VERIFY(!w.findSubWindow(QStringLiteral("Прочитать")));
    QTest::qWait(100);
    QVERIFY(!w.documentImage());
    QVERIFY(w.statusBar()->currentMessage().isEmpty());
}

QTEST_MAIN(TstReadWrite)
#include "tst_readwrite.moc"
