// Connection to the controller through the simulated transport: handshake, failures,
// removal, hot-plug, and the hot-plug check against running jobs.

#include "probethread.h"
#include "queuedspy.h"
#include "simrig.h"
#include "testsupport.h"

#include "config/defaultimage.h"
#include "device/monitorprotocol.h"
#include "device/operations/controllerrun.h"
#include "device/operations/writeoperation.h"

#include <QElapsedTimer>
#include <QTest>

#include <thread>
#include <vector>

namespace {

const QString Connected = QStringLiteral("Контроллер VELK K-330S подключен к шине USB");
const QString LostLatin = QStringLiteral("Контроллер VELK K-330S отключен от шины USB");
const QString LostCyrillic = QStringLiteral("Контроллер VELK K-330С отключен от шины USB");

TThread *base(ProbeThread &t)
{
    return &t;
}

QList<SimController::Transfer> bulkTransfers(const SimController &sim)
{
    QList<SimController::Transfer> out;
    for (const auto &t : sim.transfers()) {
        if (t.endpoint != 0)
            out.append(t);
    }
    return out;
}

// Forwards to another transport and counts calls that run at the same time: the worker and
// the hot-plug check must never use the transport together.
class GuardTransport : public UsbTransport
{
public:
    explicit GuardTransport(std::unique_ptr<UsbTransport> inner)
        : next(std::move(inner))
    {
        connect(next.get(), &UsbTransport::deviceChanged, this, &UsbTransport::deviceChanged,
                Qt::DirectConnection);
    }
    std::atomic<int> inside {0};
    std::atomic<int> overlaps {0};

    int open(quint16 v, quint16 p) override
    {
        return guarded([&] { return next->open(v, p); });
    }
    bool isOpen() const override { return next->isOpen(); }
    int productString(QByteArray *out, int max) override
    {
        return guarded([&] { return next->productString(out, max); });
    }
    int setConfiguration(int c) override
    {
        return guarded([&] { return next->setConfiguration(c); });
    }
    int claimInterface(int i) override
    {
        return guarded([&] { return next->claimInterface(i); });
    }
    int prepareEndpoint(quint8 e) override
    {
        return guarded([&] { return next->prepareEndpoint(e); });
    }
    int bulkWrite(quint8 e, const char *d, int s, int t) override
    {
        return guarded([&] { return next->bulkWrite(e, d, s, t); });
    }
    int bulkRead(quint8 e, char *d, int s, int t) override
    {
        return guarded([&] { return next->bulkRead(e, d, s, t); });
    }
    void close() override
    {
        guarded([&] {
            next->close();
            return 0;
        });
    }
    bool isListed(quint16 v, quint16 p) override
    {
        return guarded([&] { return next->isListed(v, p) ? 1 : 0; });
    }
    bool watch(quint16 v, quint16 p) override { return next->watch(v, p); }
    QList<UsbPortInfo> list(quint16 v, quint16 p) override { return next->list(v, p); }
    void setPortPath(const QString &path) override { next->setPortPath(path); }
    QString portPath() const override { return next->portPath(); }

private:
    template<typename F> int guarded(F f)
    {
        if (++inside > 1)
            ++overlaps;
        QThread::usleep(50); // widen the window in which an overlap would show
        const int r = f();
        --inside;
        return r;
    }
    std::unique_ptr<UsbTransport> next;
};

enum Setup {
    NotListed,
    AccessDenied,
    OpenFails,
    ConfigFails,
    ClaimFails,
    NoEp1Out,
    NoEp1In,
    NoEp2In,
    WriteFails,
    ReadFails,
    ReadTimesOut,
    ShortReply,
    EmptyReply,
    ZeroPayload,
    OtherProduct,
    NoProductString,
};

} // namespace

class TstConnection : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void handshakeOnTheWire_data();
    void handshakeOnTheWire();
    void failureTable_data();
    void failureTable();
    void productStringKeptWhenUnreadable();
    void openFailureReportedOncePerAttachment();
    void removalByCheckUsesCyrillicName();
    void removalByTransferError_data();
    void removalByTransferError();
    void jobsSeeNoConnection();
    void plugAfterStartConnects();
    void replugBetweenChecksReopens();
    void checkWaitsForRunningJob();
    void checkAndRequestsStress();
    void twoWorkersShareNothing();
    void operationsOnOneBusShareNothing();
};

