// The monitor stream against the simulated controller: the channel switch, frames gathered
// over partial reads with their time-outs, frames that must change nothing, the stream's end
// (last channel off, closed connection, removal, shut-down) and the faults of the read.

#include "queuedspy.h"
#include "simrig.h"
#include "testsupport.h"

#include "device/monitorprotocol.h"
#include "device/monitorstream.h"
#include "device/tthread.h"
#include "sim/simcontroller.h"

#include <QElapsedTimer>
#include <QTest>

using Fault = SimController::Fault;
Q_DECLARE_METATYPE(SimController::Fault)

namespace {

constexpr quint8 Ep = 0x82;

bool waitIdle(TThread &t, int ms = 5000)
{
    const bool idle = QTest::qWaitFor([&t] { return t.queuedJobs() == 0 && t.isFinished(); }, ms);
    QTest::qWait(20); // deliver the queued signals
    return idle;
}

// A frame of `channel` whose samples are a recognisable ramp starting at `seed`.
QByteArray frameFor(int channel, int seed)
{
    QByteArray f(monitor::FrameSize, '\0');
    f[1] = char(channel);
    for (int i = monitor::FrameHeader; i < f.size(); ++i)
        f[i] = char(seed + i);
    return f;
}

// The block a frame should become: host-order words, len 1020.
QByteArray blockOf(const QByteArray &frame)
{
    TMonBlock b {};
    monitor::storeFrame(frame.constData(), b);
    return QByteArray(reinterpret_cast<const char *>(&b), sizeof b);
}

QByteArray blockBytes(TThread &t, int channel)
{
    MonitorReadLock lock(t.monitorRecords());
    return QByteArray(reinterpret_cast<const char *>(&lock->ch[channel]), sizeof(TMonBlock));
}

// Worker, controller and one channel switched on, with the controller's own stream taken off
// the endpoint so that only the frames a case queues arrive.
struct ScriptedStream
{
    explicit ScriptedStream(quint16 mask = 0x0002, int mode = 1)
        : rig(mode)
    {
        rig.sim->setTimeoutWait(20);
        rig.sim->setEndpointHandler(Ep, nullptr);
        for (quint8 c = 0; c < monitor::Channels; ++c)
            if (mask & (1u << c))
                rig.thread.reqMonitor(c, true);
        ready = QTest::qWaitFor([&] { return rig.thread.monitorMask() == mask; }, 2000);
    }
    ~ScriptedStream() { rig.sim->setEndpointHandler(Ep, &rig.sim->monitorStream()); }
    WorkerRig rig;
    bool ready = false; // the channels are on
};

// Reads on the monitor endpoint after the transfer that wrote `packet` to 0x01.
int readsAfter(const SimController &sim, const QByteArray &packet)
{
    const auto transfers = sim.transfers();
    int reads = -1;
    for (const auto &t : transfers) {
        if (t.endpoint == 0x01 && t.data == packet)
            reads = 0;
        else if (reads >= 0 && t.endpoint == Ep)
            ++reads;
    }
    return reads;
}

} // namespace

