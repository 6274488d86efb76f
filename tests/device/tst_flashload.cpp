// Firmware load: the flash instructions and the write order on their own, then job 4 against
// the simulated serial flash in normal mode (bytes in the flash, instructions on the wire,
// pauses, log lines, failures) and in boot mode.

#include "queuedspy.h"
#include "simrig.h"
#include "testsupport.h"

#include "device/flashexchange.h"
#include "device/flashprotocol.h"
#include "device/tthread.h"
#include "device/usbtransport.h"
#include "sim/simcontroller.h"

#include <QTest>
#include <QThread>
#include <QtEndian>

using Fault = SimController::Fault;
Q_DECLARE_METATYPE(SimController::Fault)
Q_DECLARE_METATYPE(QList<flash::Step>)

namespace {

// A flash instruction as the controller received it.
struct Instruction
{
    quint8 op;
    int address;
    int readCount;
    int dataSize; // page program: data bytes
};

QList<Instruction> instructions(const SimController &sim)
{
    QList<Instruction> out;
    for (const QByteArray &p : sim.moved(0x01)) {
        if (p.size() < 9 || qFromBigEndian<quint16>(p.constData()) != 2)
            continue;
        const int address =
            p.size() >= 12 ? (quint8(p[9]) << 16) | (quint8(p[10]) << 8) | quint8(p[11]) : -1;
        out.append({quint8(p[8]), address, qFromBigEndian<quint16>(p.constData() + 2),
                    int(p.size()) - 12});
    }
    return out;
}

QList<quint32> counts(const QueuedSpy &spy)
{
    QList<quint32> out;
    for (const QVariantList &c : spy.calls)
        out << c.value(0).toUInt();
    return out;
}

} // namespace

class TstFlashLoad : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void packets_data();
    void packets();
    void writeSteps_data();
    void writeSteps();
    void normalLoad_data();
    void normalLoad();
    void corruptedReadBack();
    void failures_data();
    void failures();
    void stuckBusy();
    void bootLoad();
    void bootOpenFails();
    void bootFailures_data();
    void bootFailures();
    void busyFlashIsWaitedFor();
};

void TstFlashLoad::packets_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("RDSR") << flash::readStatus() << QByteArray::fromHex("000200010001000405");
    QTest::newRow("WREN") << flash::writeEnable() << QByteArray::fromHex("000200000001000406");
    QTest::newRow("SE") << flash::sectorErase(0x18000)
                        << QByteArray::fromHex("000200000004000"
                                               "4d8018000");
    QTest::newRow("WrData") << flash::pageProgram(0x1234f, "\xab\xcd\xef", 3)
                            << QByteArray::fromHex("00020000000700040201234fabcdef");
    QTest::newRow("RdData") << flash::readData(0x10001, 255)
                            << QByteArray::fromHex("000200ff000400040301"
                                                   "0001");
}

void TstFlashLoad::packets()
{
    QFETCH(QByteArray, packet);
    QFETCH(QByteArray, expected);
    QCOMPARE(packet.toHex(), expected.toHex());
}

// Rows list the steps that are not full 256-byte pieces at page starts; every row also checks
// that no piece crosses a page or sector, short pieces are odd, each sector is erased before
// its first byte and nothing reaches 0x20000.
void TstFlashLoad::writeSteps_data()
{
    using S = flash::Step;
    QTest::addColumn<int>("payload");
    QTest::addColumn<int>("size");
    QTest::addColumn<QList<flash::Step>>("odd");
    QTest::addColumn<int>("written");

    QTest::newRow("100 bytes") << 512 << 100 << QList<S> {{0, 0}, {0, 99}, {99, 1}} << 100;
    QTest::newRow("0x8000 bytes: one erase") << 512 << 0x8000 << QList<S> {{0, 0}} << 0x8000;
    QTest::newRow("0x8001 bytes: second sector erased")
        << 512 << 0x8001 << QList<S> {{0, 0}, {0x8000, 0}, {0x8000, 1}} << 0x8001;
    QTest::newRow("0x20000 + 16 bytes: capped")
        << 512 << 0x20010 << QList<S> {{0, 0}, {0x8000, 0}, {0x10000, 0}, {0x18000, 0}} << 0x20000;
    QTest::newRow("N=100: 95-byte pieces end at the sector")
        << 100 << 0x8000 + 2 << QList<S> {{0, 0}} << 0x8002;
    QTest::newRow("N=4 keeps one-byte pieces")
        << 4 << 3 << QList<S> {{0, 0}, {0, 1}, {1, 1}, {2, 1}} << 3;
    QTest::newRow("empty file") << 512 << 0 << QList<S> {} << 0;
}

