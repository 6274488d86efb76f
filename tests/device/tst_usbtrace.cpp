// The USB trace: one line per transfer, flushed as written.

#include "config/crc16.h"
#include "device/tracingtransport.h"
#include "device/tthread.h"
#include "sim/linkoptions.h"
#include "sim/simtransport.h"
#include "testsupport.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

class TstUsbTrace : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void lineFormat_data();
    void lineFormat();
    void linesInFile();
    void costPerTransfer();
    void commandLine_data();
    void commandLine();
};

void TstUsbTrace::lineFormat_data()
{
    QTest::addColumn<quint8>("endpoint");
    QTest::addColumn<int>("requested");
    QTest::addColumn<int>("timeout");
    QTest::addColumn<int>("result");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("write") << quint8(0x01) << 4 << 1000 << 4 << hexBytes("00004000")
                           << QByteArray("Ep1out req=4 tmo=1000 res=4 00 00 40 00");
    QTest::newRow("short read") << quint8(0x81) << 520 << 1000 << 2 << hexBytes("0001")
                                << QByteArray("Ep1in req=520 tmo=1000 res=2 00 01");
    QTest::newRow("monitor time-out") << quint8(0x82) << 1024 << 100 << -110 << QByteArray()
                                      << QByteArray("Ep2in req=1024 tmo=100 res=-110");
    QTest::newRow("boot stream") << quint8(0x06) << 64 << 1000 << 0 << QByteArray()
                                 << QByteArray("Ep6out req=64 tmo=1000 res=0");
}

void TstUsbTrace::lineFormat()
{
    QFETCH(quint8, endpoint);
    QFETCH(int, requested);
    QFETCH(int, timeout);
    QFETCH(int, result);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, line);
    QCOMPARE(TracingTransport::formatLine(usb::endpointName(endpoint), requested, timeout, result,
                                          data.constData()),
             line);
}

void TstUsbTrace::linesInFile()
{
    QTemporaryDir dir;
    const QString name = dir.filePath("usb.trace");
    auto sim = std::make_shared<SimController>();
    sim->setTimeoutWait(5);
    TracingTransport trace(std::make_unique<SimTransport>(sim), name);
    QVERIFY(trace.isTracing());
    QCOMPARE(trace.open(0x0451, 0x9001), 0);
    QByteArray product;
    QVERIFY(trace.productString(&product, 20) > 0);
    QCOMPARE(trace.setConfiguration(2), 0);
    QCOMPARE(trace.claimInterface(0), 0);
    QCOMPARE(trace.bulkWrite(0x01, "\x00\x00\x40\x00", 4, 1000), 4);
    char reply[4];
    QCOMPARE(trace.bulkRead(0x81, reply, 4, 1000), 4);
    QCOMPARE(trace.bulkRead(0x82, reply, 4, 100), -110);

    // Every line is in the file as soon as the transfer returns.
    QFile file(name);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 6); // five lines and the empty rest after the last newline
    const QString stamp = QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} )");
    const QStringList tails = {
        "Ep0 string req=20 tmo=1000 res=11 56 45 4c 4b 20 4b 2d 33 33 30 53",
        "Ep0 config=2 req=0 tmo=1000 res=0",
        "Ep1out req=4 tmo=1000 res=4 00 00 40 00",
        "Ep1in req=4 tmo=1000 res=4 00 00 02 00",
        "Ep2in req=4 tmo=100 res=-110",
    };
    for (int i = 0; i < tails.size(); ++i) {
        const QString l = QString::fromLatin1(lines[i]);
        QVERIFY2(QRegularExpression(stamp + QRegularExpression::escape(tails[i]) + "$")
                     .match(l)
                     .hasMatch(),
                 qPrintable(l));
    }
}

