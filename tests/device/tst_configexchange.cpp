// Configuration read and write jobs against the simulated controller: block sizes and offsets
// seen by the device, progress counts, pauses, round trips and every failure path.

#include "queuedspy.h"
#include "simrig.h"
#include "testsupport.h"

#include "config/tk440.h"
#include "device/tthread.h"
#include "sim/simcontroller.h"
#include "sim/simtransport.h"

#include <QTest>
#include <QtEndian>

#include <atomic>
#include <cstring>
#include <memory>

using Fault = SimController::Fault;
Q_DECLARE_METATYPE(SimController::Fault)

namespace {

// One memory-form command as the controller received it.
struct MemoryCommand
{
    int readCount;
    int writeCount;
    int offset;
};

QList<MemoryCommand> memoryCommands(const SimController &sim)
{
    QList<MemoryCommand> out;
    for (const QByteArray &p : sim.moved(0x01)) {
        if (p.size() < 10 || qFromBigEndian<quint16>(p.constData()) != 3)
            continue;
        out.append({qFromBigEndian<quint16>(p.constData() + 2),
                    qFromBigEndian<quint16>(p.constData() + 4),
                    qFromBigEndian<quint16>(p.constData() + 8)});
    }
    return out;
}

// A 402-byte record as the write job receives it, for the model.
QByteArray writeRecord(quint16 model, quint32 seed = 7)
{
    QByteArray r = randomBytes(TK440::Size, seed);
    r[TK440::ModelOffset] = char(model & 0xFF);
    r[TK440::ModelOffset + 1] = char(model >> 8);
    return r;
}

// A worker connected to a simulated controller, with its pauses recorded instead of slept.
// The shared rig with random memory and a payload size of the test's choosing.
struct Rig : WorkerRig
{
    explicit Rig(int payload = 512, int mode = 1)
        : WorkerRig(mode, payload)
    {
        sim->setMemory(0, randomBytes(SimController::MemorySize, 1));
    }
};

// Frees the records that readCfg handed to a spy.
void freeRecords(const QueuedSpy &spy)
{
    for (const QVariantList &call : spy.calls)
        delete call.value(0).value<TK440 *>();
}

} // namespace

class TstConfigExchange : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readBlocks_data();
    void readBlocks();
    void readFailures_data();
    void readFailures();
    void readDevOutlivesFailedRead();
    void readWithoutReceiver();
    void writeBlocks_data();
    void writeBlocks();
    void writeThenReadIsIdentical_data();
    void writeThenReadIsIdentical();
    void writeFailures_data();
    void writeFailures();
    void writeReportsDifferingBytes();
};

void TstConfigExchange::readBlocks_data()
{
    QTest::addColumn<int>("payload");
    QTest::addColumn<QList<int>>("sizes");
    QTest::addColumn<QList<int>>("offsets");

    QTest::newRow("N=512") << 512 << QList<int> {388} << QList<int> {0};
    QTest::newRow("N=388") << 388 << QList<int> {388} << QList<int> {0};
    QTest::newRow("N=100") << 100 << QList<int> {100, 100, 100, 88}
                           << QList<int> {0, 100, 200, 300};
    QTest::newRow("N=387") << 387 << QList<int> {387, 1} << QList<int> {0, 387};
}