void TstConnection::handshakeOnTheWire_data()
{
    QTest::addColumn<int>("payload");
    QTest::newRow("N=512") << 512;
    QTest::newRow("N=100") << 100;
    QTest::newRow("N=1") << 1;
    QTest::newRow("N=65535") << 65535;
}

void TstConnection::handshakeOnTheWire()
{
    QFETCH(int, payload);
    ProbeThread t;
    SimRig rig(t);
    rig.sim->setPayloadSize(quint16(payload));
    QueuedSpy mes(base(t), &TThread::mes);
    QueuedSpy conn(base(t), &TThread::conn);
    t.checkDevice();
    t.wait(); // the worker has run the check
    QTRY_COMPARE(conn.size(), 1);
    QCOMPARE(conn.at(0).value(0).toBool(), true);
    QCOMPARE(mes.strings(), QStringList {Connected});
    QVERIFY(t.isConnected());
    QCOMPARE(rig.sim->activeConfiguration(), 2);
    QCOMPARE(t.linkBufferSize(), payload + 8);

    const auto wire = bulkTransfers(*rig.sim);
    QCOMPARE(wire.size(), 2);
    QCOMPARE(wire[0].endpoint, quint8(0x01));
    QCOMPARE(wire[0].data, hexBytes("00 00 40 00"));
    QCOMPARE(wire[0].timeoutMs, 1000);
    QCOMPARE(wire[1].endpoint, quint8(0x81));
    QCOMPARE(wire[1].requested, 4);
    QCOMPARE(wire[1].timeoutMs, 1000);
    QCOMPARE(wire[1].data, QByteArray("\x00\x00", 2) + char(payload >> 8) + char(payload & 0xFF));
    // The product string is read with a 20-byte buffer.
    QCOMPARE(rig.sim->transfers().first().endpoint, quint8(0));
    QCOMPARE(rig.sim->transfers().first().requested, 20);

    // A further device change while the controller is listed changes nothing.
    t.checkDevice();
    t.wait(); // the worker has run the check
    QTest::qWait(50);
    QCOMPARE(mes.size(), 1);
    QCOMPARE(conn.size(), 1);
    QCOMPARE(bulkTransfers(*rig.sim).size(), 2);
}

void TstConnection::failureTable_data()
{
    QTest::addColumn<int>("setup");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("open");

    QTest::newRow("no controller listed") << int(NotListed) << QStringList() << false;
    QTest::newRow("no access rights")
        << int(AccessDenied)
        << QStringList {"Нет доступа к контроллеру на шине USB (права доступа), Error=-13"}
        << false;
    QTest::newRow("open fails otherwise")
        << int(OpenFails) << QStringList {"Контроллер на шине USB не открывается, Error=-16"}
        << false;
    QTest::newRow("configuration cannot be set")
        << int(ConfigFails) << QStringList {"Конфигурация контроллера не доступна, Error=-16"}
        << false;
    QTest::newRow("interface cannot be claimed")
        << int(ClaimFails) << QStringList {"Интерфейс контроллера не доступен"} << false;
    QTest::newRow("no endpoint 0x01")
        << int(NoEp1Out) << QStringList {"Ошибка Ep1out=>-2"} << false;
    QTest::newRow("no endpoint 0x81") << int(NoEp1In) << QStringList {"Ошибка Ep1in=>-2"} << false;
    QTest::newRow("no endpoint 0x82") << int(NoEp2In) << QStringList {"Ошибка Ep2in=>-2"} << false;
    QTest::newRow("handshake write fails")
        << int(WriteFails) << QStringList {"Ошибка передачи данных=>-5"} << false;
    QTest::newRow("handshake read fails")
        << int(ReadFails) << QStringList {"Ошибка приема данных=>-32"} << false;
    QTest::newRow("handshake read times out")
        << int(ReadTimesOut) << QStringList {"Ошибка приема данных=>-110"} << false;
    QTest::newRow("reply of 3 bytes")
        << int(ShortReply) << QStringList {"Ошибка инициализации соединения"} << false;
    QTest::newRow("empty reply") << int(EmptyReply)
                                 << QStringList {"Ошибка инициализации соединения"} << false;
    QTest::newRow("N = 0") << int(ZeroPayload) << QStringList {"Ошибка инициализации соединения"}
                           << false;
    QTest::newRow("other product string") << int(OtherProduct) << QStringList() << true;
    QTest::newRow("product string unreadable") << int(NoProductString) << QStringList() << true;
}

