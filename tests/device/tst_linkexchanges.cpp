// The worker's own exchanges with the controller, run on both transports: the simulated one,
// and the libusb backend through an emulated USB device, so that the terminal's bytes cross
// libusb's Linux code path. Later exchanges add their cases here with the same fixture.

#include "device/monitorprotocol.h"
#include "device/tthread.h"
#include "queuedspy.h"
#include "sim/simcontroller.h"
#include "usbbenchtest.h"

#include <QTest>

namespace {

const QString Connected = QStringLiteral("Контроллер VELK K-330S подключен к шине USB");
// lostDevice (a transfer saw the removal) ends with a Latin S, the hot-plug check with a
// Cyrillic С.
const QString Lost = QStringLiteral("Контроллер VELK K-330S отключен от шины USB");
const QString Removed = QStringLiteral("Контроллер VELK K-330С отключен от шины USB");

} // namespace

class TstLinkExchanges : public UsbBenchTest
{
    Q_OBJECT

private:
    std::unique_ptr<TThread> thread;
    std::unique_ptr<QueuedSpy> messages;
    std::unique_ptr<QueuedSpy> connection;

    QList<bool> connStates() const
    {
        QList<bool> out;
        for (const QVariantList &call : connection->calls)
            out.append(call.value(0).toBool());
        return out;
    }

    // Runs the start-up check and waits for the announcement.
    bool connectNow()
    {
        thread->checkDevice();
        return QTest::qWaitFor([this] { return connection->size() > 0; }, 5000)
            && connStates() == QList<bool> {true};
    }

protected:
    void setUp() override
    {
        thread = std::make_unique<TThread>();
        thread->setSleepFunction([](int) {});
        thread->setTransport(bench->makeTransport());
        // As the main window does: every device change runs the hot-plug check.
        connect(thread->hotplug(), &UsbHotplug::deviceChanged, thread.get(), &TThread::checkDevice);
        TThread *worker = thread.get();
        messages = std::make_unique<QueuedSpy>(worker, &TThread::mes);
        connection = std::make_unique<QueuedSpy>(worker, &TThread::conn);
    }

    void tearDown() override
    {
        messages.reset();
        connection.reset();
        thread.reset();
    }

private Q_SLOTS:
    void connectsAtStartup()
    {
        QVERIFY(connectNow());
        QCOMPARE(messages->strings(), QStringList {Connected});
        QVERIFY(thread->isConnected());
        // Handshake on the wire: command 0 asking for 0x4000.
        QCOMPARE(bench->model->moved(usb::Ep1Out).value(0), QByteArray("\x00\x00\x40\x00", 4));
        QCOMPARE(bench->model->activeConfiguration(), usb::ConfigNormal);
    }

    // Another device string: the connection opens but the GUI is not told.
    void otherProductStaysSilent()
    {
        bench->model->setProductString("K-330 test jig");
        thread->checkDevice();
        QTRY_VERIFY(thread->isConnected());
        QTest::qWait(100);
        QCOMPARE(messages->size(), 0);
        QCOMPARE(connection->size(), 0);
    }

    // Identification and the configuration read: the 402-byte record the read window gets.
    void readConfiguration()
    {
        QByteArray pattern(388, '\0');
        for (int i = 0; i < pattern.size(); ++i)
            pattern[i] = char(i * 13 + 1);
        bench->model->setMemory(0, pattern);
        bench->model->setPayloadSize(64); // several blocks
        QVERIFY(connectNow());

        TDev seen {};
        QByteArray record;
        connect(
            thread.get(), &TThread::readDev, this, [&seen](TDev *dev) { seen = *dev; },
            Qt::QueuedConnection);
        connect(
            thread.get(), &TThread::readCfg, this,
            [&record](TK440 *cfg) {
                record = QByteArray(reinterpret_cast<const char *>(cfg->b), TK440::Size);
                delete cfg;
            },
            Qt::QueuedConnection);
        thread->reqRead();
        QTRY_COMPARE(record.size(), qsizetype(TK440::Size));
        const TDev expected = bench->model->identification();
        QCOMPARE(seen.model, expected.model);
        QCOMPARE(seen.version, expected.version);
        QCOMPARE(seen.cpuId, expected.cpuId);
        QCOMPARE(record.left(388), pattern);
        QVERIFY(messages->strings().contains(
            QStringLiteral("Процесс чтения конфигурации завершен, получено 402 байт.")));
    }