void TstConfigExchange::readBlocks()
{
    QFETCH(int, payload);
    QFETCH(QList<int>, sizes);
    QFETCH(QList<int>, offsets);

    Rig rig(payload);
    rig.sim->setVersion(0x0200);
    QueuedSpy cfg(&rig.thread, &TThread::readCfg);
    QueuedSpy cnt(&rig.thread, &TThread::readCnt);
    QueuedSpy dev(&rig.thread, &TThread::readDev);
    QueuedSpy err(&rig.thread, &TThread::readErr);
    QueuedSpy log(&rig.thread, &TThread::mes);
    rig.thread.reqRead();
    QTRY_COMPARE(cfg.size(), 1);
    QCOMPARE(err.size(), 0);
    QCOMPARE(dev.size(), 1);

    QList<int> gotSizes, gotOffsets;
    for (const MemoryCommand &c : memoryCommands(*rig.sim)) {
        QCOMPARE(c.writeCount, 2);
        gotSizes << c.readCount;
        gotOffsets << c.offset;
    }
    QCOMPARE(gotSizes, sizes);
    QCOMPARE(gotOffsets, offsets);

    QList<quint32> counts {14};
    for (int s : sizes)
        counts << counts.last() + quint32(s);
    QList<quint32> gotCounts;
    for (const QVariantList &c : cnt.calls)
        gotCounts << c.value(0).toUInt();
    QCOMPARE(gotCounts, counts);
    QCOMPARE(
        log.strings(),
        QStringList {QStringLiteral("Процесс чтения конфигурации завершен, получено 402 байт.")});

    auto *rec = cfg.last().value(0).value<TK440 *>();
    QCOMPARE(QByteArray(rec->data(), 388), rig.sim->memory(0, 388));
    QCOMPARE(rec->word(TK440::ModelOffset), TK440::ModelRA);
    QCOMPARE(rec->word(TK440::VersionOffset), quint16(0x0200));
    QCOMPARE(rec->word(TK440::CpuIdOffset), rig.sim->identification().cpuId);
    QCOMPARE(rec->word(TK440::CpuSerialOffset + 6), rig.sim->identification().cpuSerial[3]);
    QCOMPARE(static_cast<void *>(dev.last().value(0).value<TDev *>()),
             static_cast<void *>(rec->b + TK440::IdentOffset));
    freeRecords(cfg);
}

// The k-th transfer of the read (1, 2: identification; 3, 4: first block) fails as given.
void TstConfigExchange::readFailures_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<quint16>("version");
    QTest::addColumn<int>("transfer");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("closes");

    const Fault none = Fault::delay(0);
    QByteArray otherCommand = QByteArray::fromHex("0002000e00000000") + QByteArray(14, '\1');
    QTest::newRow("no connection") << false << quint16(0x0201) << 0 << none << QString() << false;
    QTest::newRow("identification request")
        << true << quint16(0x0201) << 1 << Fault::error(-32)
        << "Ошибка запроса идентификатора устройства=>-32" << true;
    QTest::newRow("identification reply")
        << true << quint16(0x0201) << 2 << Fault::error(-110)
        << "Ошибка приема идентификатора устройства=>-110" << true;
    QTest::newRow("identification of another command")
        << true << quint16(0x0201) << 2 << Fault::replace(otherCommand)
        << "Ошибка приема идентификатора устройства" << true;
    QTest::newRow("identification reply of 21 bytes")
        << true << quint16(0x0201) << 2 << Fault::shortened(21)
        << "Ошибка приема идентификатора устройства=>21" << true;
    QTest::newRow("identification reply empty")
        << true << quint16(0x0201) << 2 << Fault::empty()
        << "Ошибка приема идентификатора устройства=>0" << true;
    QTest::newRow("version 0x0202") << true << quint16(0x0202) << 0 << none
                                    << "Ошибка, версия ПО контроллера не поддерживается" << false;
    QTest::newRow("block request") << true << quint16(0x0201) << 3 << Fault::error(-32)
                                   << "Ошибка запроса конфигурации устройства=>-32" << false;
    QTest::newRow("block request moves nothing")
        << true << quint16(0x0201) << 3 << Fault::empty()
        << "Ошибка запроса конфигурации устройства=>0" << false;
    QTest::newRow("block reply") << true << quint16(0x0201) << 4 << Fault::error(-110)
                                 << "Ошибка приема конфигурации устройства=>-110" << false;
    QTest::newRow("block reply empty") << true << quint16(0x0201) << 4 << Fault::empty()
                                       << "Ошибка приема конфигурации устройства=>0" << false;
    QTest::newRow("block reply short of its data")
        << true << quint16(0x0201) << 4 << Fault::shortened(395)
        << "Ошибка приема конфигурации устройства=>395" << false;
}