void TstConnection::failureTable()
{
    QFETCH(int, setup);
    QFETCH(QStringList, messages);
    QFETCH(bool, open);

    ProbeThread t;
    SimRig rig(t);
    SimController &sim = *rig.sim;
    switch (Setup(setup)) {
    case NotListed:
        sim.unplug();
        break;
    case AccessDenied:
        sim.failStep(SimController::StepOpen, -13);
        break;
    case OpenFails:
        sim.failStep(SimController::StepOpen, -16);
        break;
    case ConfigFails:
        sim.failStep(SimController::StepSetConfiguration, -16);
        break;
    case ClaimFails:
        sim.failStep(SimController::StepClaim, -16);
        break;
    case NoEp1Out:
        sim.setEndpoints(2, {0x81, 0x82});
        break;
    case NoEp1In:
        sim.setEndpoints(2, {0x01, 0x82});
        break;
    case NoEp2In:
        sim.setEndpoints(2, {0x01, 0x81});
        break;
    case WriteFails:
        sim.failTransfer(1, SimController::Fault::error(-5));
        break;
    case ReadFails:
        sim.failNext(0x81, SimController::Fault::error(-32));
        break;
    case ReadTimesOut:
        sim.failNext(0x81, SimController::Fault::timeout());
        break;
    case ShortReply:
        sim.failNext(0x81, SimController::Fault::shortened(3));
        break;
    case EmptyReply:
        sim.failNext(0x81, SimController::Fault::empty());
        break;
    case ZeroPayload:
        sim.setPayloadSize(0);
        break;
    case OtherProduct:
        sim.setProductString("VELK K-330");
        break;
    case NoProductString:
        sim.failStep(SimController::StepProductString, -32);
        break;
    }
    QueuedSpy mes(base(t), &TThread::mes);
    QueuedSpy conn(base(t), &TThread::conn);
    t.checkDevice();
    t.wait(); // the worker has run the check
    QTest::qWait(50);
    QCOMPARE(mes.strings(), messages);
    QCOMPARE(conn.size(), 0); // a failed or unannounced connection tells the GUI nothing
    QCOMPARE(t.isConnected(), open);

    // Nothing is retried by itself; the next device change tries again with a sound device.
    sim.clearFaults();
    sim.setEndpoints(2, {0x01, 0x81, 0x82});
    sim.setPayloadSize(512);
    sim.plug();
    t.checkDevice();
    t.wait(); // the worker has run the check
    QTRY_VERIFY(t.isConnected());
    QCOMPARE(t.linkBufferSize(), 520);
}

void TstConnection::productStringKeptWhenUnreadable()
{
    ProbeThread t;
    SimRig rig(t);
    QVERIFY(rig.connect());
    QCOMPARE(t.linkProduct(), QStringLiteral("VELK K-330S"));
    rig.sim->unplug();
    t.checkDevice();
    t.wait(); // the worker has run the check
    QVERIFY(!t.isConnected());
    // The string read fails on the next opening: the earlier value still announces it.
    rig.sim->failStep(SimController::StepProductString, -32);
    rig.sim->plug();
    QueuedSpy conn(base(t), &TThread::conn);
    t.checkDevice();
    t.wait(); // the worker has run the check
    QTRY_COMPARE(conn.size(), 1);
    QCOMPARE(conn.at(0).value(0).toBool(), true);
}

void TstConnection::openFailureReportedOncePerAttachment()
{
    ProbeThread t;
    SimRig rig(t);
    rig.sim->failStep(SimController::StepOpen, -13);
    QueuedSpy mes(base(t), &TThread::mes);
    t.checkDevice();
    t.wait(); // the worker has run the check
    t.checkDevice();
    t.wait(); // the worker has run the check
    t.checkDevice();
    t.wait(); // the worker has run the check
    QTRY_COMPARE(mes.size(), 1);
    QTest::qWait(30);
    QCOMPARE(mes.size(), 1);
    // Unplugged and plugged again: said once more.
    rig.sim->unplug();
    t.checkDevice();
    t.wait(); // the worker has run the check
    rig.sim->plug();
    t.checkDevice();
    t.wait(); // the worker has run the check
    QTRY_COMPARE(mes.size(), 2);
    QCOMPARE(mes.strings().last(),
             QStringLiteral("Нет доступа к контроллеру на шине USB (права доступа), Error=-13"));
}