    // Configuration write with read-back in mode 10 over a small payload (odd blocks of 61, 21
    // and 1 bytes, read back in blocks of 64), then a read of what the controller now holds.
    void writeConfiguration()
    {
        bench->model->setPayloadSize(64);
        QVERIFY(connectNow());
        thread->setMode(10);
        QByteArray image(TK440::Size, '\0');
        for (int i = 0; i < image.size(); ++i)
            image[i] = char(i * 29 + 7);
        const TDev id = bench->model->identification();
        image[TK440::ModelOffset] = char(id.model & 0xFF);
        image[TK440::ModelOffset + 1] = char(id.model >> 8);

        TThread *worker = thread.get();
        QueuedSpy done(worker, &TThread::writeStp);
        QueuedSpy failed(worker, &TThread::writeErr);
        QByteArray record;
        connect(
            thread.get(), &TThread::readCfg, this,
            [&record](TK440 *cfg) {
                record = QByteArray(reinterpret_cast<const char *>(cfg->b), TK440::Size);
                delete cfg;
            },
            Qt::QueuedConnection);
        thread->reqWrite(image.constData(), 388);
        thread->reqRead();
        QTRY_COMPARE(record.size(), qsizetype(TK440::Size));
        QCOMPARE(done.size(), 1);
        QCOMPARE(failed.size(), 0);
        QCOMPARE(bench->model->memory(0, 388), image.left(388));
        QCOMPARE(record.left(388), image.left(388));
        QVERIFY(messages->strings().contains(
            QStringLiteral("Проверка загруженной конфигурации выполнена. Ошибочных 0 байтов")));
    }

    // Live commands in mode 10: codec register, amplifier, a parameter command and the trace
    // mode reach the controller through the transport, each acknowledged and logged.
    void liveCommands()
    {
        QVERIFY(connectNow());
        thread->setMode(10);
        const quint16 words[3] = {0x1234, 0x0056, 0xFFFF};
        thread->reqCodec(12, 0x3f);
        thread->reqAmp(30);
        thread->reqParam11(words, 6);
        thread->reqTraceMode(0x0102);
        QTRY_COMPARE(messages->size(), 5);
        QCOMPARE(bench->model->codecRegister(12), quint8(0x3f));
        QCOMPARE(bench->model->amplifier(), quint8(30));
        QCOMPARE(bench->model->parameter(11), QByteArray("\x12\x34\x00\x56\xff\xff", 6));
        QCOMPARE(bench->model->traceMode(), quint16(0x0102));
        const QStringList lines = messages->strings().mid(1);
        for (const QString &line : lines)
            QVERIFY2(line.startsWith(QStringLiteral("Переданы параметры")), qPrintable(line));
        QCOMPARE(lines.first(), QStringLiteral("Переданы параметры=>12[0x3f]; "));
        QCOMPARE(connStates(), QList<bool> {true});
    }

    // Firmware load in normal mode: a sector and a bit more, through the serial flash
    // instructions, read back without a differing byte.
    void firmwareLoadNormal()
    {
        QVERIFY(connectNow());
        QByteArray file(0x8000 + 300, '\0');
        for (int i = 0; i < file.size(); ++i)
            file[i] = char(i * 31 + 5);
        TThread *worker = thread.get();
        QueuedSpy done(worker, &TThread::loadStp);
        QueuedSpy failed(worker, &TThread::loadErr);
        thread->reqLoad(file.constData(), uint(file.size()));
        QTRY_COMPARE_WITH_TIMEOUT(done.size() + failed.size(), 1, 30000);
        QCOMPARE(done.size(), 1);
        QCOMPARE(bench->model->flashContents(0, int(file.size())), file);
        QVERIFY(messages->strings().contains(
            QStringLiteral("Проверка загруженного ПО выполнена. Ошибочных 0 байтов")));
        QVERIFY(thread->isConnected());
    }

    // Firmware load without a connection: configuration 1, the stream on endpoint 0x06, closed
    // afterwards so that the next check opens the controller for normal operation.
    void firmwareLoadBoot()
    {
        QByteArray file(1000, '\0');
        for (int i = 0; i < file.size(); ++i)
            file[i] = char(i * 7 + 3);
        TThread *worker = thread.get();
        QueuedSpy done(worker, &TThread::loadStp);
        QueuedSpy failed(worker, &TThread::loadErr);
        thread->reqLoad(file.constData(), uint(file.size()));
        QTRY_COMPARE_WITH_TIMEOUT(done.size() + failed.size(), 1, 10000);
        QCOMPARE(done.size(), 1);
        QCOMPARE(bench->model->bootStream(), file);
        QCOMPARE(bench->model->flashContents(0, 1000), file);
        QCOMPARE(bench->model->moved(usb::Ep6Out).size(), 16);
        QVERIFY(!thread->isConnected());
        QVERIFY(connectNow());
        QCOMPARE(bench->model->activeConfiguration(), usb::ConfigNormal);
    }