void TstConfigExchange::readFailures()
{
    QFETCH(bool, connected);
    QFETCH(quint16, version);
    QFETCH(int, transfer);
    QFETCH(Fault, fault);
    QFETCH(QString, message);
    QFETCH(bool, closes);

    Rig rig;
    rig.sim->setVersion(version);
    if (!connected) {
        rig.sim->unplug();
        rig.thread.checkDevice();
        rig.thread.wait(); // the worker has run the check
        QVERIFY(!rig.thread.isConnected());
    }
    if (transfer > 0)
        rig.sim->failTransfer(transfer, fault);
    QueuedSpy cfg(&rig.thread, &TThread::readCfg);
    QueuedSpy err(&rig.thread, &TThread::readErr);
    QueuedSpy log(&rig.thread, &TThread::mes);
    QueuedSpy conn(&rig.thread, &TThread::conn);
    rig.thread.reqRead();
    QTRY_COMPARE(err.size(), 1);
    QTRY_VERIFY(!rig.thread.isRunning());
    QTest::qWait(20);
    QCOMPARE(cfg.size(), 0);
    QStringList expected = message.isEmpty() ? QStringList() : QStringList {message};
    // A connection that closes is announced gone, so that the window stops offering the read.
    if (closes)
        expected << QStringLiteral("Контроллер VELK K-330S отключен от шины USB");
    QCOMPARE(log.strings(), expected);
    QCOMPARE(rig.thread.isConnected(), connected && !closes);
    QCOMPARE(conn.size(), closes ? 1 : 0);
    if (closes)
        QCOMPARE(conn.last().at(0).toBool(), false);
    if (version != 0x0201) // refused before any block
        QVERIFY(memoryCommands(*rig.sim).isEmpty());
}

// readDev points into the record; a read that fails afterwards must not free it before the
// signal has reached its receiver.
void TstConfigExchange::readDevOutlivesFailedRead()
{
    Rig rig;
    rig.sim->failTransfer(4, Fault::error(-110));
    QList<quint16> models;
    connect(
        &rig.thread, &TThread::readDev, this, [&](TDev *d) { models << d->model; },
        Qt::QueuedConnection);
    QueuedSpy err(&rig.thread, &TThread::readErr);
    rig.thread.reqRead();
    QTRY_COMPARE(err.size(), 1);
    QCOMPARE(models, QList<quint16> {TK440::ModelRA});
}

// A read whose window has gone: the record is freed, not leaked (the sanitizer run checks it).
void TstConfigExchange::readWithoutReceiver()
{
    Rig rig;
    QueuedSpy log(&rig.thread, &TThread::mes);
    rig.thread.reqRead();
    QTRY_COMPARE(log.size(), 1);
    QVERIFY(log.last().value(0).toString().endsWith(QStringLiteral("402 байт.")));
    QTRY_VERIFY(!rig.thread.isRunning());
    QCoreApplication::processEvents();
}

void TstConfigExchange::writeBlocks_data()
{
    QTest::addColumn<int>("payload");
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("sizes");
    QTest::addColumn<QList<int>>("verify");

    QTest::newRow("182 bytes") << 512 << 182 << QList<int> {64, 64, 53, 1} << QList<int> {182};
    QTest::newRow("388 bytes") << 512 << 388 << QList<int> {64, 64, 64, 64, 64, 64, 3, 1}
                               << QList<int> {388};
    QTest::newRow("388 bytes, N=200")
        << 200 << 388 << QList<int> {64, 64, 64, 64, 64, 64, 3, 1} << QList<int> {200, 188};
    QTest::newRow("N=67") << 67 << 182 << QList<int> {64, 64, 53, 1} << QList<int> {67, 67, 48};
    QTest::newRow("N=66") << 66 << 182 << QList<int> {63, 63, 55, 1} << QList<int> {66, 66, 50};
    QTest::newRow("N=65") << 65 << 182 << QList<int> {61, 61, 59, 1} << QList<int> {65, 65, 52};
    QTest::newRow("N=20") << 20 << 182 << QList<int> {17, 17, 17, 17, 17, 17, 17, 17, 17, 17, 11, 1}
                          << QList<int> {20, 20, 20, 20, 20, 20, 20, 20, 20, 2};
}

