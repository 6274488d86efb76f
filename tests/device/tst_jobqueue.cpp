#include "device/tthread.h"

#include "queuedspy.h"

#include <QTest>

#include <atomic>
#include <thread>
#include <vector>

namespace {
// Records the jobs the worker executes; optionally holds each job until released.
class RecordingThread : public TThread
{
public:
    // The worker calls this class's dispatch(): it must have ended before this part goes.
    ~RecordingThread() override
    {
        stop();
        wait();
    }

    QMutex logMutex; // guards executed
    QList<QPair<quint16, QByteArray>> executed;
    std::atomic<bool> holdJobs {false};
    std::atomic<int> running {0};
    std::atomic<int> maxRunning {0};

    QList<QPair<quint16, QByteArray>> snapshot()
    {
        QMutexLocker lock(&logMutex);
        return executed;
    }

protected:
    void dispatch(TJob &job) override
    {
        const int now = ++running;
        int seen = maxRunning.load();
        while (now > seen && !maxRunning.compare_exchange_weak(seen, now)) { }
        while (holdJobs)
            QThread::msleep(1);
        {
            QMutexLocker lock(&logMutex);
            executed.append(
                {job.type, job.data ? QByteArray(job.data.get(), job.size) : QByteArray()});
        }
        TThread::dispatch(job);
        --running;
    }
};
} // namespace

class TstJobQueue : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void argumentCopies_data();
    void argumentCopies();
    void strictArrivalOrder();
    void jobsWithoutHandlerDoNothing_data();
    void jobsWithoutHandlerDoNothing();
    void errorSignalsWithoutConnection();
    void stopLetsRunningJobFinishAndKeepsQueue();
    void requestsWhileWorkerEnds();
    void setModeIsSeenByJobs();
};

void TstJobQueue::argumentCopies_data()
{
    QTest::addColumn<int>("which");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("copy");
    QTest::newRow("codec") << 0 << 5 << QByteArray("\x1a\x3f", 2);
    QTest::newRow("amp") << 1 << 6 << QByteArray("\x2a", 1);
    QTest::newRow("param4 words big-endian") << 2 << 7 << QByteArray("\x12\x34\x00\x01", 4);
    QTest::newRow("param5") << 3 << 8 << QByteArray("\x01\x02", 2);
    QTest::newRow("param6") << 4 << 9 << QByteArray("\x03\x04", 2);
    QTest::newRow("param11") << 5 << 14 << QByteArray("\x12\x34\x00\x01", 4);
    // Three bytes: one word swapped, the odd last byte (low byte of 0x0001 in memory on a
    // little-endian host) as it stands.
    QTest::newRow("param10 odd size") << 10 << 13
                                      << QByteArray("\x12\x34", 2)
            + char(QSysInfo::ByteOrder == QSysInfo::LittleEndian ? 0x01 : 0x00);
    QTest::newRow("monitor on") << 6 << 17 << QByteArray("\x03\x01", 2);
    QTest::newRow("trace mode high byte first") << 7 << 19 << QByteArray("\xab\xcd", 2);
    QTest::newRow("report plain") << 8 << 15 << QByteArray();
    QTest::newRow("report with reset") << 9 << 16 << QByteArray();
}

void TstJobQueue::argumentCopies()
{
    QFETCH(int, which);
    QFETCH(int, type);
    QFETCH(QByteArray, copy);
    RecordingThread t;
    const quint16 words[2] = {0x1234, 0x0001};
    switch (which) {
    case 0:
        t.reqCodec(0x1a, 0x3f);
        break;
    case 1:
        t.reqAmp(0x2a);
        break;
    case 2:
        t.reqParam4(words, 4);
        break;
    case 3:
        t.reqParam5(1, 2);
        break;
    case 4:
        t.reqParam6(3, 4);
        break;
    case 5:
        t.reqParam11(words, 4);
        break;
    case 6:
        t.reqMonitor(3, true);
        break;
    case 7:
        t.reqTraceMode(0xabcd);
        break;
    case 8:
        t.reqReport(true);
        break;
    case 9:
        t.reqReport(false);
        break;
    case 10:
        t.reqParam10(words, 3);
        break;
    }
    QTRY_COMPARE(t.snapshot().size(), 1);
    QCOMPARE(int(t.snapshot().first().first), type);
    QCOMPARE(t.snapshot().first().second, copy);
}

