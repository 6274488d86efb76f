// The exchanges' pure parts (packets, reply checks, block plans, job decoding) and the
// exchanges themselves over a scripted link, with no worker thread and no transport.

#include "config/tk440.h"
#include "device/configexchange.h"
#include "device/configprotocol.h"
#include "device/handshake.h"
#include "device/jobs.h"
#include "device/liveexchange.h"
#include "device/usbtransport.h"
#include "fuzz/scriptlink.h"
#include "testsupport.h"

#include <QTest>

using configuration::Block;
using configuration::Identification;

namespace {

using fuzzing::ScriptLink;

// A script of one read's reply: its bytes, or its error number.
QByteArray reply(const QByteArray &bytes)
{
    return fuzzing::ScriptWriter().reply(bytes).bytes();
}
QByteArray error(int n)
{
    return fuzzing::ScriptWriter().error(n).bytes();
}

// The transfers an exchange made: a write to 0x01 and a read from 0x81 for each command.
QByteArray commandTransfers(int commands)
{
    return hexBytes("0181").repeated(commands);
}

QByteArray identReply(quint16 command, quint16 model, quint16 version)
{
    QByteArray r = hexBytes("0000 000e 0000 0000");
    r[0] = char(command >> 8);
    r[1] = char(command);
    r += QByteArray(1, char(model >> 8)) + char(model) + char(version >> 8) + char(version);
    return r + hexBytes("1234 5678 9abc def0 0042");
}

QList<int> sizes(const QList<Block> &blocks)
{
    QList<int> out;
    for (const Block &b : blocks)
        out.append(b.size);
    return out;
}

} // namespace

Q_DECLARE_METATYPE(Identification::Status)

class TstDeviceProtocol : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void requests_data();
    void requests();
    void identification_data();
    void identification();
    void blockReply_data();
    void blockReply();
    void blockPlans_data();
    void blockPlans();
    void handshakeReply_data();
    void handshakeReply();
    void liveJobs_data();
    void liveJobs();
    void identifyOverLink_data();
    void identifyOverLink();
    void writeRefusedBeforeAnyBlock_data();
    void writeRefusedBeforeAnyBlock();
    void liveOverLink_data();
    void liveOverLink();
};

void TstDeviceProtocol::requests_data()
{
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("identification")
        << configuration::identifyRequest() << hexBytes("0001 0000 0000 0000");
    QTest::newRow("memory read") << configuration::memoryRead(388, 0)
                                 << hexBytes("0003 0184 0002 0050 0000");
    QTest::newRow("memory read at 0x3ffe")
        << configuration::memoryRead(2, 0x3ffe) << hexBytes("0003 0002 0002 0050 3ffe");
    QTest::newRow("memory write of 3 bytes")
        << configuration::memoryWrite(0x0140, "\x01\x02\xff", 3)
        << hexBytes("0003 0000 0005 0050 0140 0102ff");
    QTest::newRow("memory write of nothing")
        << configuration::memoryWrite(7, nullptr, 0) << hexBytes("0003 0000 0002 0050 0007");
    QTest::newRow("handshake") << handshake::request() << hexBytes("0000 4000");
}

void TstDeviceProtocol::requests()
{
    QFETCH(QByteArray, packet);
    QFETCH(QByteArray, expected);
    QCOMPARE(packet, expected);
}

void TstDeviceProtocol::identification_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<Identification::Status>("status");
    const QByteArray good = identReply(1, 0x0301, 0x0200);
    QTest::newRow("22 bytes") << good << Identification::Ok;
    QTest::newRow("in a full transfer buffer")
        << good + QByteArray(498, '\x5a') << Identification::Ok;
    QTest::newRow("21 bytes") << good.left(21) << Identification::Short;
    QTest::newRow("header only") << good.left(8) << Identification::Short;
    QTest::newRow("empty") << QByteArray() << Identification::Short;
    QTest::newRow("reply of command 3")
        << identReply(3, 0x0301, 0x0200) << Identification::WrongCommand;
    QTest::newRow("garbage") << QByteArray(40, '\xa5') << Identification::WrongCommand;
}