void TstConfigExchange::writeBlocks()
{
    QFETCH(int, payload);
    QFETCH(int, count);
    QFETCH(QList<int>, sizes);
    QFETCH(QList<int>, verify);

    Rig rig(payload);
    const QByteArray record = writeRecord(TK440::ModelRA);
    QueuedSpy stt(&rig.thread, &TThread::writeStt);
    QueuedSpy chk(&rig.thread, &TThread::writeChk);
    QueuedSpy stp(&rig.thread, &TThread::writeStp);
    QueuedSpy err(&rig.thread, &TThread::writeErr);
    QueuedSpy cnt(&rig.thread, &TThread::writeCnt);
    QueuedSpy log(&rig.thread, &TThread::mes);
    rig.thread.reqWrite(record.constData(), count);
    QTRY_COMPARE(stp.size(), 1);
    QCOMPARE(err.size(), 0);
    QCOMPARE(stt.size(), 1);
    QCOMPARE(chk.size(), 1);

    QList<int> written, offsets, verified;
    int expectOffset = 0;
    for (const MemoryCommand &c : memoryCommands(*rig.sim)) {
        if (c.readCount == 0) {
            QVERIFY(verified.isEmpty());
            written << c.writeCount - 2;
            offsets << c.offset;
        } else {
            QCOMPARE(c.writeCount, 2);
            QCOMPARE(c.offset, expectOffset);
            expectOffset += c.readCount;
            verified << c.readCount;
        }
    }
    QCOMPARE(written, sizes);
    QCOMPARE(verified, verify);
    int at = 0;
    for (int i = 0; i < sizes.size(); ++i) {
        QCOMPARE(offsets.at(i), at);
        at += sizes.at(i);
    }
    QCOMPARE(rig.sim->memory(0, count), record.left(count));
    // Nothing beyond the count is written.
    QCOMPARE(rig.sim->memory(count, 4), randomBytes(SimController::MemorySize, 1).mid(count, 4));

    // Progress: bytes written after each block, 0, then bytes verified after each block.
    QList<quint32> expected;
    quint32 sum = 0;
    for (int s : sizes)
        expected << (sum += quint32(s));
    expected << 0;
    sum = 0;
    for (int s : verify)
        expected << (sum += quint32(s));
    QList<quint32> got;
    for (const QVariantList &c : cnt.calls)
        got << c.value(0).toUInt();
    QCOMPARE(got, expected);

    QCOMPARE(rig.slept.load(), 10 * count + 10 * int(sizes.size()));
    QCOMPARE(rig.sleeps.load(), int(sizes.size()));
    QCOMPARE(log.strings(),
             (QStringList {"Загрузка конфигурации завершена, передано " + QString::number(count)
                               + " байт.",
                           "Проверка загруженной конфигурации выполнена. Ошибочных 0 байтов"}));
}

void TstConfigExchange::writeThenReadIsIdentical_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("count");
    QTest::newRow("mode 1") << 1 << 182;
    QTest::newRow("mode 3") << 3 << 388;
    QTest::newRow("mode 10") << 10 << 388;
}