void TstFlashLoad::writeSteps()
{
    QFETCH(int, payload);
    QFETCH(int, size);
    QFETCH(QList<flash::Step>, odd);
    QFETCH(int, written);

    const QList<flash::Step> steps = flash::writeSteps(payload, size);
    const int limit = flash::pageLimit(payload);
    QList<flash::Step> gotOdd;
    int address = 0;
    QSet<int> erased;
    for (const flash::Step &s : steps) {
        if (s.isErase()) {
            QCOMPARE(s.address % flash::SectorSize, 0);
            QCOMPARE(s.address, address);
            erased.insert(s.address);
        } else {
            QCOMPARE(s.address, address);
            QVERIFY(erased.contains(s.address / flash::SectorSize * flash::SectorSize));
            QVERIFY(s.size <= limit);
            QVERIFY(s.address / 256 == (s.address + s.size - 1) / 256);
            QVERIFY(s.size == 256 || s.size % 2 == 1);
            address += s.size;
        }
        if (s.isErase() || (payload > 259 && (s.size != 256 || s.address % 256)))
            gotOdd << s;
    }
    if (payload > 259)
        QCOMPARE(gotOdd, odd);
    else
        QCOMPARE(steps.mid(0, odd.size()), odd);
    QCOMPARE(address, written);
    QVERIFY(address <= flash::FlashSize);
}

// Normal-mode loads: what the flash holds afterwards, the instructions, counts, pauses and log.
void TstFlashLoad::normalLoad_data()
{
    QTest::addColumn<int>("payload");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("erases");
    QTest::addColumn<QList<int>>("firstReads"); // read-back pieces, first ones

    QTest::newRow("100 bytes") << 512 << 100 << 1 << QList<int> {99, 1};
    QTest::newRow("0x8000 bytes") << 512 << 0x8000 << 1 << QList<int> {255, 255};
    QTest::newRow("0x20000 + 16 bytes") << 512 << 0x20010 << 4 << QList<int> {255};
    QTest::newRow("N=64, odd size across a sector")
        << 64 << 0x8000 + 333 << 2 << QList<int> {59, 59};
}