void TstConnection::removalByCheckUsesCyrillicName()
{
    ProbeThread t;
    SimRig rig(t);
    QVERIFY(rig.connect());
    QueuedSpy mes(base(t), &TThread::mes);
    QueuedSpy conn(base(t), &TThread::conn);
    rig.sim->unplug();
    t.checkDevice();
    t.wait(); // the worker has run the check
    QTRY_COMPARE(conn.size(), 1);
    QCOMPARE(conn.at(0).value(0).toBool(), false);
    QCOMPARE(mes.strings(), QStringList {LostCyrillic});
    QVERIFY(!t.isConnected());
    // Still gone at the next change: nothing more.
    t.checkDevice();
    t.wait(); // the worker has run the check
    QTest::qWait(30);
    QCOMPARE(mes.size(), 1);
    QCOMPARE(conn.size(), 1);
}

void TstConnection::removalByTransferError_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<bool>("onWrite");
    QTest::newRow("-5 on write") << -5 << true;
    QTest::newRow("-6 on write") << -6 << true;
    QTest::newRow("-5 on read") << -5 << false;
    QTest::newRow("-6 on read") << -6 << false;
}

void TstConnection::removalByTransferError()
{
    QFETCH(int, error);
    QFETCH(bool, onWrite);
    ProbeThread t;
    SimRig rig(t);
    QVERIFY(rig.connect());
    QueuedSpy mes(base(t), &TThread::mes);
    QueuedSpy conn(base(t), &TThread::conn);
    // The device vanishes during the job's transfer.
    rig.sim->failNext(onWrite ? 0x01 : 0x81, SimController::Fault::vanish(error));
    t.reqJob(ProbeThread::JobExchange, hexBytes("00 0d"), 2);
    QTRY_COMPARE(conn.size(), 1);
    QCOMPARE(conn.at(0).value(0).toBool(), false);
    QCOMPARE(mes.strings(), QStringList {LostLatin});
    QCOMPARE(t.lastResult.load(), error);
    QVERIFY(!t.isConnected());
    // The hot-plug check that follows finds it closed and the device gone: silence.
    t.checkDevice();
    t.wait(); // the worker has run the check
    QTest::qWait(30);
    QCOMPARE(mes.size(), 1);
}

void TstConnection::jobsSeeNoConnection()
{
    ProbeThread t;
    SimRig rig(t);
    rig.sim->unplug();
    t.checkDevice();
    t.wait(); // the worker has run the check
    QueuedSpy readErr(base(t), &TThread::readErr);
    QueuedSpy writeErr(base(t), &TThread::writeErr);
    QueuedSpy loadErr(base(t), &TThread::loadErr);
    QByteArray image(TK440::Size, '\0');
    t.reqRead();
    t.reqWrite(image.constData(), 182);
    t.reqLoad("\x01", 1);
    t.reqJob(ProbeThread::JobExchange, hexBytes("00 0d"), 2);
    QTRY_COMPARE(t.lastResult.load(), 1);
    QTRY_COMPARE(loadErr.size(), 1);
    QCOMPARE(readErr.size(), 1);
    QCOMPARE(writeErr.size(), 1);
    QCOMPARE(rig.sim->transferCount(), 0);
}

void TstConnection::plugAfterStartConnects()
{
    ProbeThread t;
    SimRig rig(t);
    rig.sim->unplug();
    connect(t.hotplug(), &UsbHotplug::deviceChanged, &t, &TThread::checkDevice);
    QueuedSpy mes(base(t), &TThread::mes);
    QueuedSpy conn(base(t), &TThread::conn);
    t.checkDevice(); // start-up: nothing attached, nothing said
    QTest::qWait(30);
    QCOMPARE(mes.size(), 0);
    QCOMPARE(conn.size(), 0);

    rig.sim->plug(); // the notification alone runs the check
    QTRY_COMPARE(conn.size(), 1);
    QCOMPARE(conn.at(0).value(0).toBool(), true);
    QCOMPARE(mes.strings(), QStringList {Connected});

    rig.sim->unplug();
    QTRY_COMPARE(conn.size(), 2);
    QCOMPARE(conn.at(1).value(0).toBool(), false);
    QCOMPARE(mes.strings().last(), LostCyrillic);
}