void TstConfigExchange::writeThenReadIsIdentical()
{
    QFETCH(int, mode);
    QFETCH(int, count);

    Rig rig(512, mode);
    const QByteArray record = writeRecord(TK440::ModelRA, quint32(mode));
    const QByteArray before = rig.sim->memory(0, 388);
    QueuedSpy stp(&rig.thread, &TThread::writeStp);
    QueuedSpy cfg(&rig.thread, &TThread::readCfg);
    rig.thread.reqWrite(record.constData(), count);
    rig.thread.reqRead();
    QTRY_COMPARE(cfg.size(), 1);
    QCOMPARE(stp.size(), 1);
    auto *rec = cfg.last().value(0).value<TK440 *>();
    QCOMPARE(QByteArray(rec->data(), count), record.left(count));
    QCOMPARE(QByteArray(rec->data() + count, 388 - count), before.mid(count));
    freeRecords(cfg);
}

// The k-th transfer of the write fails as given: 1, 2 identification; then write and
// acknowledgement per block (3..10 for 182 bytes); then request and reply of the read-back.
void TstConfigExchange::writeFailures_data()
{
    QTest::addColumn<bool>("connected");
    QTest::addColumn<int>("mode");
    QTest::addColumn<quint16>("deviceModel");
    QTest::addColumn<quint16>("version");
    QTest::addColumn<int>("transfer");
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("blocksWritten");
    QTest::addColumn<bool>("ok");

    const Fault none = Fault::delay(0);
    const quint16 RA = TK440::ModelRA;
    const quint16 v = 0x0201;
    QTest::newRow("no connection") << false << 1 << RA << v << 0 << none << QString() << 0 << false;
    QTest::newRow("identification request")
        << true << 1 << RA << v << 1 << Fault::error(-32)
        << "Ошибка запроса идентификатора устройства=>-32" << 0 << false;
    QTest::newRow("identification reply")
        << true << 1 << RA << v << 2 << Fault::error(-110)
        << "Ошибка приема идентификатора устройства=>-110" << 0 << false;
    QTest::newRow("identification reply of 8 bytes")
        << true << 1 << RA << v << 2 << Fault::shortened(8)
        << "Ошибка приема идентификатора устройства=>8" << 0 << false;
    QTest::newRow("image for another model")
        << true << 1 << TK440::ModelRB << v << 0 << none
        << "Конфигурация не соответсвует типу контроллера." << 0 << false;
    QTest::newRow("version 0x0202 in mode 1")
        << true << 1 << RA << quint16(0x0202) << 0 << none
        << "Ошибка, версия ПО контроллера не поддерживается" << 0 << false;
    QTest::newRow("version 0x0202 in mode 2")
        << true << 2 << RA << quint16(0x0202) << 0 << none << QString() << 4 << true;
    QTest::newRow("version 0x0100 in mode 10")
        << true << 10 << RA << quint16(0x0100) << 0 << none << QString() << 8 << true;
    QTest::newRow("first block write") << true << 1 << RA << v << 3 << Fault::error(-32)
                                       << "Ошибка записи в устройства=>-32" << 0 << false;
    QTest::newRow("second block write") << true << 1 << RA << v << 5 << Fault::error(-5)
                                        << "Ошибка записи в устройства=>-5" << 1 << false;
    QTest::newRow("acknowledgement") << true << 1 << RA << v << 4 << Fault::error(-110)
                                     << "Ошибка подтверждения записи=>-110" << 1 << false;
    QTest::newRow("empty acknowledgement accepted")
        << true << 1 << RA << v << 4 << Fault::empty() << QString() << 4 << true;
    QTest::newRow("read-back request") << true << 1 << RA << v << 11 << Fault::error(-32)
                                       << "Ошибка запроса данных =>-32" << 4 << false;
    QTest::newRow("read-back request moves nothing") << true << 1 << RA << v << 11 << Fault::empty()
                                                     << "Ошибка запроса данных =>0" << 4 << false;
    QTest::newRow("read-back reply") << true << 1 << RA << v << 12 << Fault::error(-110)
                                     << "Ошибка приема данных=>-110" << 4 << false;
    QTest::newRow("read-back reply short of its data")
        << true << 1 << RA << v << 12 << Fault::shortened(100) << "Ошибка приема данных=>100" << 4
        << false;
}