void TstUsbTrace::costPerTransfer()
{
    // A traced exchange must not be noticeably slower: compare 500 handshakes with and
    // without the trace (the simulated device answers at once, so the trace dominates).
    QTemporaryDir dir;
    auto sim = std::make_shared<SimController>();
    SimTransport plain(sim);
    TracingTransport traced(std::make_unique<SimTransport>(sim), dir.filePath("t"));
    auto run = [](UsbTransport &t) {
        t.open(0x0451, 0x9001);
        t.setConfiguration(2);
        t.claimInterface(0);
        QElapsedTimer clock;
        clock.start();
        char reply[520];
        for (int i = 0; i < 500; ++i) {
            t.bulkWrite(0x01, "\x00\x03\x01\x84\x00\x02\x00\x50\x00\x00", 10, 1000);
            t.bulkRead(0x81, reply, 520, 1000);
        }
        return clock.nsecsElapsed() / 1000;
    };
    const qint64 without = run(plain);
    const qint64 with = run(traced);
    qInfo("500 exchanges of 10 + 396 bytes: %lld us plain, %lld us traced", without, with);
    // Under 100 us per traced transfer: far below the 1 ms a USB frame takes.
    QVERIFY2(with < 1000 * 100, qPrintable(QString::number(with)));
}

void TstUsbTrace::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<int>("model"); // of the simulated controller, 0 for the libusb backend
    QTest::addColumn<bool>("traced");
    QTest::newRow("plain bus") << QStringList {} << true << 0 << false;
    QTest::newRow("simulate") << QStringList {"--simulate"} << true << 0x0300 << false;
    QTest::newRow("simulate RB traced")
        << QStringList {"--simulate", "--sim-model", "rb", "--usb-trace", "@"} << true << 0x0301
        << true;
    QTest::newRow("real bus traced") << QStringList {"--usb-trace", "@"} << true << 0 << true;
    QTest::newRow("three simulated")
        << QStringList {"--simulate", "--sim-count", "3"} << true << 0x0300 << false;
    QTest::newRow("unknown model")
        << QStringList {"--simulate", "--sim-model", "RC"} << false << 0 << false;
    QTest::newRow("no simulated controller")
        << QStringList {"--simulate", "--sim-count", "0"} << false << 0 << false;
    QTest::newRow("trace file not writable")
        << QStringList {"--usb-trace", "/nonexistent/dir/t"} << false << 0 << false;
}

void TstUsbTrace::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, accepted);
    QFETCH(int, model);
    QFETCH(bool, traced);
    QTemporaryDir dir;
    const QString traceFile = dir.filePath("usb.trace");
    arguments.replaceInStrings(QStringLiteral("@"), traceFile);
    QCommandLineParser parser;
    addLinkOptions(parser);
    QVERIFY(parser.parse(QStringList {"k330-terminal"} + arguments));
    const LinkChoice choice = linkChoice(parser);
    QCOMPARE(choice.error.isEmpty(), accepted);
    if (!accepted)
        return;
    // Only what the options ask for changes the link: no factory for the plain USB bus.
    QCOMPARE(bool(choice.transport), traced || model != 0);

    TThread thread(nullptr, choice.transport);
    UsbTransport *link = thread.transport();
    auto *trace = qobject_cast<TracingTransport *>(link);
    QCOMPARE(trace != nullptr, traced);
    if (trace)
        link = trace->inner();
    auto *sim = qobject_cast<SimTransport *>(link);
    QCOMPARE(sim != nullptr, model != 0);
    QCOMPARE(choice.simulator.get(), sim ? sim->model() : nullptr);
    if (sim) {
        QCOMPARE(int(sim->model()->identification().model), model);
        // The simulated controller holds a configuration whose checksum matches.
        const QByteArray memory = sim->model()->memory(0, 388);
        const quint16 stored = quint16(quint8(memory[0]) | (quint8(memory[1]) << 8));
        QCOMPARE(Crc16().compute(memory.constData() + 2, 180), stored);
        thread.checkDevice();
        thread.wait(); // the worker has run the check
        QTRY_VERIFY(thread.isConnected());
    }
    if (traced && sim) {
        QFile file(traceFile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().contains(" Ep1out req=4 tmo=1000 res=4 00 00 40 00\n"));
    }
}

QTEST_GUILESS_MAIN(TstUsbTrace)
#include "tst_usbtrace.moc"