void TstFlashLoad::normalLoad()
{
    QFETCH(int, payload);
    QFETCH(int, size);
    QFETCH(int, erases);
    QFETCH(QList<int>, firstReads);

    WorkerRig rig(1, payload);
    rig.sim->serialFlash().setContents(0, randomBytes(flash::FlashSize, 3));
    const QByteArray file = randomBytes(size, 9);
    QueuedSpy stt(&rig.thread, &TThread::loadStt);
    QueuedSpy chk(&rig.thread, &TThread::loadChk);
    QueuedSpy stp(&rig.thread, &TThread::loadStp);
    QueuedSpy err(&rig.thread, &TThread::loadErr);
    QueuedSpy cnt(&rig.thread, &TThread::loadCnt);
    QueuedSpy log(&rig.thread, &TThread::mes);
    rig.thread.reqLoad(file.constData(), uint(size));
    QTRY_COMPARE_WITH_TIMEOUT(stp.size() + err.size(), 1, 20000);
    QCOMPARE(err.size(), 0);
    QCOMPARE(stt.last().value(0).toUInt(), 0x0300u);
    QCOMPARE(chk.size(), 1);

    const int written = qMin(size, flash::FlashSize);
    QCOMPARE(log.strings(),
             (QStringList {
                 QStringLiteral("Процесс загрузки ПО запущен"),
                 QStringLiteral("Процесс загрузки ПО завершен, передано %1 байт.").arg(written),
                 QStringLiteral("Процесс проверки ПО запущен"),
                 QStringLiteral("Проверка загруженного ПО выполнена. Ошибочных 0 байтов")}));

    // The flash: the file's bytes, then 0xFF to the end of the last erased sector, then what
    // was there before.
    const QByteArray flashNow = rig.sim->flashContents();
    const int erasedEnd = erases * flash::SectorSize;
    QCOMPARE(flashNow.left(written), file.left(written));
    QCOMPARE(flashNow.mid(written, erasedEnd - written),
             QByteArray(erasedEnd - written, char(0xFF)));
    QCOMPARE(flashNow.mid(erasedEnd), randomBytes(flash::FlashSize, 3).mid(erasedEnd));

    // The instructions: the erases, every program preceded by a write enable, the read-back
    // never past what was written.
    int se = 0, programmed = 0, readBack = 0;
    QList<int> reads;
    quint8 previous = 0;
    for (const Instruction &i : instructions(*rig.sim)) {
        if (i.op == flash::OpSectorErase) {
            QCOMPARE(i.address, se * flash::SectorSize);
            ++se;
        }
        if (i.op == flash::OpSectorErase || i.op == flash::OpPageProgram)
            QCOMPARE(previous, flash::OpWriteEnable);
        if (i.op == flash::OpPageProgram)
            programmed += i.dataSize;
        if (i.op == flash::OpReadData) {
            QCOMPARE(i.address, readBack);
            readBack += i.readCount;
            reads << i.readCount;
        }
        previous = i.op;
    }
    QCOMPARE(se, erases);
    QCOMPARE(programmed, written);
    QCOMPARE(readBack, written);
    QCOMPARE(reads.mid(0, firstReads.size()), firstReads);

    // Counts rise to the bytes written, restart at 0 and rise to the bytes verified.
    const QList<quint32> c = counts(cnt);
    qsizetype restart = 1;
    while (restart < c.size() && c.at(restart) >= c.at(restart - 1))
        ++restart;
    QVERIFY(restart < c.size());
    QCOMPARE(c.at(restart), 0u);
    QCOMPARE(c.at(restart - 1), quint32(written));
    QCOMPARE(c.last(), quint32(written));
    QVERIFY(std::is_sorted(c.begin(), c.begin() + restart));
    QVERIFY(std::is_sorted(c.begin() + restart, c.end()));

    // The pauses: 800 ms per erase, L / 256 + 1 per piece, 10 ms per read-back piece.
    int floor = erases * flash::EraseMs + int(reads.size()) * flash::ReadBackPauseMs;
    for (const flash::Step &s : flash::writeSteps(payload, size))
        floor += s.isErase() ? 0 : s.size / 256 + 1;
    QCOMPARE(rig.slept.load(), floor);
}

void TstFlashLoad::corruptedReadBack()
{
    WorkerRig rig;
    rig.sim->serialFlash().corruptReadAt(150);
    const QByteArray file = randomBytes(300, 4);
    QueuedSpy stp(&rig.thread, &TThread::loadStp);
    QueuedSpy err(&rig.thread, &TThread::loadErr);
    QueuedSpy log(&rig.thread, &TThread::mes);
    rig.thread.reqLoad(file.constData(), uint(file.size()));
    QTRY_COMPARE(stp.size() + err.size(), 1);
    QCOMPARE(stp.size(), 1);
    QCOMPARE(log.strings().last(),
             QStringLiteral("Проверка загруженного ПО выполнена. Ошибочных 1 байтов"));
    QCOMPARE(rig.sim->flashContents(0, 300), file);
}

