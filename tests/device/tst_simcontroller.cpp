// The simulated controller's answers and faults, seen through its transport adapter.

#include "sim/simtransport.h"
#include "testsupport.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QtEndian>

#include <atomic>
#include <thread>

namespace {

struct Link
{
    std::shared_ptr<SimController> sim = std::make_shared<SimController>();
    SimTransport transport {sim};

    Link()
    {
        sim->setTimeoutWait(10);
        transport.open(0x0451, 0x9001);
        transport.setConfiguration(2);
        transport.claimInterface(0);
    }
    // Writes a packet to endpoint 0x01 and returns what endpoint 0x81 answers.
    QByteArray exchange(const QByteArray &packet, int readSize = 520)
    {
        if (transport.bulkWrite(0x01, packet.constData(), int(packet.size()), 1000)
            != packet.size())
            return "write failed";
        QByteArray reply(readSize, '\0');
        const int n = transport.bulkRead(0x81, reply.data(), readSize, 1000);
        return n < 0 ? QByteArray("error ") + QByteArray::number(n) : reply.left(n);
    }
};

QByteArray memoryPacket(quint16 readCount, quint16 offset, const QByteArray &data = {})
{
    QByteArray p = hexBytes("00 03");
    p.append(char(readCount >> 8)).append(char(readCount));
    const int write = 2 + int(data.size());
    p.append(char(write >> 8)).append(char(write));
    p.append(hexBytes("00 50"));
    p.append(char(offset >> 8)).append(char(offset));
    return p + data;
}

// A stream source of the kind a monitor part is: switched on by a command (code 0x40 here),
// it makes a fresh numbered frame on every read of endpoint 0x82.
class FrameSource : public EndpointHandler
{
public:
    static constexpr quint16 CmdStart = 0x40;
    std::atomic<bool> on {false};
    std::atomic<int> made {0};

    void attach(SimCommandPort &port)
    {
        port.setHandler(CmdStart, [this](const SimCommand &c) {
            on = true;
            return std::optional<QByteArray>(c.acknowledge());
        });
    }
    std::optional<QByteArray> read(quint8, int maxSize) override
    {
        if (!on)
            return std::nullopt;
        const int n = made++;
        return QByteArray(qMin(maxSize, 16), char(n));
    }
};

} // namespace

class TstSimController : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void identification();
    void memoryBlocks_data();
    void memoryBlocks();
    void codecAndAmplifier();
    void unknownCommandIsAcknowledged();
    void unreadReplyIsDropped();
    void faults_data();
    void faults();
    void patchedReply_data();
    void patchedReply();
    void departureAtStep_data();
    void departureAtStep();
    void unplugKillsOpenHandle();
    void endpointsFollowConfiguration();
    void streamMadeOnEveryRead();
    void waitingReadServedWhenStreamStarts();
};

void TstSimController::identification()
{
    Link l;
    l.sim->setModel(SimController::ModelRB);
    l.sim->setVersion(0x0200);
    l.sim->setCpuSerial({1, 2, 3, 0xabcd});
    l.sim->setCpuId(0x77);
    const QByteArray reply = l.exchange(hexBytes("00 01 00 00 00 00 00 00"));
    QCOMPARE(reply.size(), 22);
    QCOMPARE(qFromBigEndian<quint16>(reply.constData()), quint16(1));
    QCOMPARE(reply.mid(8), hexBytes("03 01 02 00 0001 0002 0003 abcd 0077"));
}

void TstSimController::memoryBlocks_data()
{
    QTest::addColumn<int>("payload");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("readCount");
    QTest::addColumn<int>("returned");
    QTest::newRow("whole image in one block") << 512 << 0 << 388 << 388;
    QTest::newRow("block limited by N") << 100 << 200 << 388 << 100;
    QTest::newRow("end of memory") << 512 << 0x3FF0 << 32 << 32;
}

void TstSimController::memoryBlocks()
{
    QFETCH(int, payload);
    QFETCH(int, offset);
    QFETCH(int, readCount);
    QFETCH(int, returned);
    Link l;
    l.sim->setPayloadSize(quint16(payload));
    QByteArray pattern;
    for (int i = 0; i < 64; ++i)
        pattern.append(char(i * 7 + 1));
    // Write a 64-byte block, read it back with the read count of the row.
    const QByteArray ack = l.exchange(memoryPacket(0, quint16(offset), pattern));
    QCOMPARE(ack.size(), 8);
    QCOMPARE(ack, hexBytes("0003 0000 0042 0050"));
    const QByteArray expected = l.sim->memory(offset, 64);
    QCOMPARE(expected, pattern.left(qMin(64, SimController::MemorySize - offset)));

    const QByteArray reply = l.exchange(memoryPacket(quint16(readCount), quint16(offset)));
    QCOMPARE(reply.size(), 8 + returned);
    QCOMPARE(reply.left(2), hexBytes("00 03"));
    const int inside = qMin(returned, SimController::MemorySize - offset);
    QCOMPARE(reply.mid(8, qMin(inside, 64)), pattern.left(qMin(inside, 64)));
    // Beyond the 16 KiB the memory reads as 0xFF.
    for (int i = inside; i < returned; ++i)
        QCOMPARE(quint8(reply[8 + i]), quint8(0xFF));
}