void TstDeviceProtocol::identification()
{
    QFETCH(QByteArray, reply);
    QFETCH(Identification::Status, status);
    const Identification id = configuration::parseIdentification(reply);
    QCOMPARE(id.status, status);
    if (status != Identification::Ok)
        return;
    QCOMPARE(id.dev.model, quint16(0x0301));
    QCOMPARE(id.dev.version, quint16(0x0200));
    QCOMPARE(id.dev.cpuSerial[0], quint16(0x1234));
    QCOMPARE(id.dev.cpuSerial[3], quint16(0xdef0));
    QCOMPARE(id.dev.cpuId, quint16(0x0042));
}

void TstDeviceProtocol::blockReply_data()
{
    QTest::addColumn<int>("received");
    QTest::addColumn<int>("block");
    QTest::addColumn<bool>("complete");
    QTest::newRow("header and block") << 72 << 64 << true;
    QTest::newRow("more than the block") << 520 << 64 << true;
    QTest::newRow("one byte short") << 71 << 64 << false;
    QTest::newRow("header only") << 8 << 64 << false;
    QTest::newRow("nothing") << 0 << 64 << false;
    QTest::newRow("time-out") << -110 << 64 << false;
}

void TstDeviceProtocol::blockReply()
{
    QFETCH(int, received);
    QFETCH(int, block);
    QFETCH(bool, complete);
    QCOMPARE(configuration::isCompleteBlock(received, block), complete);
}

// Block plans at the edges: payloads too small for the header arithmetic, and counts that do
// or do not divide into blocks.
void TstDeviceProtocol::blockPlans_data()
{
    QTest::addColumn<bool>("write");
    QTest::addColumn<int>("payload");
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("read, N=1, 3 bytes") << false << 1 << 3 << QList<int> {1, 1, 1};
    QTest::newRow("read, N=200, 388 bytes") << false << 200 << 388 << QList<int> {200, 188};
    QTest::newRow("read of nothing") << false << 512 << 0 << QList<int> {};
    QTest::newRow("write, N=3: one byte at a time") << true << 3 << 3 << QList<int> {1, 1, 1};
    QTest::newRow("write, N=5: blocks of 2 become 1") << true << 5 << 3 << QList<int> {1, 1, 1};
    QTest::newRow("write, N=6: blocks of 3") << true << 6 << 7 << QList<int> {3, 3, 1};
    QTest::newRow("write, 128 bytes") << true << 512 << 128 << QList<int> {64, 64};
    QTest::newRow("write, 130 bytes") << true << 512 << 130 << QList<int> {64, 64, 1, 1};
    QTest::newRow("write of nothing") << true << 512 << 0 << QList<int> {};
}

void TstDeviceProtocol::blockPlans()
{
    QFETCH(bool, write);
    QFETCH(int, payload);
    QFETCH(int, count);
    QFETCH(QList<int>, expected);
    const QList<Block> plan = write ? configuration::writeBlocks(payload, count)
                                    : configuration::readBlocks(payload, count);
    QCOMPARE(sizes(plan), expected);
    // Contiguous from offset 0, covering the count exactly.
    int offset = 0;
    for (const Block &b : plan) {
        QCOMPARE(b.offset, offset);
        offset += b.size;
    }
    QCOMPARE(offset, count);
}

void TstDeviceProtocol::handshakeReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("payload");
    QTest::newRow("N=512") << hexBytes("0000 0200") << 512;
    QTest::newRow("N=65535") << hexBytes("0000 ffff") << 65535;
    QTest::newRow("longer reply") << hexBytes("0000 0040 99") << 64;
    QTest::newRow("N=0") << hexBytes("0000 0000") << 0;
    QTest::newRow("3 bytes") << hexBytes("0000 02") << 0;
    QTest::newRow("empty") << QByteArray() << 0;
}

void TstDeviceProtocol::handshakeReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(int, payload);
    QCOMPARE(handshake::payloadSize(reply), payload);
}

