// Live commands of the pages' test mode against the simulated controller: packets, the
// acknowledgement read, failure texts and the mode-10 log lines.
#include "device/liveprotocol.h"
#include "device/tthread.h"
#include "queuedspy.h"
#include "sim/simcontroller.h"
#include "sim/simtransport.h"
#include "testsupport.h"

#include <QTest>

#include <functional>
#include <memory>

using Request = std::function<void(TThread &)>;
Q_DECLARE_METATYPE(Request)

namespace {
const quint16 modemWords[9] = {0x0102, 0x0304, 0x0506, 0x0708, 0x090a,
                               0x0b0c, 0x0d0e, 0x0f10, 0xfffe};
}

class TstLiveCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<TThread> thread;
    std::shared_ptr<SimController> sim;
    std::unique_ptr<QueuedSpy> log;

    bool connectSim()
    {
        thread->checkDevice();
        if (!QTest::qWaitFor([this] { return thread->isConnected(); }, 5000))
            return false;
        QTest::qWait(20);
        log->calls.clear();
        sim->clearTransfers();
        return true;
    }
    void waitIdle()
    {
        QVERIFY(QTest::qWaitFor(
            [this] { return thread->queuedJobs() == 0 && thread->isFinished(); }, 5000));
        QTest::qWait(10); // deliver the queued log lines
    }

