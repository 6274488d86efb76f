// The controller commands: each runs the terminal's own operation (device/operations/) over
// the controller the options choose, and turns its result into output and an exit status.

#include "config/image.h"
#include "config/modes.h"
#include "config/tk440.h"
#include "ctl/batch.h"
#include "ctl/commands.h"
#include "ctl/output.h"
#include "ctl/session.h"
#include "device/operations/loadoperation.h"
#include "device/operations/readoperation.h"
#include "device/operations/verifyoperation.h"
#include "device/operations/writeoperation.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>

namespace {

// --mode N: a known operating mode, 1 (user) by default.
bool modeOption(const QCommandLineParser &p, int *mode)
{
    bool ok = true;
    *mode = p.isSet(QStringLiteral("mode")) ? p.value(QStringLiteral("mode")).toInt(&ok)
                                            : int(OperatingMode::User);
    return ok && *mode >= int(OperatingMode::User)
        && (*mode <= int(OperatingMode::ServiceVocoder) || *mode == int(OperatingMode::ServiceAll));
}

// The file and mode of write and verify; UsageError or InvalidFile with the reason printed.
Status imageAndMode(const char *command, const QCommandLineParser &p, TK440 &image, int *mode)
{
    if (!modeOption(p, mode)) {
        say(QStringLiteral("k330ctl %1: --mode takes 1 to 6 or 10").arg(QLatin1String(command)));
        return UsageError;
    }
    return loadImage(p.positionalArguments().value(0), image);
}

// What the record of an operation on the file `name` says of it.
RecordContext fileContext(const QString &name, const QString &mode)
{
    QFile f(name);
    const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    return {.fileName = QFileInfo(name).absoluteFilePath(),
            .fileSha256 = sha256Hex(bytes),
            .mode = mode};
}

// The final line of verify, which reads and compares but writes nothing: it says so, where the
// operation's own message is the one a write's read-back check ends with.
class VerifySink : public ReporterSink
{
public:
    void finished(const OperationResult &result) override
    {
        if (result.outcome != OperationOutcome::Done
            && result.outcome != OperationOutcome::Differs) {
            ReporterSink::finished(result);
            return;
        }
        OperationResult shown = result;
        shown.message = Ctl::tr("Сравнение контроллера с файлом выполнено, в контроллер ничего не "
                                "записано. Ошибочных %1 байтов")
                            .arg(result.differing);
        ReporterSink::finished(shown);
    }
};

} // namespace

Status statusOf(const OperationResult &result)
{
    switch (result.outcome) {
    case OperationOutcome::Done:
        return Success;
    case OperationOutcome::Differs:
        return Different;
    case OperationOutcome::NoController:
        return NoController;
    case OperationOutcome::UnknownModel:
        return InvalidFile;
    case OperationOutcome::WrongModel:
    case OperationOutcome::TransferFailed:
    case OperationOutcome::Corrupt:
        break;
    }
    return TransferFailed;
}

int runRead(const QCommandLineParser &p)
{
    const QString out = p.value(OutputName);
    if (out.isEmpty()) {
        say(QStringLiteral("k330ctl read: -o FILE is required"));
        return UsageError;
    }
    Controller c;
    if (const Status s = c.setUp(p); s != Success)
        return s;
    if (c.several())
        return readSeveral(c.transports(), c.controllers(), out, p.isSet(JsonName),
                           c.batchRecords({.fileName = QFileInfo(out).absoluteFilePath()}));
    TK440 image;
    ReporterSink sink;
    ReadOperation read(sink, image);
    c.record(read, {.fileName = QFileInfo(out).absoluteFilePath()});
    if (const Status s = statusOf(c.run(read, int(OperatingMode::User))); s != Success)
        return s;
    if (const Status s = saveImage(out, image); s != Success)
        return s;
    if (p.isSet(JsonName))
        printJson({{QStringLiteral("file"), out},
                   {QStringLiteral("model"), modelName(image.model())},
                   {QStringLiteral("bytes"), TK440::Size}});
    return Success;
}