void TstConnection::replugBetweenChecksReopens()
{
    ProbeThread t;
    SimRig rig(t);
    QVERIFY(rig.connect());
    connect(t.hotplug(), &UsbHotplug::deviceChanged, &t, &TThread::checkDevice);
    QueuedSpy conn(base(t), &TThread::conn);
    // Both notifications are queued before either check runs: the first check sees a device
    // listed again, but not the one it had open.
    rig.sim->unplug();
    rig.sim->plug();
    QTRY_COMPARE(conn.size(), 2);
    QCOMPARE(conn.at(0).value(0).toBool(), false);
    QCOMPARE(conn.at(1).value(0).toBool(), true);
    QVERIFY(t.isConnected());
    t.reqJob(ProbeThread::JobExchange, hexBytes("00 05 01 02"), 4);
    QTRY_COMPARE(t.lastResult.load(), 8); // the new connection works
}

void TstConnection::checkWaitsForRunningJob()
{
    ProbeThread t;
    SimRig rig(t);
    t.sim = rig.transport;
    QVERIFY(rig.connect());
    QueuedSpy mes(base(t), &TThread::mes);
    QueuedSpy conn(base(t), &TThread::conn);
    t.hold = true;
    t.reqJob(ProbeThread::JobHeld, hexBytes("00 05 01 02"), 4);
    QTRY_VERIFY(t.holding.load());
    QCOMPARE(t.lastResult.load(), 8);

    const int listingsBefore = rig.transport->listings();
    rig.sim->unplug();
    QElapsedTimer clock;
    clock.start();
    t.checkDevice(); // a job holds the connection: the GUI thread must not wait for it
    QVERIFY2(clock.elapsed() < 100, qPrintable(QString::number(clock.elapsed())));
    QTest::qWait(100);
    QCOMPARE(mes.size(), 0);
    QCOMPARE(conn.size(), 0);

    // Once the job ends, the worker runs the check it was asked for meanwhile.
    t.hold = false;
    QTRY_COMPARE(conn.size(), 1);
    QCOMPARE(t.listingsInJob.load(), listingsBefore); // nobody looked while the job ran
    QVERIFY(rig.transport->listings() > listingsBefore);
    QCOMPARE(mes.strings(), QStringList {LostCyrillic});
    QCOMPARE(conn.at(0).value(0).toBool(), false);
    QVERIFY(!t.isConnected());
}

void TstConnection::checkAndRequestsStress()
{
    // Producers queue exchange jobs while the GUI thread keeps running hot-plug checks and the
    // device comes and goes: jobs run once each in per-thread order, and the check never uses
    // the transport while a job does.
    ProbeThread t;
    auto sim = std::make_shared<SimController>();
    sim->setTimeoutWait(1);
    auto guard = new GuardTransport(std::make_unique<SimTransport>(sim));
    t.setTransport(std::unique_ptr<UsbTransport>(guard));
    constexpr int producers = 3;
    constexpr int perProducer = 150;
    std::vector<std::thread> threads;
    std::atomic<int> finished {0};
    for (int p = 0; p < producers; ++p) {
        threads.emplace_back([&t, &finished, p] {
            for (int i = 0; i < perProducer; ++i) {
                QByteArray packet = hexBytes("00 05");
                packet.append(char(p)).append(char(i >> 8)).append(char(i & 0xFF));
                t.reqJob(ProbeThread::JobExchange, packet, quint32(packet.size()));
                if (i % 8 == 0)
                    std::this_thread::yield();
            }
            ++finished;
        });
    }
    int round = 0;
    while (finished < producers || t.snapshot().size() < producers * perProducer) {
        if (++round % 10 == 0) {
            if (sim->isPlugged())
                sim->unplug();
            else
                sim->plug();
        }
        t.checkDevice();
        QTest::qWait(1);
        QVERIFY(round < 20000);
    }
    for (auto &thread : threads)
        thread.join();
    QVERIFY(t.wait(5000));

    const QList<QByteArray> done = t.snapshot();
    QCOMPARE(done.size(), producers * perProducer);
    int next[producers] = {};
    for (const QByteArray &d : done) {
        const int p = quint8(d[2]);
        const int i = (quint8(d[3]) << 8) | quint8(d[4]);
        QCOMPARE(i, next[p]);
        ++next[p];
    }
    QCOMPARE(guard->overlaps.load(), 0);
}