    // A check while the controller is still listed changes nothing.
    void deviceChangeWhileConnected()
    {
        QVERIFY(connectNow());
        thread->checkDevice();
        QTest::qWait(200);
        QCOMPARE(connStates(), QList<bool> {true});
        QVERIFY(thread->isConnected());
    }

    // Nothing attached at start-up; the controller plugged in later connects by itself.
    void plugAfterStartup()
    {
        bench->model->unplug();
        thread->checkDevice();
        QTest::qWait(300);
        QCOMPARE(messages->size(), 0);
        QCOMPARE(connection->size(), 0);

        bench->model->plug();
        QTRY_COMPARE_WITH_TIMEOUT(connStates(), QList<bool> {true}, 5000);
        QCOMPARE(messages->strings(), QStringList {Connected});
    }

    // Removal while idle: the hot-plug check notices it (Cyrillic С), and a replug reconnects.
    void removalWhileIdle()
    {
        QVERIFY(connectNow());
        bench->model->unplug();
        QTRY_COMPARE_WITH_TIMEOUT(connStates(), (QList<bool> {true, false}), 5000);
        QCOMPARE(messages->strings(), (QStringList {Connected, Removed}));
        QVERIFY(!thread->isConnected());

        bench->model->plug();
        QTRY_COMPARE_WITH_TIMEOUT(connStates(), (QList<bool> {true, false, true}), 5000);
    }

    // The monitor stream through libusb: two channels switched on, frames of both stored in
    // their blocks as the controller made them, and the stream ended by switching them off.
    void monitorStream()
    {
        QVERIFY(connectNow());
        bench->model->monitorStream().setFlatOut(true);
        TThread *worker = thread.get();
        QueuedSpy ready(worker, &TThread::monitorRdy);
        thread->reqMonitor(0, true);
        thread->reqMonitor(2, true);
        QTRY_VERIFY_WITH_TIMEOUT(ready.size() >= 20, 10000);
        {
            MonitorReadLock lock(thread->monitorRecords());
            QCOMPARE(lock->ch[0].len, quint16(1020));
            QCOMPARE(lock->ch[2].len, quint16(1020));
            // A whole frame of the triangle: consecutive samples of the controller's signal.
            const TMonBlock &b = lock->ch[2];
            const quint64 made = bench->model->monitorStream().framesSent() * 255;
            const auto matches = [&b](quint64 first) {
                for (int i = 0; i < 255; ++i)
                    if (monitor::sample(b, i) != SimMonitorStream::signalSample(2, first + i))
                        return false;
                return true;
            };
            quint64 index = 0;
            while (index <= made && !matches(index))
                index += 255;
            QVERIFY(index <= made);
        }
        thread->reqMonitor(0, false);
        thread->reqMonitor(2, false);
        QTRY_VERIFY_WITH_TIMEOUT(thread->queuedJobs() == 0 && thread->isFinished(), 5000);
        QCOMPARE(thread->monitorMask(), quint16(0));
        QCOMPARE(bench->model->monitorStream().channels(), quint16(0));
        QCOMPARE(connStates(), QList<bool> {true});
    }

    // Removal in the middle of a transfer: the monitor read waiting for a frame gets the
    // removal error and takes the lost-device path (Latin S), long before its own time-out;
    // the stream ends with the connection.
    void unplugDuringTransfer()
    {
        QVERIFY(connectNow());
        // The controller sends nothing on 0x82, so the read waits for its frame.
        bench->model->setEndpointHandler(usb::Ep2In, nullptr);
        thread->reqMonitor(1, true);
        QTRY_COMPARE(thread->monitorMask(), quint16(0x0002));
        QTest::qWait(250); // the read is waiting for a frame
        bench->model->unplug();
        QTRY_COMPARE_WITH_TIMEOUT(connStates(), (QList<bool> {true, false}), 5000);
        // Not the read's time-out (-110), which would leave the connection open.
        const auto transfers = bench->model->transfers();
        int last = 0;
        for (const auto &t : transfers)
            if (t.endpoint == usb::Ep2In)
                last = t.result;
        QCOMPARE(last, int(usb::ErrNoDevice));
        QTest::qWait(200); // the hot-plug check that follows finds nothing more to do
        QCOMPARE(messages->strings(), (QStringList {Connected, Lost}));
        QCOMPARE(connStates(), (QList<bool> {true, false}));
        QCOMPARE(thread->monitorMask(), quint16(0));
        QTRY_VERIFY(thread->queuedJobs() == 0 && thread->isFinished());
        bench->model->setEndpointHandler(usb::Ep2In, &bench->model->monitorStream());
    }
};

QTEST_GUILESS_MAIN(TstLinkExchanges)
#include "tst_linkexchanges.moc"