int runWrite(const QCommandLineParser &p)
{
    TK440 image;
    int mode = 0;
    if (const Status s = imageAndMode("write", p, image, &mode); s != Success)
        return s;
    ReporterSink sink;
    WriteOperation write(sink, image, mode);
    // The terminal never sends an image of an unknown model.
    if (!write.prepare())
        return statusOf(write.result());
    Controller c;
    if (const Status s = c.setUp(p); s != Success)
        return s;
    const QString name = p.positionalArguments().value(0);
    const bool backup = !p.isSet(QStringLiteral("no-backup"));
    if (c.several())
        return writeSeveral(c.transports(), c.controllers(), name, image, mode, p.isSet(JsonName),
                            c.batchRecords(fileContext(name, QString::number(mode)), backup));
    c.record(write, fileContext(name, QString::number(mode)));
    QList<FieldDifference> changes;
    if (backup)
        c.keepBackup(write, image, mode, &changes);
    const OperationResult &result = c.run(write, mode);
    const Status status = statusOf(result);
    if ((status == Success || status == Different) && p.isSet(JsonName))
        printJson({{QStringLiteral("file"), name},
                   {QStringLiteral("model"), modelName(image.model())},
                   {QStringLiteral("bytes"), result.bytes},
                   {QStringLiteral("differing"), result.differing},
                   {QStringLiteral("changes"), differencesJson(changes)}});
    return status;
}

int runVerify(const QCommandLineParser &p)
{
    TK440 image;
    int mode = 0;
    if (const Status s = imageAndMode("verify", p, image, &mode); s != Success)
        return s;
    Controller c;
    if (const Status s = c.setUp(p); s != Success)
        return s;
    if (c.several())
        return verifySeveral(
            c.transports(), c.controllers(), p.positionalArguments().value(0), image, mode,
            p.isSet(JsonName),
            c.batchRecords(fileContext(p.positionalArguments().value(0), QString::number(mode))));
    VerifySink sink;
    VerifyOperation verify(sink, image, mode);
    c.record(verify, fileContext(p.positionalArguments().value(0), QString::number(mode)));
    const OperationResult &result = c.run(verify, int(OperatingMode::User));
    const Status status = statusOf(result);
    if (status != Success && status != Different)
        return status;
    if (p.isSet(JsonName))
        printJson({{QStringLiteral("file"), p.positionalArguments().value(0)},
                   {QStringLiteral("equal"), verify.differences().isEmpty()},
                   {QStringLiteral("differing"), result.differing},
                   {QStringLiteral("differences"), differencesJson(verify.differences())}});
    else
        printDifferences(verify.differences());
    return status;
}

int runLoad(const QCommandLineParser &p)
{
    const QString name = p.positionalArguments().value(0);
    QFile f(name);
    if (!QFileInfo(name).isFile() || !f.open(QIODevice::ReadOnly)) {
        say(fileText(name, QT_TRANSLATE_NOOP("k330ctl", " не удалось открыть.")));
        return InvalidFile;
    }
    const qint64 expected = f.size();
    const QByteArray data = f.readAll();
    if (data.size() < expected) {
        say(fileText(name, QT_TRANSLATE_NOOP("k330ctl", " не удалось прочитать.")));
        return InvalidFile;
    }
    Controller c;
    if (const Status s = c.setUp(p); s != Success)
        return s;
    if (c.several())
        return loadSeveral(c.transports(), c.controllers(), data, p.isSet(JsonName),
                           c.batchRecords({.fileName = QFileInfo(name).absoluteFilePath()}));
    ReporterSink sink;
    LoadOperation load(sink, data);
    c.record(load, {.fileName = QFileInfo(name).absoluteFilePath()});
    const OperationResult &result = c.run(load, int(OperatingMode::ServiceFirmware));
    const Status status = statusOf(result);
    if ((status == Success || status == Different) && p.isSet(JsonName))
        printJson({{QStringLiteral("file"), name},
                   {QStringLiteral("bytes"), result.bytes},
                   {QStringLiteral("differing"), result.differing}});
    return status;
}
