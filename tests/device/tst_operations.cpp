// The operations (read, write, verify, firmware load) driven directly over a scripted
// controller: for each flow and each kind of failure, the result, the final message, the stage
// texts and the progress that the windows and k330ctl both show.

#include "config/crc16.h"
#include "config/defaultimage.h"
#include "config/image.h"
#include "device/configprotocol.h"
#include "device/connection.h"
#include "device/flashprotocol.h"
#include "device/operations/loadoperation.h"
#include "device/operations/readoperation.h"
#include "device/operations/verifyoperation.h"
#include "device/operations/writeoperation.h"
#include "fuzz/scriptlink.h"

#include <QRegularExpression>
#include <QTest>

#include <cstring>

namespace {

enum class Op { Read, Write, Verify, Load, Boot };
// What happens to reply `at` of the clean exchange: an error number, cut to `arg` bytes, the
// script ending before it (every read times out), `arg` payload bytes changed; or no
// controller at all.
enum class Fault { None, Error, Short, Cut, Flip, NoController };

const int Payload = 512;
const quint16 RA = TK440::ModelRA, RB = TK440::ModelRB, Version = 0x0201;
const QByteArray Firmware("\x11\x22\x33", 3);

// Everything the operation reports.
struct RecordingSink : OperationSink
{
    void stage(const QString &text, int total) override
    {
        stages.append(text);
        totals.append(total);
    }
    void progress(quint32 count) override { counts.append(count); }
    void finished(const OperationResult &result) override { results.append(result); }

    QStringList stages;
    QList<int> totals;
    QList<quint32> counts;
    QList<OperationResult> results;
};

QByteArray identification(quint16 model, quint16 version)
{
    QByteArray r = QByteArray::fromHex("0001000e00000000");
    for (quint16 w : {model, version, quint16(0x1234), quint16(0x5678), quint16(0x9abc),
                      quint16(0xdef0), quint16(0x0042)})
        r += char(w >> 8) + QByteArray(1, char(w));
    return r;
}

// The controller's replies to a clean run of the flow; wire is what its memory holds.
QList<QByteArray> replies(Op op, const QByteArray &ident, const QByteArray &wire, int count)
{
    const QByteArray header(8, '\0');
    QList<QByteArray> out {ident};
    if (op == Op::Read || op == Op::Verify)
        out.append(header + wire.left(configuration::ConfigBytes));
    if (op == Op::Write) {
        for (qsizetype i = 0; i < configuration::writeBlocks(Payload, count).size(); ++i)
            out.append(QByteArray()); // acknowledgements
        out.append(header + wire.left(count));
    }
    if (op == Op::Load) {
        const QByteArray ready = header + '\0';
        for (qsizetype i = 0; i < flash::writeSteps(Payload, int(Firmware.size())).size(); ++i)
            out += {ready, QByteArray(), QByteArray()}; // status, write enable, the step
        out += {ready, header + Firmware};
    }
    return op == Op::Boot ? QList<QByteArray>() : out;
}

QByteArray script(const QList<QByteArray> &clean, Fault fault, int at, int arg)
{
    fuzzing::ScriptWriter w;
    for (int i = 0; i < clean.size(); ++i) {
        QByteArray r = clean[i];
        if (i == at && fault == Fault::Cut)
            break;
        if (i == at && fault == Fault::Error) {
            w.error(arg);
            continue;
        }
        if (i == at && fault == Fault::Short)
            r.truncate(arg);
        for (int k = 0; i == at && fault == Fault::Flip && k < arg; ++k)
            r[8 + k] = char(r[8 + k] ^ 0x01);
        w.reply(r);
    }
    return w.bytes();
}

// One flow under one fault, and what the operation must make of it.
struct Case
{
    Case(Op op, OperationOutcome outcome, const QString &message, const QStringList &stages = {})
        : op(op)
        , outcome(outcome)
        , message(message)
        , stages(stages)
    { }
    Case &with(Fault f, int i = -1, int n = 0) { return fault = f, at = i, arg = n, *this; }
    Case &counting(int n) { return differing = n, *this; }
    Case &from(quint16 model, quint16 v = Version) { return device = model, version = v, *this; }
    Case &of(quint16 model) { return image = model, *this; }
    Case &inMode(int m) { return mode = m, *this; }
    Case &altering() { return alteredFile = true, *this; }
    Case &anonymous() { return named = false, *this; }

    Op op;
    OperationOutcome outcome;
    QString message; // a pattern where the outcome is Corrupt
    QStringList stages;
    Fault fault = Fault::None;
    int at = -1;
    int arg = 0;
    int differing = -1;
    quint16 device = RA; // the model the controller names
    quint16 version = Version;
    quint16 image = RA;
    int mode = 1;
    bool alteredFile = false; // verify: the file's LF amplifier gain changed
    bool named = true; // the result knows the controller's identity
};

} // namespace

