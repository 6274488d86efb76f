// The fault matrix's rows of the monitor stream: the switches on and off and their
// acknowledgements, a read of the running stream, and the switch-off at the worker's shut-down.
// Every block a view takes from the stream (taken as it is announced) is checked to be a whole
// frame of the switched-on channel as the controller sent it.

#include "faultmatrix.h"

#include "device/monitorprotocol.h"

#include <QSet>

namespace matrix {
namespace {

class MonitorDriver : public Driver
{
public:
    void prepare(Run &run) override
    {
        TThread &t = run.thread;
        QObject::connect(&t, &TThread::monitorRdy, &view, [&t, this](TMon *) {
            TMonBlock b {};
            if (t.takeMonitorBlock(1, &b))
                blocks.append(QByteArray(reinterpret_cast<const char *>(b.data), sizeof b.data));
        });
    }

protected:
    // The terminal's side of the stream has ended, and every block a view took is a whole frame
    // of channel 1 as the controller sent it.
    void checkStreamEnded(Run &run)
    {
        QCOMPARE(run.thread.monitorMask(), quint16(0));
        QSet<QByteArray> sentFrames;
        for (const Transfer &x : run.sim.transfers()) {
            if (x.endpoint != 0x82 || x.result != monitor::FrameSize || x.data[1] != 1)
                continue;
            TMonBlock b {};
            monitor::storeFrame(x.data.constData(), b);
            sentFrames.insert(QByteArray(reinterpret_cast<const char *>(b.data), sizeof b.data));
        }
        for (const QByteArray &b : std::as_const(blocks))
            QVERIFY2(sentFrames.contains(b), "a view was handed a frame the controller never sent");
    }

    QList<QByteArray> blocks;
    QObject view; // the connection ends with it, before the list goes
};

// Switching channel 1 on: it succeeded when the stream came on, which its view then switches
// off; a switch that failed started no stream read.
class SwitchOnDriver : public MonitorDriver
{
public:
    void request(Run &run) override { run.thread.reqMonitor(1, true); }
    void observe(Run &run) override
    {
        TThread &t = run.thread;
        QVERIFY(QTest::qWaitFor(
            [&t] { return t.monitorMask() != 0 || (t.queuedJobs() == 0 && !t.isRunning()); },
            5000));
        const bool streamed = t.monitorMask() == 0x0002;
        if (streamed) {
            QTRY_VERIFY(!blocks.isEmpty());
            t.reqMonitor(1, false);
        }
        QVERIFY2(run.settle(), NotSettled);
        run.succeeded = streamed;
        if (!streamed) {
            QVERIFY(blocks.isEmpty());
            QVERIFY(run.sim.moved(0x82).isEmpty()); // no stream read was started
        }
        checkStreamEnded(run);
    }
};

// A job while channel 1 streams.
class StreamingDriver : public MonitorDriver
{
public:
    bool streams() const override { return true; }
    void prepare(Run &run) override
    {
        run.thread.reqMonitor(1, true);
        QTRY_VERIFY(run.thread.monitorFrames() > 0);
        MonitorDriver::prepare(run);
    }
};

// Switching the streaming channel off.
class SwitchOffDriver : public StreamingDriver
{
public:
    void request(Run &run) override { run.thread.reqMonitor(1, false); }
    void observe(Run &run) override
    {
        QVERIFY2(run.settle(), NotSettled);
        checkStreamEnded(run);
    }
};

// The stream's own reads: the stream goes on past the fault (unless the controller left);
// then its view switches it off.
class StreamReadDriver : public StreamingDriver
{
public:
    void request(Run &run) override { framesBefore = run.thread.monitorFrames(); }
    void observe(Run &run) override
    {
        TThread &t = run.thread;
        quint64 framesAtFault = framesBefore;
        if (run.faulted()) {
            QTRY_VERIFY2(
                [&] {
                    for (const Transfer &x : run.sim.transfers())
                        if (isFaultedRead(x, run.kind))
                            return true;
                    return false;
                }(),
                "the fault never hit a stream read");
            framesAtFault = t.monitorFrames();
        }
        if (!isGone(run.kind) || !run.faulted()) {
            QTRY_VERIFY(t.monitorFrames() >= framesAtFault + 3);
            t.reqMonitor(1, false);
        }
        QVERIFY2(run.settle(), NotSettled);
        checkStreamEnded(run);
    }

private:
    quint64 framesBefore = 0;
};

// The worker stopped while the channel streams: it switches off what is still on, and a
// stopped worker runs nothing more, hot-plug checks included. It succeeded when the controller
// stopped streaming.
class ShutDownDriver : public StreamingDriver
{
public:
    Afterwards afterwards() const override { return Afterwards::Stopped; }
    void request(Run &run) override { run.thread.stop(); }
    void observe(Run &run) override
    {
        QVERIFY2(run.thread.wait(10000), "the worker did not end");
        QTest::qWait(30);
        run.succeeded = run.sim.monitorStream().channels() == 0;
        checkStreamEnded(run);
    }
};

// clang-format off
QList<Row> monitorRows()
{
    const MakeDriver on = make<SwitchOnDriver>();
    const MakeDriver off = make<SwitchOffDriver>();
    const MakeDriver read = make<StreamReadDriver>();
    const MakeDriver shutDown = make<ShutDownDriver>();
    // outcomes:    error gone-5 gone-6 short empty echo time-out
    return {
        {"monitor: switch on", on, out(bytes("000e8001")),
                        {Q, Q, Q, _, _, _, Q}, {}},
        {"monitor: switch-on acknowledgement", on, in(bytes("000e8001")),
                        {Q, Q, Q, A, Q, A, Q}, {}},
        {"monitor: switch off", off, out(bytes("000e0001")),
                        {Q, Q, Q, _, _, _, Q}, {}},
        {"monitor: switch-off acknowledgement", off, in(bytes("000e0001")),
                        {Q, Q, Q, A, Q, A, Q}, {}},
        // A wrong echo on the stream is a frame that names a channel nobody switched on.
        {"monitor: stream read", read, {0x82, any()},
                        {D, C, C, D, D, D, D},
                        "Ошибка монитора= %1"},
        // At shut-down the worker switches off what is still on: a switch-off the controller
        // took ends its stream whatever became of the acknowledgement.
        {"monitor: switch off at shut-down", shutDown, out(bytes("000e0001")),
                        {Q, Q, Q, _, _, _, Q}, {}},
        {"monitor: switch-off acknowledgement at shut-down", shutDown, in(bytes("000e0001")),
                        {A, A, A, A, A, A, A}, {}},
    };
}
// clang-format on

const Register registered(50, monitorRows);

} // namespace
} // namespace matrix