void TstDeviceProtocol::liveJobs_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("packet"); // empty: the job carries no live command
    QTest::newRow("codec") << int(JobCodec) << hexBytes("0c 3f")
                           << hexBytes("0003 0000 0002 0018 0c3f");
    QTest::newRow("codec without value") << int(JobCodec) << hexBytes("0c") << QByteArray();
    QTest::newRow("amp") << int(JobAmp) << hexBytes("d5") << hexBytes("0003 0000 0001 0049 d5");
    QTest::newRow("amp without value") << int(JobAmp) << QByteArray() << QByteArray();
    QTest::newRow("param 4") << int(JobParam4) << hexBytes("0102") << hexBytes("0004 0102");
    QTest::newRow("param 11, no words") << int(JobParam11) << QByteArray() << hexBytes("000b");
    QTest::newRow("trace mode") << int(JobTraceMode) << hexBytes("1234") << hexBytes("000f 1234");
    QTest::newRow("read") << int(JobRead) << QByteArray() << QByteArray();
    QTest::newRow("report") << int(JobReport) << QByteArray() << QByteArray();
    QTest::newRow("monitor") << int(JobMonitor) << hexBytes("0101") << QByteArray();
}

void TstDeviceProtocol::liveJobs()
{
    QFETCH(int, type);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, packet);
    const auto command = live::fromJob(type, bytes);
    QCOMPARE(command.has_value(), !packet.isEmpty());
    if (command)
        QCOMPARE(live::packet(*command), packet);
}

void TstDeviceProtocol::identifyOverLink_data()
{
    QTest::addColumn<int>("writeResult");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("line"); // empty: identified
    const QByteArray good = identReply(1, 0x0300, 0x0201);
    QTest::newRow("identified") << 8 << reply(good) << QString();
    QTest::newRow("request fails")
        << -5 << reply(good) << "Ошибка запроса идентификатора устройства=>-5";
    QTest::newRow("reply fails") << 8 << error(-110)
                                 << "Ошибка приема идентификатора устройства=>-110";
    QTest::newRow("reply of 21 bytes")
        << 8 << reply(good.left(21)) << "Ошибка приема идентификатора устройства=>21";
    QTest::newRow("reply of another command")
        << 8 << reply(identReply(3, 0, 0)) << "Ошибка приема идентификатора устройства";
}

void TstDeviceProtocol::identifyOverLink()
{
    QFETCH(int, writeResult);
    QFETCH(QByteArray, reply);
    QFETCH(QString, line);
    ScriptLink link(reply);
    link.setTransferSize(520);
    link.writeResults = {writeResult};
    TDev dev {};
    QCOMPARE(configuration::identify(link, &dev), line.isEmpty());
    QCOMPARE(link.written, QList<QByteArray> {configuration::identifyRequest()});
    if (line.isEmpty()) {
        QCOMPARE(dev.model, quint16(0x0300));
        QCOMPARE(link.closes + link.losses, 0);
        QVERIFY(link.lines.isEmpty());
    } else {
        // Every failed identification closes the link.
        QCOMPARE(link.closes, 1);
        QCOMPARE(link.losses, 0);
        QCOMPARE(link.lines, QStringList {line});
    }
    QCOMPARE(link.endpoints, commandTransfers(1).left(writeResult < 0 ? 1 : 2));
}

// A write is refused after the identification, before any block goes out: a record of another
// model, or a controller version the terminal does not support outside the service modes.
void TstDeviceProtocol::writeRefusedBeforeAnyBlock_data()
{
    QTest::addColumn<quint16>("model");
    QTest::addColumn<quint16>("version");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("line"); // empty: written
    QTest::newRow("same model") << quint16(0x0300) << quint16(0x0201) << 1 << QString();
    QTest::newRow("other model") << quint16(0x0301) << quint16(0x0201) << 1
                                 << "Конфигурация не соответсвует типу контроллера.";
    QTest::newRow("version 3.0 in mode 1") << quint16(0x0300) << quint16(0x0300) << 1
                                           << "Ошибка, версия ПО контроллера не поддерживается";
    QTest::newRow("version 3.0 in mode 2") << quint16(0x0300) << quint16(0x0300) << 2 << QString();
}