void TstJobQueue::strictArrivalOrder()
{
    RecordingThread t;
    t.holdJobs = true;
    for (int i = 0; i < 50; ++i)
        t.reqAmp(quint8(i));
    t.holdJobs = false;
    QTRY_COMPARE(t.snapshot().size(), 50);
    t.wait();
    for (int i = 0; i < 50; ++i)
        QCOMPARE(quint8(t.snapshot().at(i).second.at(0)), quint8(i));
    QCOMPARE(t.maxRunning.load(), 1);
}

void TstJobQueue::jobsWithoutHandlerDoNothing_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("0") << 0;
    QTest::newRow("1") << 1;
    QTest::newRow("21") << 21;
    QTest::newRow("65535") << 65535;
}

void TstJobQueue::jobsWithoutHandlerDoNothing()
{
    QFETCH(int, type);
    TThread t;
    QueuedSpy readErr(&t, &TThread::readErr);
    QueuedSpy mes(&t, &TThread::mes);
    t.reqJob(quint16(type), QByteArray("xyz"), 3);
    t.reqRead(); // a job after it still runs
    QTRY_COMPARE(readErr.size(), 1);
    QCOMPARE(mes.size(), 0);
    QCOMPARE(t.queuedJobs(), 0);
}

void TstJobQueue::errorSignalsWithoutConnection()
{
    TThread t;
    QueuedSpy readErr(&t, &TThread::readErr);
    QueuedSpy writeErr(&t, &TThread::writeErr);
    QueuedSpy loadErr(&t, &TThread::loadErr);
    QueuedSpy mes(&t, &TThread::mes);
    QByteArray image(TK440::Size, '\0');
    t.reqRead();
    t.reqWrite(image.constData(), 388);
    t.reqLoad("\x01\x02", 2);
    t.reqCodec(1, 2);
    t.reqParam5(1, 2);
    QTRY_COMPARE(loadErr.size(), 1);
    QCOMPARE(readErr.size(), 1);
    QCOMPARE(writeErr.size(), 1);
}

void TstJobQueue::stopLetsRunningJobFinishAndKeepsQueue()
{
    RecordingThread t;
    t.holdJobs = true;
    t.reqAmp(1);
    QTRY_COMPARE(t.running.load(), 1);
    t.reqAmp(2);
    t.reqAmp(3);
    t.stop();
    t.holdJobs = false;
    QVERIFY(t.wait(5000));
    QCOMPARE(t.snapshot().size(), 1);
    QCOMPARE(t.queuedJobs(), 2);
    // The stop flag is never cleared: later requests queue but do not run.
    t.reqAmp(4);
    QVERIFY(t.wait(5000));
    QCOMPARE(t.snapshot().size(), 1);
    QCOMPARE(t.queuedJobs(), 3);
}

void TstJobQueue::requestsWhileWorkerEnds()
{
    // Several threads keep requesting while the worker repeatedly drains the queue and ends;
    // every job must run exactly once, and each thread's jobs in the order it made them.
    RecordingThread t;
    constexpr int threads = 4;
    constexpr int perThread = 400;
    std::vector<std::thread> producers;
    for (int p = 0; p < threads; ++p) {
        producers.emplace_back([&t, p] {
            for (int i = 0; i < perThread; ++i) {
                const quint16 words[2] = {quint16(p), quint16(i)};
                t.reqParam4(words, 4);
                if (i % 16 == 0)
                    std::this_thread::yield();
            }
        });
    }
    for (auto &producer : producers)
        producer.join();
    QTRY_COMPARE_WITH_TIMEOUT(t.snapshot().size(), threads * perThread, 20000);
    QVERIFY(t.wait(5000));
    int next[threads] = {};
    for (const auto &entry : t.snapshot()) {
        const auto *b = reinterpret_cast<const quint8 *>(entry.second.constData());
        const int p = (b[0] << 8) | b[1];
        const int i = (b[2] << 8) | b[3];
        QCOMPARE(i, next[p]);
        ++next[p];
    }
    QCOMPARE(t.maxRunning.load(), 1);
}

void TstJobQueue::setModeIsSeenByJobs()
{
    TThread t;
    t.setMode(10);
    QCOMPARE(t.currentMode(), 10);
    t.setMode(1);
    QCOMPARE(t.currentMode(), 1);
}

QTEST_GUILESS_MAIN(TstJobQueue)
#include "tst_jobqueue.moc"