private Q_SLOTS:
    void init()
    {
        thread = std::make_unique<TThread>();
        sim = std::make_shared<SimController>();
        sim->setTimeoutWait(20);
        thread->setTransport(makeSimulatedTransport(sim));
        log = std::make_unique<QueuedSpy>(thread.get(), &TThread::mes);
    }
    void cleanup()
    {
        log.reset();
        thread.reset();
        sim.reset();
    }

    void texts()
    {
        QCOMPARE(live::codecSentText(12, 63), QStringLiteral("Переданы параметры=>12[0x3f]; "));
        QCOMPARE(live::ampSentText(0), QStringLiteral("Переданы параметры=>0x0"));
        QCOMPARE(live::parameterSentText(5, hexBytes("01 2c")),
                 QStringLiteral("Переданы параметры: 5=0x1; 0x2c; "));
        QCOMPARE(live::parameterText(15, hexBytes("00 ff")), QStringLiteral("15=0x0; 0xff; "));
        QCOMPARE(live::parameterText(4, {}), QStringLiteral("4="));
    }

    void packets_data()
    {
        QTest::addColumn<Request>("request");
        QTest::addColumn<QByteArray>("packet");
        QTest::addColumn<QString>("mode10");
        QTest::newRow("codec 12") << Request([](TThread &t) { t.reqCodec(12, 63); })
                                  << hexBytes("0003 0000 0002 0018 0c 3f")
                                  << "Переданы параметры=>12[0x3f]; ";
        QTest::newRow("amp 0") << Request([](TThread &t) { t.reqAmp(0); })
                               << hexBytes("0003 0000 0001 0049 00") << "Переданы параметры=>0x0";
        QTest::newRow("amp 213") << Request([](TThread &t) { t.reqAmp(213); })
                                 << hexBytes("0003 0000 0001 0049 d5")
                                 << "Переданы параметры=>0xd5";
        QTest::newRow("param 5") << Request([](TThread &t) { t.reqParam5(1, 44); })
                                 << hexBytes("00 05 01 2c") << "Переданы параметры: 5=0x1; 0x2c; ";
        QTest::newRow("param 6") << Request([](TThread &t) { t.reqParam6(7, 0); })
                                 << hexBytes("00 06 07 00") << "Переданы параметры: 6=0x7; 0x0; ";
        QTest::newRow("param 4") << Request([](TThread &t) { t.reqParam4(modemWords, 6); })
                                 << hexBytes("00 04 0102 0304 0506")
                                 << "Переданы параметры: 4=0x1; 0x2; 0x3; 0x4; 0x5; 0x6; ";
        QTest::newRow("param 7") << Request([](TThread &t) { t.reqParam7(modemWords, 4); })
                                 << hexBytes("00 07 0102 0304")
                                 << "Переданы параметры: 7=0x1; 0x2; 0x3; 0x4; ";
        QTest::newRow("param 8") << Request([](TThread &t) { t.reqParam8(modemWords, 2); })
                                 << hexBytes("00 08 0102") << "Переданы параметры: 8=0x1; 0x2; ";
        QTest::newRow("param 9") << Request([](TThread &t) { t.reqParam9(modemWords + 8, 2); })
                                 << hexBytes("00 09 fffe") << "Переданы параметры: 9=0xff; 0xfe; ";
        QTest::newRow("param 10") << Request([](TThread &t) { t.reqParam10(modemWords, 0); })
                                  << hexBytes("00 0a") << "Переданы параметры: 10=";
        QTest::newRow("param 11")
            << Request([](TThread &t) { t.reqParam11(modemWords, 18); })
            << hexBytes("00 0b 0102 0304 0506 0708 090a 0b0c 0d0e 0f10 fffe")
            << "Переданы параметры: 11=0x1; 0x2; 0x3; 0x4; 0x5; 0x6; 0x7; 0x8; 0x9; 0xa; 0xb; 0xc; "
               "0xd; 0xe; 0xf; 0x10; 0xff; 0xfe; ";
        QTest::newRow("trace mode")
            << Request([](TThread &t) { t.reqTraceMode(0x1234); }) << hexBytes("00 0f 12 34")
            << "Переданы параметры: 15=0x12; 0x34; ";
    }
    void packets()
    {
        QFETCH(Request, request);
        QFETCH(QByteArray, packet);
        QFETCH(QString, mode10);
        QVERIFY(connectSim());
        // Mode 1: sent and acknowledged, nothing logged.
        thread->setMode(1);
        request(*thread);
        waitIdle();
        QCOMPARE(sim->moved(0x01), QList<QByteArray> {packet});
        QCOMPARE(sim->moved(0x81).size(), 1); // the acknowledgement was read
        // Each transfer waits 1000 ms at most; the acknowledgement may fill the whole buffer.
        const auto wire = sim->transfers();
        QCOMPARE(wire.size(), 2);
        QCOMPARE(wire[0].timeoutMs, 1000);
        QCOMPARE(wire[1].endpoint, quint8(0x81));
        QCOMPARE(wire[1].requested, int(sim->payloadSize()) + 8);
        QCOMPARE(wire[1].timeoutMs, 1000);
        QCOMPARE(log->size(), 0);
        // Mode 10: the same packet, and the values in the log.
        thread->setMode(10);
        request(*thread);
        waitIdle();
        QCOMPARE(sim->moved(0x01).size(), 2);
        QCOMPARE(sim->moved(0x01).last(), packet);
        QCOMPARE(log->strings(), QStringList {mode10});
    }

    void controllerTakesValues()
    {
        QVERIFY(connectSim());
        thread->reqCodec(42, 0xfe);
        thread->reqCodec(3, 0x30);
        thread->reqAmp(42);
        thread->reqParam5(1, 44);
        thread->reqParam10(modemWords, 4);
        thread->reqTraceMode(0x8001);
        waitIdle();
        QCOMPARE(sim->codecRegister(42), quint8(0xfe));
        QCOMPARE(sim->codecRegister(3), quint8(0x30));
        QCOMPARE(sim->amplifier(), quint8(42));
        QCOMPARE(sim->parameter(5), hexBytes("01 2c"));
        QCOMPARE(sim->parameter(10), hexBytes("0102 0304"));
        QCOMPARE(sim->traceMode(), quint16(0x8001));
        QCOMPARE(sim->parameter(6), QByteArray());
    }

    void withoutConnection()
    {
        thread->setMode(10);
        sim->unplug();
        thread->reqCodec(12, 63);
        thread->reqAmp(0);
        thread->reqParam5(1, 2);
        thread->reqTraceMode(1);
        waitIdle();
        QCOMPARE(sim->transferCount(), 0);
        QCOMPARE(log->size(), 0);
    }

    void failures_data()
    {
        QTest::addColumn<Request>("request");
        QTest::addColumn<quint8>("endpoint");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("message");
        QTest::newRow("codec send") << Request([](TThread &t) { t.reqCodec(12, 63); })
                                    << quint8(0x01) << -5 << "Ошибка передачи команды кодека=>-5";
        QTest::newRow("codec ack")
            << Request([](TThread &t) { t.reqCodec(12, 63); }) << quint8(0x81) << -110
            << "Ошибка подтверждения команды кодека=>-110";
        QTest::newRow("amp send") << Request([](TThread &t) { t.reqAmp(1); }) << quint8(0x01) << -32
                                  << "Ошибка передачи команды усилителя=>-32";
        QTest::newRow("amp ack") << Request([](TThread &t) { t.reqAmp(1); }) << quint8(0x81) << -5
                                 << "Ошибка подтверждения команды усилителя=>-5";
        QTest::newRow("param send")
            << Request([](TThread &t) { t.reqParam5(1, 44); }) << quint8(0x01) << -5
            << "Ошибка передачи команды: 5=0x1; 0x2c;  ошибка=-5";
        QTest::newRow("param ack") << Request([](TThread &t) { t.reqTraceMode(2); }) << quint8(0x81)
                                   << -75 << "Ошибка передачи команды: 15=0x0; 0x2;  ошибка=-75";
    }
    void failures()
    {
        QFETCH(Request, request);
        QFETCH(quint8, endpoint);
        QFETCH(int, error);
        QFETCH(QString, message);
        QVERIFY(connectSim());
        QueuedSpy connSpy(thread.get(), &TThread::conn);
        thread->setMode(10);
        sim->failNext(endpoint, SimController::Fault::error(error));
        request(*thread);
        waitIdle();
        QCOMPARE(log->strings(), QStringList {message}); // no mode-10 line after a failure
        // Logged and dropped: the connection stays open, the GUI is not told otherwise.
        QVERIFY(thread->isConnected());
        QCOMPARE(connSpy.size(), 0);
        QCOMPARE(sim->moved(0x01).size(), endpoint == 0x01 ? 0 : 1);
        // The next command goes through.
        log->calls.clear();
        thread->reqAmp(9);
        waitIdle();
        QCOMPARE(log->strings(), QStringList {QStringLiteral("Переданы параметры=>0x9")});
    }

    void emptyAcknowledgement()
    {
        QVERIFY(connectSim());
        thread->setMode(10);
        sim->failNext(0x81, SimController::Fault::empty());
        thread->reqAmp(0);
        waitIdle();
        QCOMPARE(log->strings(), QStringList {QStringLiteral("Переданы параметры=>0x0")});
    }

    // A controller that announces a tiny payload: a packet longer than the transfer buffer
    // is refused instead of overrunning it.
    void packetLargerThanBuffer()
    {
        sim->setPayloadSize(1); // buffer of 9 bytes
        QVERIFY(connectSim());
        thread->setMode(10);
        thread->reqCodec(12, 63); // 10 bytes
        thread->reqAmp(5); // 9 bytes: fits
        waitIdle();
        QCOMPARE(log->strings(),
                 (QStringList {QStringLiteral("Ошибка передачи команды кодека=>-75"),
                               QStringLiteral("Переданы параметры=>0x5")}));
        QCOMPARE(sim->moved(0x01), QList<QByteArray> {hexBytes("0003 0000 0001 0049 05")});
    }

    void jobsWithoutArguments()
    {
        QVERIFY(connectSim());
        thread->setMode(10);
        thread->reqJob(TThread::JobCodec, hexBytes("0c"), 1);
        thread->reqJob(TThread::JobAmp, {}, 0);
        waitIdle();
        QCOMPARE(sim->transfers().size(), 0);
        QCOMPARE(log->size(), 0);
    }
};

QTEST_GUILESS_MAIN(TstLiveCommands)
#include "tst_livecommands.moc"
