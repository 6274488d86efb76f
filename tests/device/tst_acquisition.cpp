// Statistics report and trace read jobs against the simulated controller: the record as it
// arrives, the reset, every failure path, the wrong-echo retry and its bound.

#include "queuedspy.h"
#include "simrig.h"

#include "device/acquisitionprotocol.h"
#include "device/tthread.h"
#include "sim/simcontroller.h"

#include <QTest>

using Fault = SimController::Fault;
Q_DECLARE_METATYPE(SimController::Fault)

namespace {
bool waitIdle(TThread &t)
{
    const bool idle = QTest::qWaitFor([&t] { return t.queuedJobs() == 0 && t.isFinished(); }, 5000);
    QTest::qWait(20); // deliver the queued signals
    return idle;
}
} // namespace

class TstAcquisition : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reportArrives()
    {
        WorkerRig rig;
        QueuedSpy reports(&rig.thread, &TThread::reportRdy);
        QTest::qWait(60); // let the counters move
        rig.thread.reqReport(true);
        QVERIFY(waitIdle(rig.thread));
        QCOMPARE(reports.size(), 1);
        QCOMPARE(rig.sim->moved(0x01), QList<QByteArray> {QByteArray("\x00\x0d", 2)});
        const TReport expected = rig.sim->statistics().record();
        ReportLock lock(rig.thread.reportRecord());
        QCOMPARE(reports.at(0).value(0).value<TReport *>(), &*lock);
        QCOMPARE(lock->w[34], quint16(512)); // a word after the counters, converted
        const quint32 sent = quint32(lock->w[8] << 16 | lock->w[9]);
        QVERIFY(sent > 0);
        QVERIFY(sent <= quint32(expected.w[8] << 16 | expected.w[9]));
    }

    void resetComesFirst()
    {
        WorkerRig rig;
        QueuedSpy reports(&rig.thread, &TThread::reportRdy);
        rig.thread.reqReport(false);
        QVERIFY(waitIdle(rig.thread));
        QCOMPARE(rig.sim->moved(0x01),
                 (QList<QByteArray> {QByteArray("\x00\x0c", 2), QByteArray("\x00\x0d", 2)}));
        QCOMPARE(rig.sim->statistics().resets(), 1);
        QCOMPARE(reports.size(), 1);
    }

    void reportFailures_data()
    {
        QTest::addColumn<quint8>("endpoint");
        QTest::addColumn<bool>("reset");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<int>("reports");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("connected");

        const QString send13 = "Ошибка передачи команды: 13 ошибка=";
        QTest::newRow("short record") << quint8(0x81) << false << Fault::shortened(40) << 0
                                      << "Ошибка приема команды: 13 ошибка=40" << true;
        QTest::newRow("85 bytes") << quint8(0x81) << false << Fault::shortened(85) << 0
                                  << "Ошибка приема команды: 13 ошибка=85" << true;
        QTest::newRow("no reply") << quint8(0x81) << false << Fault::timeout() << 0
                                  << send13 + "-110" << true;
        QTest::newRow("read error")
            << quint8(0x81) << false << Fault::error(-1) << 0 << send13 + "-1" << true;
        QTest::newRow("send error")
            << quint8(0x01) << false << Fault::error(-4) << 0 << send13 + "-4" << true;
        QTest::newRow("reset send error") << quint8(0x01) << true << Fault::error(-4) << 1
                                          << "Ошибка передачи команды: 12 ошибка=-4" << true;
        QTest::newRow("removed at reset") << quint8(0x01) << true << Fault::error(-5) << 0
                                          << "Контроллер VELK K-330S отключен от шины USB" << false;
        QTest::newRow("removed at report")
            << quint8(0x01) << false << Fault::vanish(-6) << 0
            << "Контроллер VELK K-330S отключен от шины USB" << false;
    }
    void reportFailures()
    {
        QFETCH(quint8, endpoint);
        QFETCH(bool, reset);
        QFETCH(Fault, fault);
        QFETCH(int, reports);
        QFETCH(QString, line);
        QFETCH(bool, connected);

        WorkerRig rig;
        // A good record first: a failed one must leave it as it was.
        rig.thread.reqReport(true);
        QVERIFY(waitIdle(rig.thread));
        TReport before;
        {
            ReportLock lock(rig.thread.reportRecord());
            before = *lock;
        }
        QueuedSpy reportSpy(&rig.thread, &TThread::reportRdy);
        QueuedSpy log(&rig.thread, &TThread::mes);
        rig.sim->failNext(endpoint, fault);
        rig.thread.reqReport(!reset);
        QVERIFY(waitIdle(rig.thread));
        QCOMPARE(reportSpy.size(), reports);
        QVERIFY2(log.strings().contains(line), qPrintable(log.strings().join('|')));
        QCOMPARE(rig.thread.isConnected(), connected);
        if (reports == 0) {
            ReportLock lock(rig.thread.reportRecord());
            QVERIFY(std::equal(std::begin(before.w), std::end(before.w), std::begin(lock->w)));
        }
    }

    void traceBuffer()
    {
        // Nothing captured (mask 0): the header alone, word 0 becomes the count 4.
        WorkerRig rig;
        QueuedSpy traces(&rig.thread, &TThread::traceRdy);
        rig.thread.reqTrace();
        QVERIFY(waitIdle(rig.thread));
        QCOMPARE(traces.size(), 1);
        quint16 *buffer = traces.at(0).value(0).value<quint16 *>();
        QCOMPARE(buffer[0], quint16(4));
        QCOMPARE(buffer[1], quint16(0));

        // Captured lines: count, channel and the bytes as received.
        rig.thread.reqTraceMode(0x0004);
        QTest::qWait(3 * SimTrace::LinePeriodMs);
        rig.thread.reqTrace();
        QVERIFY(waitIdle(rig.thread));
        QCOMPARE(traces.size(), 2);
        const SimTrace::Line line = rig.sim->traceCapture().sent().value(0);
        QCOMPARE(buffer[0], quint16(4 + line.bytes.size()));
        QCOMPARE(buffer[1], quint16(2));
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(buffer) + 4, line.bytes.size()),
                 line.bytes);
    }

    void wrongEcho_data()
    {
        QTest::addColumn<int>("wrong"); // replies with echo 15 before a right one
        QTest::addColumn<int>("delivered");
        QTest::addColumn<int>("reads");
        QTest::addColumn<bool>("stopLine");
        const int max = acquisition::MaxWrongEchoes;
        QTest::newRow("one, retried at once") << 1 << 1 << 2 << false;
        QTest::newRow("just below the bound") << max - 1 << 1 << max << false;
        QTest::newRow("never right") << 1000 << 0 << max << true;
    }
    void wrongEcho()
    {
        QFETCH(int, wrong);
        QFETCH(int, delivered);
        QFETCH(int, reads);
        QFETCH(bool, stopLine);
        WorkerRig rig;
        QueuedSpy traces(&rig.thread, &TThread::traceRdy);
        QueuedSpy log(&rig.thread, &TThread::mes);
        for (int i = 1; i <= qMin(wrong, 2 * acquisition::MaxWrongEchoes); ++i)
            rig.sim->failTransfer(2 * i, Fault::replace(QByteArray("\x00\x0f\x00\x00", 4)));
        rig.thread.reqTrace();
        QVERIFY(waitIdle(rig.thread));
        QCOMPARE(traces.size(), delivered);
        QCOMPARE(rig.sim->moved(0x01).size(), reads);
        const QStringList lines = log.strings();
        QCOMPARE(lines.count("Ошибка ID команды: 16 ошибка=15"), qMin(wrong, reads));
        QCOMPARE(lines.size(), qMin(wrong, reads) + (stopLine ? 1 : 0));
        // The count starts afresh after a right echo.
        if (!stopLine) {
            rig.sim->clearTransfers();
            rig.sim->failTransfer(2, Fault::replace(QByteArray("\x00\x0f\x00\x00", 4)));
            rig.thread.reqTrace();
            QVERIFY(waitIdle(rig.thread));
            QCOMPARE(traces.size(), delivered + 1);
        }
    }

    void traceFailures_data()
    {
        QTest::addColumn<quint8>("endpoint");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("connected");
        QTest::newRow("send error")
            << quint8(0x01) << Fault::error(-4) << "Ошибка передачи команды: 16 ошибка=-4" << true;
        QTest::newRow("read error")
            << quint8(0x81) << Fault::error(-1) << "Ошибка приема команды: 16 ошибка=-1" << true;
        QTest::newRow("no reply") << quint8(0x81) << Fault::timeout()
                                  << "Ошибка приема команды: 16 ошибка=-110" << true;
        QTest::newRow("removed") << quint8(0x01) << Fault::error(-5)
                                 << "Контроллер VELK K-330S отключен от шины USB" << false;
    }
    void traceFailures()
    {
        QFETCH(quint8, endpoint);
        QFETCH(Fault, fault);
        QFETCH(QString, line);
        QFETCH(bool, connected);
        WorkerRig rig;
        QueuedSpy traces(&rig.thread, &TThread::traceRdy);
        QueuedSpy log(&rig.thread, &TThread::mes);
        rig.sim->failNext(endpoint, fault);
        rig.thread.reqTrace();
        QVERIFY(waitIdle(rig.thread));
        QCOMPARE(traces.size(), 0);
        QVERIFY2(log.strings().contains(line), qPrintable(log.strings().join('|')));
        QCOMPARE(rig.sim->moved(0x01).size(), endpoint == 0x01 ? 0 : 1); // chain ended
        QCOMPARE(rig.thread.isConnected(), connected);
    }
};

QTEST_GUILESS_MAIN(TstAcquisition)
#include "tst_acquisition.moc"