void TstDeviceProtocol::writeRefusedBeforeAnyBlock()
{
    QFETCH(quint16, model);
    QFETCH(quint16, version);
    QFETCH(int, mode);
    QFETCH(QString, line);
    QByteArray record(TK440::Size, '\x11');
    record[TK440::ModelOffset] = char(0x00);
    record[TK440::ModelOffset + 1] = char(0x03); // model 0x0300
    ScriptLink link(reply(identReply(1, model, version))
                        + reply(hexBytes("0003 0000 0005 0050")) // acknowledgement
                        + reply(hexBytes("0003 0003 0002 0050") + record.left(3)),
                    mode);
    link.setTransferSize(8 + 64);
    int started = 0;
    QList<quint32> counts;
    const configuration::WriteProgress progress {[&] { ++started; }, [] {},
                                                 [&](quint32 n) {
                                                     counts.append(n);
                                                 }};
    QCOMPARE(configuration::write(link, record.constData(), 3, progress), line.isEmpty());
    if (!line.isEmpty()) {
        QCOMPARE(link.lines, QStringList {line});
        QCOMPARE(link.written.size(), 1); // the identification request only
        QCOMPARE(link.endpoints, commandTransfers(1));
        QCOMPARE(started, 0);
        return;
    }
    QCOMPARE(started, 1);
    QCOMPARE(link.written.value(1), configuration::memoryWrite(0, record.constData(), 3));
    QCOMPARE(link.written.value(2), configuration::memoryRead(3, 0));
    QCOMPARE(link.endpoints, commandTransfers(3));
    QCOMPARE(link.pausedMs, 10 * 3 + 10);
    QCOMPARE(counts, (QList<quint32> {3, 0, 3}));
    QCOMPARE(link.lines.last(),
             QStringLiteral("Проверка загруженной конфигурации выполнена. Ошибочных 0 байтов"));
}

void TstDeviceProtocol::liveOverLink_data()
{
    QTest::addColumn<int>("transfer");
    QTest::addColumn<int>("writeResult");
    QTest::addColumn<QByteArray>("ack");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<QStringList>("lines");
    const QByteArray ack = reply(hexBytes("0003 0000 0002 0018"));
    QTest::newRow("acknowledged, mode 1") << 520 << 10 << ack << 1 << true << QStringList();
    QTest::newRow("acknowledged, mode 10")
        << 520 << 10 << ack << 10 << true << QStringList {"Переданы параметры=>12[0x3f]; "};
    QTest::newRow("empty acknowledgement")
        << 520 << 10 << reply({}) << 10 << true << QStringList {"Переданы параметры=>12[0x3f]; "};
    QTest::newRow("send fails") << 520 << -32 << ack << 10 << false
                                << QStringList {"Ошибка передачи команды кодека=>-32"};
    QTest::newRow("no acknowledgement")
        << 520 << 10 << error(-110) << 10 << false
        << QStringList {"Ошибка подтверждения команды кодека=>-110"};
    QTest::newRow("packet larger than the transfer")
        << 9 << 10 << ack << 10 << false << QStringList {"Ошибка передачи команды кодека=>-75"};
}

void TstDeviceProtocol::liveOverLink()
{
    QFETCH(int, transfer);
    QFETCH(int, writeResult);
    QFETCH(QByteArray, ack);
    QFETCH(int, mode);
    QFETCH(bool, sent);
    QFETCH(QStringList, lines);
    ScriptLink link(ack, mode);
    link.setTransferSize(transfer);
    link.writeResults = {writeResult};
    const auto command = live::fromJob(JobCodec, hexBytes("0c 3f"));
    QVERIFY(command);
    QCOMPARE(live::send(link, *command), sent);
    QCOMPARE(link.lines, lines);
    QCOMPARE(link.closes + link.losses, 0); // a failed live command leaves the connection open
    QCOMPARE(link.endpoints, commandTransfers(1).left(link.endpoints.size()));
}

QTEST_GUILESS_MAIN(TstDeviceProtocol)
#include "tst_deviceprotocol.moc"