void TstSimController::codecAndAmplifier()
{
    Link l;
    QCOMPARE(l.exchange(hexBytes("0003 0000 0002 0018 0c 3f")).size(), 8);
    QCOMPARE(l.sim->codecRegister(12), quint8(0x3f));
    QCOMPARE(l.exchange(hexBytes("0003 0000 0001 0049 2a")).size(), 8);
    QCOMPARE(l.sim->amplifier(), quint8(0x2a));
}

void TstSimController::unknownCommandIsAcknowledged()
{
    Link l;
    QCOMPARE(l.exchange(hexBytes("00 05 01 2c")), hexBytes("0005 012c 0000 0000"));
    // Code 12 gets no answer: the read times out.
    QCOMPARE(l.exchange(hexBytes("00 0c")), QByteArray("error -110"));
}

void TstSimController::unreadReplyIsDropped()
{
    Link l;
    const QByteArray first = hexBytes("00 01 00 00 00 00 00 00");
    QCOMPARE(l.transport.bulkWrite(0x01, first.constData(), 8, 1000), 8);
    // Without reading the identification, the next command's answer is the one returned.
    QCOMPARE(l.exchange(hexBytes("00 00 40 00"), 4), hexBytes("0000 0200"));
}

void TstSimController::faults_data()
{
    QTest::addColumn<bool>("byIndex");
    QTest::addColumn<bool>("onRead");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("result");
    using F = SimController::Fault;
    QTest::newRow("error on 1st transfer") << true << false << int(F::Error) << -32 << -32;
    QTest::newRow("error on next read") << false << true << int(F::Error) << -75 << -75;
    QTest::newRow("short read") << false << true << int(F::Short) << 3 << 3;
    QTest::newRow("empty read") << false << true << int(F::Empty) << 0 << 0;
    QTest::newRow("short write") << false << false << int(F::Short) << 2 << 2;
    QTest::newRow("read times out") << false << true << int(F::Timeout) << 0 << -110;
    QTest::newRow("2nd transfer vanishes") << true << true << int(F::Vanish) << -5 << -5;
}

void TstSimController::faults()
{
    QFETCH(bool, byIndex);
    QFETCH(bool, onRead);
    QFETCH(int, kind);
    QFETCH(int, value);
    QFETCH(int, result);
    Link l;
    const SimController::Fault fault {SimController::Fault::Kind(kind), value, {}};
    if (byIndex)
        l.sim->failTransfer(onRead ? 2 : 1, fault);
    else
        l.sim->failNext(onRead ? 0x81 : 0x01, fault);
    const QByteArray handshake = hexBytes("00 00 40 00");
    const int w = l.transport.bulkWrite(0x01, handshake.constData(), 4, 1000);
    char reply[8] = {};
    const int r = l.transport.bulkRead(0x81, reply, 8, 1000);
    QCOMPARE(onRead ? r : w, result);
    const auto log = l.sim->transfers();
    const auto &t = log.at(log.size() - (onRead ? 1 : 2));
    QCOMPARE(t.result, result);
    QCOMPARE(int(t.data.size()), qMax(0, result));
    if (kind == SimController::Fault::Vanish) {
        QVERIFY(!l.sim->isPlugged());
        QVERIFY(!l.transport.isListed(0x0451, 0x9001));
    }
    // Faults are used up: the next exchange is normal.
    if (l.sim->isPlugged())
        QCOMPARE(l.exchange(handshake, 4), hexBytes("0000 0200"));
}

// A patched read returns the reply it would have returned, with the given bytes written over
// it; bytes beyond the reply's end are not added, and the fault is used up.
void TstSimController::patchedReply_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("first word") << 0 << hexBytes("7f7f") << hexBytes("7f7f 0200");
    QTest::newRow("over the end") << 3 << hexBytes("aabbcc") << hexBytes("0000 02aa");
    QTest::newRow("past the end") << 4 << hexBytes("aa") << hexBytes("0000 0200");
}

void TstSimController::patchedReply()
{
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, reply);
    Link l;
    l.sim->failNext(0x81, SimController::Fault::patch(offset, bytes));
    QCOMPARE(l.exchange(hexBytes("00 00 40 00"), 8), reply);
    QCOMPARE(l.sim->transfers().last().data, reply);
    QCOMPARE(l.exchange(hexBytes("00 00 40 00"), 8), hexBytes("0000 0200"));
}

// A device scripted to leave at a set-up step leaves when the host reaches it: that step fails
// with the error given, the departure is announced once, and the device is no longer listed.
void TstSimController::departureAtStep_data()
{
    QTest::addColumn<int>("step");
    QTest::newRow("open") << int(SimController::StepOpen);
    QTest::newRow("product string") << int(SimController::StepProductString);
    QTest::newRow("set configuration") << int(SimController::StepSetConfiguration);
    QTest::newRow("claim") << int(SimController::StepClaim);
}