// The k-th transfer of a 100-byte load fails: 1, 2 identification; 3, 4 RDSR; 5, 6 WREN;
// 7, 8 SE; 9-12 RDSR, WREN; 13, 14 WrData; 15-20 the second piece; 21, 22 the last RDSR;
// 23, 24 the read-back's first RdData.
void TstFlashLoad::failures_data()
{
    QTest::addColumn<int>("transfer");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("message");

    QTest::newRow("identification")
        << 1 << Fault::error(-32) << "Ошибка запроса идентификатора устройства=>-32";
    QTest::newRow("RDSR request") << 3 << Fault::error(-32) << "Ошибка запроса RDSR=>-32";
    QTest::newRow("RDSR reply") << 4 << Fault::error(-110) << "Ошибка чтения RDSR=>-110";
    QTest::newRow("RDSR reply without status")
        << 4 << Fault::shortened(8) << "Ошибка чтения RDSR=>8";
    QTest::newRow("WREN") << 5 << Fault::error(-32) << "Ошибка передачи WREN=>-32";
    QTest::newRow("WREN reply") << 6 << Fault::error(-110) << "Ошибка подтверждения WREN=>-110";
    QTest::newRow("SE") << 7 << Fault::error(-32) << "Ошибка передачи SE=>-32";
    QTest::newRow("SE reply") << 8 << Fault::error(-110) << "Ошибка подтверждения SE=>-110";
    QTest::newRow("WrData") << 13 << Fault::error(-32) << "Ошибка передачи WrData=>-32";
    QTest::newRow("WrData reply") << 14 << Fault::error(-110)
                                  << "Ошибка подтверждения WrData=>-110";
    QTest::newRow("RdData") << 23 << Fault::error(-32) << "Ошибка запроса RdData=>-32";
    QTest::newRow("RdData reply") << 24 << Fault::error(-110) << "Ошибка приема RdData=>-110";
    QTest::newRow("RdData reply short")
        << 24 << Fault::shortened(100) << "Ошибка приема RdData=>100";
}

void TstFlashLoad::failures()
{
    QFETCH(int, transfer);
    QFETCH(Fault, fault);
    QFETCH(QString, message);

    WorkerRig rig;
    rig.sim->failTransfer(transfer, fault);
    const QByteArray file = randomBytes(100, 5);
    QueuedSpy stp(&rig.thread, &TThread::loadStp);
    QueuedSpy err(&rig.thread, &TThread::loadErr);
    QueuedSpy log(&rig.thread, &TThread::mes);
    rig.thread.reqLoad(file.constData(), uint(file.size()));
    QTRY_COMPARE(stp.size() + err.size(), 1);
    QCOMPARE(err.size(), 1);
    QVERIFY2(log.strings().contains(message), qPrintable(log.strings().join('|')));
    QVERIFY(!log.strings().last().startsWith(QStringLiteral("Проверка")));
}

void TstFlashLoad::stuckBusy()
{
    WorkerRig rig;
    rig.sim->serialFlash().setStuckBusy(true);
    const QByteArray file(10, 'x');
    QueuedSpy err(&rig.thread, &TThread::loadErr);
    QueuedSpy log(&rig.thread, &TThread::mes);
    rig.thread.reqLoad(file.constData(), uint(file.size()));
    QTRY_COMPARE_WITH_TIMEOUT(err.size(), 1, 20000);
    QCOMPARE(log.strings().last(), QStringLiteral("Ошибка, флеш-память занята дольше 10 с"));
    QCOMPARE(rig.slept.load(), flash::BusyLimitMs);
    QVERIFY(rig.thread.isConnected()); // the connection stays open
}

void TstFlashLoad::bootLoad()
{
    TThread thread;
    std::atomic<int> slept {0};
    thread.setSleepFunction([&](int ms) { slept += ms; });
    SimRig rig(thread); // plugged in, not opened
    const QByteArray file = randomBytes(200, 6);
    QueuedSpy stt(&thread, &TThread::loadStt);
    QueuedSpy stp(&thread, &TThread::loadStp);
    QueuedSpy err(&thread, &TThread::loadErr);
    QueuedSpy cnt(&thread, &TThread::loadCnt);
    QueuedSpy log(&thread, &TThread::mes);
    thread.reqLoad(file.constData(), uint(file.size()));
    QTRY_COMPARE(stp.size() + err.size(), 1);
    QCOMPARE(stp.size(), 1);
    QCOMPARE(stt.last().value(0).toUInt(), 0u);
    QCOMPARE(counts(cnt), (QList<quint32> {64, 128, 192, 200}));
    QList<int> pieces;
    for (const QByteArray &p : rig.sim->moved(0x06))
        pieces << int(p.size());
    QCOMPARE(pieces, (QList<int> {64, 64, 64, 8}));
    QCOMPARE(rig.sim->flashContents(0, 200), file);
    QCOMPARE(log.strings(),
             (QStringList {
                 QStringLiteral("Процесс загрузки ПО (boot_mode) запущен"),
                 QStringLiteral("Процесс загрузки ПО (boot_mode) завершен. Передано 200 байт")}));
    QVERIFY(!thread.isConnected());
    // The next device check opens the controller for normal operation.
    QVERIFY(rig.connect());
    QCOMPARE(rig.sim->activeConfiguration(), 2);
    thread.stop();
    thread.wait();
}