Q_DECLARE_METATYPE(Case)

class TstOperations : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void flows_data();
    void flows();
};

void TstOperations::flows_data()
{
    QTest::addColumn<Case>("c");
    using O = OperationOutcome;
    const QString readFailed = QStringLiteral("Ошибка. Чтение конфигурации прервано.");
    const QString writeFailed = QStringLiteral("Ошибка. Запись конфигурации прервана.");
    const QString loadFailed = QStringLiteral("Ошибка. Загрузка ПО прервана.");
    const QString corrupt =
        QStringLiteral("^Конфигурация повреждена, CRC: 0x[0-9a-f]+!=0x[0-9a-f]+$");
    const QString wrongModel = QStringLiteral("Ошибка (770), чтение остановлено");
    const QString verified =
        QStringLiteral("Проверка загруженной конфигурации выполнена. Ошибочных %1 байтов");
    const QStringList readRA {QStringLiteral("Контроллер K-330RA, чтение конфигурации.")};
    const QStringList writeRA {QStringLiteral("Контроллер К-330RA, загрузка конфигурации."),
                               QStringLiteral("Контроллер К-330RA, проверка конфигурации.")};
    const QStringList loadRA {QStringLiteral("Контроллер K-330RA, загрузка ПО."),
                              QStringLiteral("Контроллер K-330RA, проверка ПО.")};
    const auto row = [](const char *name, const Case &c) {
        QTest::newRow(name) << c;
    };
    const Op R = Op::Read, W = Op::Write, V = Op::Verify, L = Op::Load;
    const O Done = O::Done, Failed = O::TransferFailed;

    row("read RA", Case(R, Done, "Контроллер К-330RA, конфигурации прочитана.", readRA));
    row("read RB",
        Case(R, Done, "Контроллер К-330RB, конфигурации прочитана.",
             {"Контроллер К-330RB, чтение конфигурации."})
            .from(RB, 0x0200)
            .of(RB));
    // The decision at the identification stands whatever the read delivers afterwards.
    row("read, unknown model, then an error",
        Case(R, O::WrongModel, wrongModel).with(Fault::Error, 1, -32).from(770));
    row("read, corrupt", Case(R, O::Corrupt, corrupt, readRA).with(Fault::Flip, 1, 1));
    row("read, version 2.2", Case(R, Failed, readFailed).from(RA, 0x0202).anonymous());
    row("read, short block", Case(R, Failed, readFailed, readRA).with(Fault::Short, 1, 300));
    row("read, removal -5", Case(R, Failed, readFailed, readRA).with(Fault::Error, 1, -5));
    row("read, no controller",
        Case(R, O::NoController, readFailed).with(Fault::NoController).anonymous());

    const QString written = QStringLiteral("Контроллер К-330RA, конфигурации записана.");
    row("write mode 1", Case(W, Done, written, writeRA).counting(0));
    row("write mode 10", Case(W, Done, written, writeRA).counting(0).inMode(10));
    row("write, read-back differs",
        Case(W, O::Differs, {}, writeRA).with(Fault::Flip, 5, 3).counting(3));
    row("write, controller of another model", Case(W, O::WrongModel, writeFailed).from(RB));
    row("write, image of no known model",
        Case(W, O::UnknownModel, "Конфигурация не соответсвует типу контроллера.")
            .of(770)
            .anonymous());
    row("write, acknowledgement error",
        Case(W, Failed, writeFailed, writeRA.mid(0, 1)).with(Fault::Error, 2, -32));
    row("write, no read-back", Case(W, Failed, writeFailed, writeRA).with(Fault::Cut, 5));
    row("write, short read-back", Case(W, Failed, writeFailed, writeRA).with(Fault::Short, 5, 100));
    row("write, removal -6", Case(W, Failed, writeFailed).with(Fault::Error, 0, -6).anonymous());

    row("verify, equal", Case(V, Done, verified.arg(0), readRA).counting(0));
    // The changed byte and both checksum bytes.
    row("verify, file differs",
        Case(V, O::Differs, verified.arg(3), readRA).counting(3).altering());
    row("verify, corrupt", Case(V, O::Corrupt, corrupt, readRA).with(Fault::Flip, 1, 1));
    row("verify, unknown model", Case(V, O::WrongModel, wrongModel).from(770));
    row("verify, time-out", Case(V, Failed, readFailed, readRA).with(Fault::Cut, 1));

    row("load RA", Case(L, Done, "Контроллер K-330RA, ПО загружено.", loadRA).counting(0));
    row("load, read-back differs",
        Case(L, O::Differs, {}, loadRA).with(Fault::Flip, 8, 1).counting(1));
    row("load, write enable error",
        Case(L, Failed, loadFailed, loadRA.mid(0, 1)).with(Fault::Error, 2, -32));
    row("load, short status",
        Case(L, Failed, loadFailed, loadRA.mid(0, 1)).with(Fault::Short, 1, 8));
    row("load, time-out", Case(L, Failed, loadFailed, loadRA).with(Fault::Cut, 8));
    row("load, no controller",
        Case(L, O::NoController, loadFailed).with(Fault::NoController).anonymous());
    row("boot mode",
        Case(Op::Boot, Done, "Контроллер в режиме boot, ПО загружено.",
             {"Контроллер в режиме boot, загрузка ПО."})
            .anonymous());
}