// Two workers on two controllers in one process at once: each reads its own controller's
// configuration and streams its own monitor channel into its own blocks, and each controller
// hears only its own worker.
void TstConnection::twoWorkersShareNothing()
{
    WorkerRig rigs[3];
    const quint8 channel[3] = {1, 2, 3};
    std::unique_ptr<QueuedSpy> records[3];
    for (int i = 0; i < 3; ++i) {
        rigs[i].sim->setMemory(0, randomBytes(TK440::IdentOffset, quint32(i + 1)));
        rigs[i].sim->monitorStream().setFlatOut(true);
        records[i] = std::make_unique<QueuedSpy>(&rigs[i].thread, &TThread::readCfg);
    }
    for (int i = 0; i < 3; ++i) {
        rigs[i].thread.reqMonitor(channel[i], true);
        rigs[i].thread.reqRead();
    }
    for (int i = 0; i < 3; ++i) {
        QTRY_COMPARE(records[i]->size(), 1);
        const std::unique_ptr<TK440> record(records[i]->at(0).value(0).value<TK440 *>());
        QCOMPARE(QByteArray(record->data(), TK440::IdentOffset),
                 rigs[i].sim->memory(0, TK440::IdentOffset));
        QTRY_VERIFY(rigs[i].thread.monitorFrames() > 10);
    }
    for (int i = 0; i < 3; ++i)
        rigs[i].thread.reqMonitor(channel[i], false);
    for (int i = 0; i < 3; ++i) {
        QTRY_VERIFY(rigs[i].thread.queuedJobs() == 0 && rigs[i].thread.isFinished());
        QCOMPARE(rigs[i].sim->monitorStream().channels(), quint16(0));
        MonitorReadLock lock(rigs[i].thread.monitorRecords());
        for (int c = 0; c < monitor::Channels; ++c)
            QCOMPARE(lock->ch[c].len, quint16(c == channel[i] ? monitor::BlockBytes : 0));
        for (const auto &t : rigs[i].sim->transfers())
            if (t.endpoint == 0x01 && t.data.startsWith(hexBytes("000e")))
                QCOMPARE(quint8(t.data[3]), channel[i]);
    }
}

namespace {

class QuietSink : public OperationSink
{
    void stage(const QString &, int) override { }
    void progress(quint32) override { }
    void finished(const OperationResult &) override { }
};

} // namespace

// Three controllers on one bus, each written (and read back) at the same time over a transport
// and connection of its own, as k330ctl runs them: each gets its own image and nothing else.
void TstConnection::operationsOnOneBusShareNothing()
{
    constexpr int Count = 3;
    auto bus = std::make_shared<SimBus>();
    std::shared_ptr<SimController> sims[Count];
    TK440 images[Count];
    OperationResult results[Count];
    for (int i = 0; i < Count; ++i) {
        sims[i] = makeSimulatedController(QStringLiteral("RA"));
        sims[i]->setCpuSerial({1, 2, 3, quint16(i)});
        bus->insert(QStringLiteral("1-%1").arg(i + 1), sims[i]);
        makeDefaultImage(images[i], TK440::ModelRA);
        images[i].data()[119] = char(10 + i); // the LF amplifier's gain step
    }
    std::vector<std::thread> threads;
    for (int i = 0; i < Count; ++i) {
        threads.emplace_back([&, i] {
            std::unique_ptr<UsbTransport> t = makeSimulatedTransport(bus);
            t->setPortPath(QStringLiteral("1-%1").arg(i + 1));
            QuietSink sink;
            WriteOperation write(sink, images[i], 1);
            results[i] = runOnController(std::move(t), write, 1, {});
        });
    }
    for (std::thread &t : threads)
        t.join();
    for (int i = 0; i < Count; ++i) {
        QCOMPARE(results[i].outcome, OperationOutcome::Done);
        QCOMPARE(results[i].differing, 0);
        QCOMPARE(int(results[i].controller.cpuSerial[3]), i);
        // Its own image only: the next controller's differs in the gain step.
        QVERIFY(sims[i]->memory(0, TK440::IdentOffset)
                != sims[(i + 1) % Count]->memory(0, TK440::IdentOffset));
    }
}

QTEST_GUILESS_MAIN(TstConnection)
#include "tst_connection.moc"