void TstFlashLoad::bootOpenFails()
{
    TThread thread;
    SimRig rig(thread);
    rig.sim->unplug();
    const QByteArray file(10, 'x');
    QueuedSpy err(&thread, &TThread::loadErr);
    QueuedSpy stt(&thread, &TThread::loadStt);
    QueuedSpy log(&thread, &TThread::mes);
    thread.reqLoad(file.constData(), uint(file.size()));
    QTRY_COMPARE(err.size(), 1);
    thread.wait();
    QCOMPARE(stt.size(), 0);
    QCOMPARE(log.strings(), QStringList());
    thread.stop();
    thread.wait();
}

// A failed boot-mode step ends the job with its message and closes the controller, which the
// next device check opens again for normal operation.
void TstFlashLoad::bootFailures_data()
{
    QTest::addColumn<bool>("withStreamEndpoint");
    QTest::addColumn<int>("failedPiece"); // 0: none
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("started");

    QTest::newRow("no stream endpoint")
        << false << 0 << QStringLiteral("Ошибка Ep6out=>%1").arg(usb::ErrNotFound) << 0;
    QTest::newRow("second piece") << true << 2 << QStringLiteral("Ошибка записи в устройства=>-32")
                                  << 1;
}

void TstFlashLoad::bootFailures()
{
    QFETCH(bool, withStreamEndpoint);
    QFETCH(int, failedPiece);
    QFETCH(QString, message);
    QFETCH(int, started);

    TThread thread;
    SimRig rig(thread);
    if (!withStreamEndpoint)
        rig.sim->setEndpoints(usb::ConfigBoot, {0x01, 0x81});
    if (failedPiece > 0)
        rig.sim->failTransfer(failedPiece, Fault::error(-32));
    const QByteArray file = randomBytes(200, 8);
    QueuedSpy stt(&thread, &TThread::loadStt);
    QueuedSpy stp(&thread, &TThread::loadStp);
    QueuedSpy err(&thread, &TThread::loadErr);
    QueuedSpy log(&thread, &TThread::mes);
    thread.reqLoad(file.constData(), uint(file.size()));
    QTRY_COMPARE(err.size(), 1);
    QCOMPARE(stp.size(), 0);
    QCOMPARE(stt.size(), started);
    QCOMPARE(log.strings().last(), message);
    QVERIFY(!thread.isConnected());
    QVERIFY(rig.connect());
    QCOMPARE(rig.sim->activeConfiguration(), usb::ConfigNormal);
    thread.stop();
    thread.wait();
}

// A flash that stays busy after each erase and program: every instruction waits for the status
// poll, in 5 ms steps, and the contents come out right.
void TstFlashLoad::busyFlashIsWaitedFor()
{
    WorkerRig rig;
    // The busy times run on the clock: the status poll's pauses are really slept.
    rig.thread.setSleepFunction([&rig](int ms) {
        rig.slept += ms;
        if (ms == flash::BusyPollMs)
            QThread::msleep(ulong(ms));
    });
    rig.sim->serialFlash().setTimes(40, 2);
    const QByteArray file = randomBytes(600, 10);
    QueuedSpy stp(&rig.thread, &TThread::loadStp);
    QueuedSpy err(&rig.thread, &TThread::loadErr);
    rig.thread.reqLoad(file.constData(), uint(file.size()));
    QTRY_COMPARE(stp.size() + err.size(), 1);
    QCOMPARE(stp.size(), 1);
    QCOMPARE(rig.sim->flashContents(0, 600), file);
    int floor = flash::EraseMs;
    for (const flash::Step &s : flash::writeSteps(512, 600))
        floor += s.isErase() ? 0 : s.size / 256 + 1;
    floor += int(flash::readBackPieces(512, 600).size()) * flash::ReadBackPauseMs;
    QVERIFY(rig.slept.load() > floor);
    QCOMPARE((rig.slept.load() - floor) % flash::BusyPollMs, 0);
}

QTEST_GUILESS_MAIN(TstFlashLoad)
#include "tst_flashload.moc"