void TstConfigExchange::writeFailures()
{
    QFETCH(bool, connected);
    QFETCH(int, mode);
    QFETCH(quint16, deviceModel);
    QFETCH(quint16, version);
    QFETCH(int, transfer);
    QFETCH(Fault, fault);
    QFETCH(QString, message);
    QFETCH(int, blocksWritten);
    QFETCH(bool, ok);

    Rig rig(512, mode);
    rig.sim->setVersion(version);
    if (!connected) {
        rig.sim->unplug();
        rig.thread.checkDevice();
        rig.thread.wait(); // the worker has run the check
    }
    if (transfer > 0)
        rig.sim->failTransfer(transfer, fault);
    const int count = (mode == 3 || mode == 10) ? 388 : 182;
    const QByteArray record = writeRecord(deviceModel);
    QueuedSpy stt(&rig.thread, &TThread::writeStt);
    QueuedSpy stp(&rig.thread, &TThread::writeStp);
    QueuedSpy err(&rig.thread, &TThread::writeErr);
    QueuedSpy log(&rig.thread, &TThread::mes);
    rig.thread.reqWrite(record.constData(), count);
    QTRY_COMPARE(err.size() + stp.size(), 1);
    QTRY_VERIFY(!rig.thread.isRunning());
    QCOMPARE(stp.size(), ok ? 1 : 0);

    int writes = 0;
    for (const MemoryCommand &c : memoryCommands(*rig.sim))
        writes += c.readCount == 0 ? 1 : 0;
    // A block counts as written when the device took it.
    QCOMPARE(writes, blocksWritten);
    QCOMPARE(stt.size(), blocksWritten > 0 || transfer >= 3 ? 1 : 0);
    if (blocksWritten > 0)
        QCOMPARE(rig.sim->memory(0, 64), record.left(64)); // written blocks stay written
    QStringList lines = log.strings();
    if (ok) {
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.last(),
                 QStringLiteral("Проверка загруженной конфигурации выполнена. Ошибочных 0 байтов"));
    } else if (message.isEmpty()) {
        QCOMPARE(lines, QStringList());
    } else if (message.startsWith(QStringLiteral("Ошибка запроса идентификатора"))
               || message.startsWith(QStringLiteral("Ошибка приема идентификатора"))) {
        // The failed identification closed the connection, and says so.
        QCOMPARE(
            lines,
            QStringList({message, QStringLiteral("Контроллер VELK K-330S отключен от шины USB")}));
        QVERIFY(!rig.thread.isConnected());
    } else {
        QCOMPARE(lines.last(), message);
    }
}

void TstConfigExchange::writeReportsDifferingBytes()
{
    Rig rig;
    const QByteArray record = writeRecord(TK440::ModelRA);
    // The read-back (transfer 12) returns the image with three bytes changed.
    QByteArray reply = QByteArray::fromHex("000300b600020050") + record.left(182);
    for (int i : {8 + 0, 8 + 100, 8 + 181})
        reply[i] = char(~reply[i]);
    rig.sim->failTransfer(12, Fault::replace(reply));
    QueuedSpy stp(&rig.thread, &TThread::writeStp);
    QueuedSpy err(&rig.thread, &TThread::writeErr);
    QueuedSpy log(&rig.thread, &TThread::mes);
    rig.thread.reqWrite(record.constData(), 182);
    QTRY_COMPARE(stp.size(), 1);
    QCOMPARE(err.size(), 0);
    QCOMPARE(log.strings().last(),
             QStringLiteral("Проверка загруженной конфигурации выполнена. Ошибочных 3 байтов"));
}

QTEST_GUILESS_MAIN(TstConfigExchange)
#include "tst_configexchange.moc"