void TstSimController::departureAtStep()
{
    QFETCH(int, step);
    auto sim = std::make_shared<SimController>();
    SimTransport transport(sim);
    QSignalSpy left(sim.get(), &SimUsbDevice::attachmentChanged);
    sim->vanishAtStep(SimController::Step(step), -5);
    QList<int> results;
    results << transport.open(0x0451, 0x9001);
    if (results.last() == 0) {
        QByteArray name;
        results << transport.productString(&name, 20);
        if (results.last() > 0)
            results << transport.setConfiguration(2);
        if (results.last() == 0)
            results << transport.claimInterface(0);
    }
    QCOMPARE(results.size(), step + 1); // the steps before it went through
    QCOMPARE(results.last(), -5);
    QCOMPARE(left.size(), 1);
    QCOMPARE(left.at(0).at(0).toBool(), false);
    QVERIFY(!sim->isPlugged());
    QCOMPARE(transport.open(0x0451, 0x9001), int(UsbTransport::NotListed));
}

void TstSimController::unplugKillsOpenHandle()
{
    Link l;
    QSignalSpy changed(&l.transport, &UsbTransport::deviceChanged);
    QVERIFY(l.transport.watch(0x0451, 0x9001));
    l.sim->unplug();
    l.sim->plug();
    QCOMPARE(changed.size(), 2);
    // The device is back, but as a new one: the old handle stays dead.
    QVERIFY(!l.transport.isListed(0x0451, 0x9001));
    QCOMPARE(l.transport.bulkWrite(0x01, "\0\0@\0", 4, 1000), -6);
    QCOMPARE(l.transport.open(0x0451, 0x9001), 0);
    QVERIFY(l.transport.isListed(0x0451, 0x9001));
}

void TstSimController::endpointsFollowConfiguration()
{
    Link l;
    QCOMPARE(l.transport.prepareEndpoint(0x82), 0);
    QCOMPARE(l.transport.prepareEndpoint(0x06), -2);
    QCOMPARE(l.transport.setConfiguration(1), 0);
    QCOMPARE(l.transport.prepareEndpoint(0x06), 0);
    QCOMPARE(l.transport.bulkWrite(0x06, "abc", 3, 1000), 3);
    QCOMPARE(l.sim->bootStream(), QByteArray("abc"));
    QCOMPARE(l.transport.bulkWrite(0x01, "abc", 3, 1000), -2);
}

void TstSimController::streamMadeOnEveryRead()
{
    Link l;
    FrameSource source;
    source.attach(l.sim->commandPort());
    l.sim->setEndpointHandler(0x82, &source);
    char frame[64];
    // Nothing to send before the start command: the read times out.
    QCOMPARE(l.transport.bulkRead(0x82, frame, 64, 1000), -110);
    QCOMPARE(l.exchange(hexBytes("0040 0000 0000 0000")), hexBytes("0040 0000 0000 0000"));

    // Queued data goes first, then a frame made for each read; faults apply to made frames.
    l.sim->queueRead(0x82, "queued");
    l.sim->failTransfer(3, SimController::Fault::shortened(4));
    QList<QByteArray> got;
    for (int i = 0; i < 4; ++i) {
        const int n = l.transport.bulkRead(0x82, frame, 64, 1000);
        got.append(QByteArray(frame, qMax(0, n)));
    }
    QCOMPARE(got,
             (QList<QByteArray> {"queued", QByteArray(16, '\0'), QByteArray(4, '\1'),
                                 QByteArray(16, '\2')}));
    // The host's buffer bounds what the part makes.
    QCOMPARE(l.transport.bulkRead(0x82, frame, 8, 1000), 8);
    QCOMPARE(l.sim->moved(0x82).size(), 5);

    // Removed, the endpoint falls silent again.
    l.sim->setEndpointHandler(0x82, nullptr);
    QCOMPARE(l.transport.bulkRead(0x82, frame, 64, 1000), -110);
}

// A read already waiting on the stream endpoint is served as soon as a command starts the
// stream, not at the end of its time-out.
void TstSimController::waitingReadServedWhenStreamStarts()
{
    Link l;
    l.sim->setTimeoutWait(-1); // wait out the transfer's own time-out
    FrameSource source;
    source.attach(l.sim->commandPort());
    l.sim->setEndpointHandler(0x82, &source);
    std::atomic<int> result {0};
    QElapsedTimer clock;
    clock.start();
    std::thread reader([&] {
        char frame[64];
        result = l.transport.bulkRead(0x82, frame, 64, 5000);
    });
    QTest::qWait(50);
    const int early = result; // still waiting: 0
    const QByteArray start = hexBytes("0040 0000 0000 0000");
    const int written = l.transport.bulkWrite(0x01, start.constData(), 8, 1000);
    reader.join();
    QCOMPARE(early, 0);
    QCOMPARE(written, 8);
    QCOMPARE(result.load(), 16);
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    l.sim->setEndpointHandler(0x82, nullptr);
}

QTEST_GUILESS_MAIN(TstSimController)
#include "tst_simcontroller.moc"