void TstOperations::flows()
{
    QFETCH(Case, c);
    TK440 host;
    makeDefaultImage(host, c.image == RB ? RB : RA);
    host.setWord(TK440::ModelOffset, c.image);
    TK440 wire = host;
    toDeviceForm(Crc16(), wire);
    TK440 file = host;
    if (c.alteredFile)
        file.b[TK440::AmpOffset + 1] ^= 0x01;
    // Bytes the operation covers, and where its progress ends (the verification's is the read's).
    const int bytes = c.op == Op::Read ? TK440::Size : c.op >= Op::Load ? 3 : writeLength(c.mode);
    const int progressEnd = c.op == Op::Verify ? TK440::Size : bytes;

    const QByteArray input = script(replies(c.op, identification(c.device, c.version),
                                            QByteArray(wire.data(), TK440::Size), bytes),
                                    c.fault, c.at, c.arg);
    fuzzing::ScriptLink link(reinterpret_cast<const uint8_t *>(input.constData()),
                             size_t(input.size()), c.mode);
    link.setTransferSize(Payload + 8);
    RecordingSink sink;
    TK440 target;
    std::memset(target.b, 0xA5, TK440::Size);
    ReadOperation read(sink, target);
    WriteOperation write(sink, file, c.mode);
    VerifyOperation verify(sink, file, c.mode);
    LoadOperation load(sink, Firmware);
    Operation *const operations[] = {&read, &write, &verify, &load};
    Operation &op = c.op == Op::Boot ? load : *operations[int(c.op)];
    DeviceConnection none({}); // no transport: nothing is listed
    const OperationResult result = c.op == Op::Boot ? load.stream(link)
        : c.fault == Fault::NoController            ? op.run(none, link)
                                                    : op.run(link);

    QCOMPARE(sink.results.size(), 1);
    QCOMPARE(result.outcome, c.outcome);
    if (c.outcome == OperationOutcome::Corrupt)
        QVERIFY2(QRegularExpression(c.message).match(result.message).hasMatch(),
                 qPrintable(result.message));
    else
        QCOMPARE(result.message, c.message);
    QCOMPARE(sink.stages, c.stages);
    QCOMPARE(result.differing, c.differing);
    QCOMPARE(result.bytes, bytes);
    for (int total : sink.totals)
        QCOMPARE(total, progressEnd);
    for (quint32 n : sink.counts)
        QVERIFY(n <= quint32(progressEnd));
    const bool complete =
        c.outcome == OperationOutcome::Done || c.outcome == OperationOutcome::Differs;
    if (complete)
        QCOMPARE(sink.counts.last(), quint32(progressEnd));

    // The controller as far as it named itself.
    QCOMPARE(result.identified, c.named);
    const TDev named {c.device, c.version, {0x1234, 0x5678, 0x9abc, 0xdef0}, 0x42};
    if (c.named)
        QVERIFY(std::memcmp(&result.controller, &named, sizeof named) == 0);
    // Nothing is asked of a controller that is not there or for an image that is not sent.
    if (c.outcome == OperationOutcome::NoController || c.outcome == OperationOutcome::UnknownModel)
        QCOMPARE(link.writes + link.reads, 0);
    // The read adopts the image only when it is intact.
    if (c.op == Op::Read && c.outcome == OperationOutcome::Done)
        QCOMPARE(QByteArray(target.data() + 2, TK440::IdentOffset - 2),
                 QByteArray(host.data() + 2, TK440::IdentOffset - 2));
    else if (c.op == Op::Read)
        QCOMPARE(QByteArray(target.data(), TK440::Size), QByteArray(TK440::Size, '\xA5'));
    const QList<FieldDifference> &diffs = verify.differences();
    if (c.op == Op::Verify && complete)
        QCOMPARE(diffs.size() == 1 && diffs[0].field == QLatin1String("gain"), c.alteredFile);
}

QTEST_MAIN(TstOperations)
#include "tst_operations.moc"