class TstMonitor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Switching on sends 00 0E 80 c, starts the stream and fills the channel's block with the
    // controller's signal; switching off sends 00 0E 00 c and the stream ends.
    void switchOnAndOff()
    {
        WorkerRig rig;
        rig.sim->monitorStream().setFlatOut(true);
        QueuedSpy ready(&rig.thread, &TThread::monitorRdy);
        rig.thread.reqMonitor(1, true);
        QTRY_VERIFY(ready.size() >= 3);
        QCOMPARE(rig.sim->moved(0x01).value(0), hexBytes("000e 8001"));
        QCOMPARE(rig.sim->monitorStream().channels(), quint16(0x0002));
        QCOMPARE(rig.thread.monitorMask(), quint16(0x0002));
        QCOMPARE(ready.at(0).value(0).value<TMon *>(), rig.thread.monitorRecords().address());
        {
            MonitorReadLock lock(rig.thread.monitorRecords());
            const TMonBlock &b = lock->ch[1];
            QCOMPARE(b.len, quint16(1020));
            // Some frame of the sine: consecutive samples as the controller made them.
            const quint64 made = rig.sim->monitorStream().framesSent() * 255;
            const auto matches = [&b](quint64 first) {
                for (int i = 0; i < 255; ++i)
                    if (monitor::sample(b, i) != SimMonitorStream::signalSample(1, first + i))
                        return false;
                return true;
            };
            quint64 index = 0;
            while (index <= made && !matches(index))
                index += 255;
            QVERIFY(index <= made);
            for (int c : {0, 2, 3, 4})
                QCOMPARE(lock->ch[c].len, quint16(0));
        }
        rig.thread.reqMonitor(1, false);
        QVERIFY(waitIdle(rig.thread));
        QCOMPARE(rig.thread.monitorMask(), quint16(0));
        QCOMPARE(rig.sim->monitorStream().channels(), quint16(0));
        // The last channel off ends the stream: no read follows the switch-off.
        QCOMPARE(readsAfter(*rig.sim, hexBytes("000e 0001")), 0);
    }

    // A stream that outruns the GUI thread does not pile announcements up in its queue: one
    // waits at a time, and the frames its views missed meanwhile are counted.
    void announcementsDoNotPileUp()
    {
        WorkerRig rig;
        rig.sim->monitorStream().setFlatOut(true);
        QueuedSpy ready(&rig.thread, &TThread::monitorRdy);
        rig.thread.reqMonitor(1, true);
        QTRY_VERIFY(rig.thread.monitorFrames() > 0);
        QCoreApplication::processEvents();
        const quint64 before = rig.thread.monitorFrames();
        const qsizetype announced = ready.size();
        QThread::msleep(200); // the GUI thread is busy elsewhere
        const quint64 stored = rig.thread.monitorFrames() - before;
        QVERIFY2(stored > 20, qPrintable(QString::number(stored)));
        // One pass of the event loop: the announcement that waited, and its spy's copy.
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QVERIFY2(ready.size() - announced <= 3,
                 qPrintable(QString::number(ready.size() - announced)));
        QVERIFY(rig.thread.monitorOverwritten() > 0);
        rig.thread.reqMonitor(1, false);
        QVERIFY(waitIdle(rig.thread));
    }

    // Views in a GUI thread that runs no events while the stream brings `stallMs` worth of
    // frames at 1190 per second over all five channels (paced by frames, so the count does not
    // depend on the clock). A short stall loses nothing: the frames wait behind their blocks and
    // the views take them in order. A longer one keeps the newest frames of each channel and
    // counts every frame dropped.
    void stalledViews_data()
    {
        QTest::addColumn<int>("stallMs");
        QTest::newRow("20 ms") << 20;
        QTest::newRow("100 ms") << 100;
    }
    void stalledViews()
    {
        QFETCH(int, stallMs);
        WorkerRig rig;
        SimMonitorStream &controller = rig.sim->monitorStream();
        controller.holdFrames();
        QList<QByteArray> taken[monitor::Channels];
        QObject views; // one view per channel, taking its block at each announcement
        QObject::connect(&rig.thread, &TThread::monitorRdy, &views, [&](TMon *) {
            for (int c = 0; c < monitor::Channels; ++c)
                if (TMonBlock b {}; rig.thread.takeMonitorBlock(c, &b))
                    taken[c].append(QByteArray(reinterpret_cast<const char *>(&b), sizeof b));
        });
        for (quint8 c = 0; c < monitor::Channels; ++c)
            rig.thread.reqMonitor(c, true);
        QTRY_COMPARE(rig.thread.monitorMask(), quint16(0x1f));
        const quint64 frames = quint64(1190 * stallMs + 999) / 1000;
        controller.releaseFrames(int(frames));
        QElapsedTimer stall;
        stall.start();
        while (rig.thread.monitorFrames() < frames && stall.elapsed() < 5000)
            QThread::msleep(1); // busy: no event of this thread runs
        QCOMPARE(rig.thread.monitorFrames(), frames);

        // What each view must get, in order: every frame when they fit its block and the queue
        // behind it, else the newest that fit.
        QList<QByteArray> sent[monitor::Channels];
        for (const auto &t : rig.sim->transfers())
            if (t.endpoint == Ep && t.result == monitor::FrameSize)
                sent[quint8(t.data[1])].append(blockOf(t.data));
        QList<QByteArray> expected[monitor::Channels];
        quint64 dropped = 0;
        qsizetype total = 0;
        for (int c = 0; c < monitor::Channels; ++c) {
            const qsizetype kept = 1 + MonitorStream::QueueDepth;
            expected[c] = sent[c].size() <= kept ? sent[c] : sent[c].last(kept);
            dropped += quint64(sent[c].size() - expected[c].size());
            total += expected[c].size();
        }
        QTRY_COMPARE(taken[0].size() + taken[1].size() + taken[2].size() + taken[3].size()
                         + taken[4].size(),
                     total);
        for (int c = 0; c < monitor::Channels; ++c)
            QCOMPARE(taken[c], expected[c]);
        QCOMPARE(rig.thread.monitorOverwritten(), dropped);
        QCOMPARE(dropped == 0, stallMs == 20);
        QCOMPARE(rig.thread.monitorQueued(), 0);
        for (quint8 c = 0; c < monitor::Channels; ++c)
            rig.thread.reqMonitor(c, false);
        QVERIFY(waitIdle(rig.thread));
    }

    // Switching a channel off empties its queue, so that its view, started again, draws no
    // frame from before; the block keeps its newest frame, as it always has.
    void switchOffEmptiesQueue()
    {
        WorkerRig rig;
        rig.sim->monitorStream().holdFrames();
        rig.thread.reqMonitor(3, true);
        QTRY_COMPARE(rig.thread.monitorMask(), quint16(0x0008));
        rig.sim->monitorStream().releaseFrames(4);
        QTRY_COMPARE(rig.thread.monitorQueued(), 3);
        const QByteArray newest = blockBytes(rig.thread, 3);
        rig.thread.reqMonitor(3, false);
        QVERIFY(waitIdle(rig.thread));
        QCOMPARE(rig.thread.monitorQueued(), 0);
        TMonBlock b {};
        QVERIFY(rig.thread.takeMonitorBlock(3, &b));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(&b), sizeof b), newest);
        QVERIFY(!rig.thread.takeMonitorBlock(3, &b));
        QCOMPARE(rig.thread.monitorOverwritten(), quint64(0));
    }

    // A second channel joins the running stream without a second chain of reads.
    void secondChannelJoins()
    {
        WorkerRig rig;
        rig.sim->monitorStream().setFlatOut(true);
        QueuedSpy ready(&rig.thread, &TThread::monitorRdy);
        rig.thread.reqMonitor(0, true);
        rig.thread.reqMonitor(2, true);
        QTRY_VERIFY(ready.size() >= 20);
        QCOMPARE(rig.thread.monitorMask(), quint16(0x0005));
        for (int i = 0; i < 20; ++i) {
            QVERIFY(rig.thread.queuedJobs() <= 1);
            QTest::qWait(2);
        }
        {
            MonitorReadLock lock(rig.thread.monitorRecords());
            QCOMPARE(lock->ch[0].len, quint16(1020));
            QCOMPARE(lock->ch[2].len, quint16(1020));
        }
        rig.thread.reqMonitor(0, false);
        rig.thread.reqMonitor(2, false);
        QVERIFY(waitIdle(rig.thread));
    }

    // Frames gathered over reads: a fresh frame is asked for whole with 1000 ms, the rest of a
    // partly received one with 100 ms; pieces make one record.
    void framePieces_data()
    {
        QTest::addColumn<QList<int>>("pieces");
        QTest::newRow("512 and 512") << QList<int> {512, 512};
        QTest::newRow("1 and 1023") << QList<int> {1, 1023};
        QTest::newRow("three pieces") << QList<int> {100, 700, 224};
        QTest::newRow("whole") << QList<int> {1024};
    }
    void framePieces()
    {
        QFETCH(QList<int>, pieces);
        ScriptedStream s;
        QVERIFY(s.ready);
        QueuedSpy ready(&s.rig.thread, &TThread::monitorRdy);
        const QByteArray frame = frameFor(1, 7);
        s.rig.sim->clearTransfers();
        int at = 0;
        for (int size : pieces) {
            s.rig.sim->queueRead(Ep, frame.mid(at, size));
            at += size;
        }
        QTRY_COMPARE(ready.size(), 1);
        QCOMPARE(blockBytes(s.rig.thread, 1), blockOf(frame));
        QList<QPair<int, int>> asked; // size asked for and time-out, of the reads that moved data
        for (const auto &t : s.rig.sim->transfers())
            if (t.endpoint == Ep && t.result > 0)
                asked.append({t.requested, t.timeoutMs});
        QCOMPARE(asked.size(), pieces.size());
        int gathered = 0;
        for (int i = 0; i < pieces.size(); ++i) {
            QCOMPARE(asked[i].first, 1024 - gathered);
            QCOMPARE(asked[i].second, gathered == 0 ? 1000 : 100);
            gathered += pieces[i];
        }
    }

    // Frames of a channel that is off or has no block change no record and emit nothing; the
    // next frame of the channel that is on is stored as usual.
    void foreignFrames_data()
    {
        QTest::addColumn<int>("channel");
        QTest::newRow("channel off") << 2;
        QTest::newRow("channel 0 off") << 0;
        QTest::newRow("channel 5") << 5;
        QTest::newRow("channel 255") << 255;
    }
    void foreignFrames()
    {
        QFETCH(int, channel);
        ScriptedStream s;
        QVERIFY(s.ready);
        QueuedSpy ready(&s.rig.thread, &TThread::monitorRdy);
        QByteArray before[monitor::Channels];
        for (int c = 0; c < monitor::Channels; ++c)
            before[c] = blockBytes(s.rig.thread, c);
        s.rig.sim->queueRead(Ep, frameFor(channel, 1));
        s.rig.sim->queueRead(Ep, frameFor(channel, 2).left(300)); // and one in pieces
        s.rig.sim->queueRead(Ep, frameFor(channel, 2).mid(300));
        QTRY_VERIFY(s.rig.sim->moved(Ep).size() >= 3);
        QTest::qWait(60);
        QCOMPARE(ready.size(), 0);
        for (int c = 0; c < monitor::Channels; ++c)
            QCOMPARE(blockBytes(s.rig.thread, c), before[c]);
        const QByteArray good = frameFor(1, 9);
        s.rig.sim->queueRead(Ep, good);
        QTRY_COMPARE(ready.size(), 1);
        QCOMPARE(blockBytes(s.rig.thread, 1), blockOf(good));
    }

    // Failed reads: a removal error closes the connection (logged in mode 10 only) and ends
    // the stream; a time-out or another error keeps the stream going. A partly received frame
    // whose rest does not come is dropped, so that the next frame is stored whole.
    void readFaults_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("partial"); // the fault hits the read of a frame's rest
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("connected");
        const QString lost = "Контроллер VELK K-330S отключен от шины USB";
        QTest::newRow("-5, mode 10") << 10 << false << Fault::error(-5)
                                     << QStringList {"Ошибка монитора= -5", lost} << false;
        QTest::newRow("-5, user mode")
            << 1 << false << Fault::error(-5) << QStringList {lost} << false;
        QTest::newRow("-6 vanished, mode 10") << 10 << false << Fault::vanish(-6)
                                              << QStringList {"Ошибка монитора= -6", lost} << false;
        QTest::newRow("time-out") << 10 << false << Fault::timeout() << QStringList {} << true;
        QTest::newRow("other error") << 10 << false << Fault::error(-32) << QStringList {} << true;
        QTest::newRow("time-out mid-frame")
            << 10 << true << Fault::timeout() << QStringList {} << true;
        QTest::newRow("error mid-frame")
            << 10 << true << Fault::error(-4) << QStringList {} << true;
        QTest::newRow("-5 mid-frame")
            << 10 << true << Fault::error(-5) << QStringList {"Ошибка монитора= -5", lost} << false;
    }
    void readFaults()
    {
        QFETCH(int, mode);
        QFETCH(bool, partial);
        QFETCH(Fault, fault);
        QFETCH(QStringList, lines);
        QFETCH(bool, connected);
        ScriptedStream s(0x0002, mode);
        QVERIFY(s.ready);
        // Reads wait long enough for the script: the read in progress takes the first data
        // queued, and the fault hits the read after it.
        s.rig.sim->setTimeoutWait(500);
        QueuedSpy ready(&s.rig.thread, &TThread::monitorRdy);
        QueuedSpy log(&s.rig.thread, &TThread::mes);
        // The fault is counted from the read in progress, so that read must neither end nor be
        // replaced while the script is armed: wait for a read to time out, then give the next
        // one a moment to start; it has its full wait ahead.
        s.rig.sim->clearTransfers();
        QTRY_VERIFY([&] {
            for (const auto &t : s.rig.sim->transfers())
                if (t.endpoint == Ep && t.result == -110)
                    return true;
            return false;
        }());
        QTest::qWait(100);
        s.rig.sim->clearTransfers();
        s.rig.sim->failTransfer(1, fault);
        const QByteArray first = frameFor(1, 3);
        s.rig.sim->queueRead(Ep, partial ? first.left(500) : first);
        const int failed = fault.kind == Fault::Timeout ? -110 : fault.value;
        QTRY_VERIFY([&] {
            for (const auto &t : s.rig.sim->transfers())
                if (t.endpoint == Ep && t.result == failed)
                    return true;
            return false;
        }());
        const int before = partial ? 0 : 1;
        if (!connected) {
            QVERIFY(waitIdle(s.rig.thread));
            QCOMPARE(log.strings(), lines);
            QCOMPARE(s.rig.thread.monitorMask(), quint16(0));
            QCOMPARE(ready.size(), before);
            return;
        }
        // A partly gathered frame is kept across an error, but not across a time-out of its
        // rest: then the next whole frame is stored as it came.
        const bool keepsPart = partial && fault.kind == Fault::Error;
        const QByteArray next = frameFor(1, 11);
        s.rig.sim->queueRead(Ep, keepsPart ? first.mid(500) : next);
        QTRY_COMPARE(ready.size(), before + 1);
        QCOMPARE(blockBytes(s.rig.thread, 1), blockOf(keepsPart ? first : next));
        QVERIFY(s.rig.thread.isConnected());
        QCOMPARE(log.strings(), lines);
    }

    // A partly received frame followed by a whole new one (the rest was lost on the way): the
    // read of the rest overflows, the part is dropped, and the stream falls back into step.
    void overflowRealigns()
    {
        ScriptedStream s;
        QVERIFY(s.ready);
        QueuedSpy ready(&s.rig.thread, &TThread::monitorRdy);
        s.rig.sim->queueRead(Ep, frameFor(1, 1).left(512));
        s.rig.sim->queueRead(Ep, frameFor(1, 2)); // does not fit the 512 bytes asked for
        const QByteArray third = frameFor(1, 3);
        s.rig.sim->queueRead(Ep, third);
        QTRY_COMPARE(ready.size(), 1);
        QCOMPARE(blockBytes(s.rig.thread, 1), blockOf(third));
    }

    // Switching off ends the channel even when the controller does not acknowledge: its view
    // has gone, and the stream must not run on for nobody. A switch-on that fails leaves the
    // mask as it was.
    void unacknowledgedSwitch_data()
    {
        QTest::addColumn<bool>("on");
        QTest::addColumn<quint8>("endpoint");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<quint16>("mask");
        QTest::newRow("on, not sent") << true << quint8(0x01) << Fault::error(-4) << quint16(0);
        QTest::newRow("on, no ack") << true << quint8(0x81) << Fault::timeout() << quint16(0);
        QTest::newRow("on, empty ack") << true << quint8(0x81) << Fault::empty() << quint16(0);
        QTest::newRow("off, not sent") << false << quint8(0x01) << Fault::error(-4) << quint16(0);
        QTest::newRow("off, no ack") << false << quint8(0x81) << Fault::timeout() << quint16(0);
    }
    void unacknowledgedSwitch()
    {
        QFETCH(bool, on);
        QFETCH(quint8, endpoint);
        QFETCH(Fault, fault);
        QFETCH(quint16, mask);
        WorkerRig rig;
        rig.sim->setTimeoutWait(20);
        rig.sim->monitorStream().setFlatOut(true);
        if (!on) {
            rig.thread.reqMonitor(3, true);
            QTRY_COMPARE(rig.thread.monitorMask(), quint16(0x0008));
        }
        rig.sim->failNext(endpoint, fault);
        rig.thread.reqMonitor(3, on);
        QVERIFY(waitIdle(rig.thread));
        QCOMPARE(rig.thread.monitorMask(), mask);
        QCOMPARE(rig.thread.queuedJobs(), 0);
    }

    // A closed connection ends the stream: the removal found by the hot-plug check clears the
    // mask, and after a replug no read runs until a view switches a channel on again.
    void removalEndsStream()
    {
        WorkerRig rig;
        rig.sim->setTimeoutWait(20);
        rig.sim->monitorStream().setFlatOut(true);
        rig.thread.reqMonitor(4, true);
        QTRY_COMPARE(rig.thread.monitorMask(), quint16(0x0010));
        rig.sim->setEndpointHandler(Ep, nullptr); // reads wait for frames that never come
        rig.sim->unplug();
        rig.thread.checkDevice();
        QVERIFY(waitIdle(rig.thread));
        QCOMPARE(rig.thread.monitorMask(), quint16(0));
        QVERIFY(!rig.thread.isConnected());
        rig.sim->setEndpointHandler(Ep, &rig.sim->monitorStream());
        rig.sim->plug();
        rig.thread.checkDevice();
        QVERIFY(waitIdle(rig.thread));
        QVERIFY(rig.thread.isConnected());
        rig.sim->clearTransfers();
        QTest::qWait(100);
        QCOMPARE(rig.sim->moved(Ep).size(), 0);
        QCOMPARE(rig.thread.queuedJobs(), 0);
    }

    // Shut-down while channels are on (their windows' switch-off jobs never ran): the worker
    // switches them off at the controller before it ends.
    void shutDownSwitchesOff()
    {
        auto rig = std::make_unique<WorkerRig>();
        const std::shared_ptr<SimController> sim = rig->sim;
        sim->monitorStream().setFlatOut(true);
        QueuedSpy ready(&rig->thread, &TThread::monitorRdy);
        rig->thread.reqMonitor(1, true);
        rig->thread.reqMonitor(0, true);
        QTRY_VERIFY(ready.size() >= 2);
        QCOMPARE(sim->monitorStream().channels(), quint16(0x0003));
        rig.reset();
        QCOMPARE(sim->monitorStream().channels(), quint16(0));
    }

    // No connection: the switch does nothing and no read is queued.
    void withoutConnection()
    {
        const auto sim = std::make_shared<SimController>();
        TThread t(nullptr, [sim] { return makeSimulatedTransport(sim); }); // never checked
        t.reqMonitor(1, true);
        t.reqMonitorRead();
        QVERIFY(waitIdle(t));
        QCOMPARE(t.monitorMask(), quint16(0));
        QCOMPARE(t.queuedJobs(), 0);
    }
};

QTEST_GUILESS_MAIN(TstMonitor)
#include "tst_monitor.moc"
