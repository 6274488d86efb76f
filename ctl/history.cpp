// The commands on the operation records: the history of the units, the restore of a unit's
// earlier configuration, and a record's image as a side of diff.

#include "config/crc16.h"
#include "config/image.h"
#include "config/modes.h"
#include "ctl/commands.h"
#include "ctl/output.h"
#include "ctl/session.h"
#include "device/controllers.h"
#include "device/operations/writeoperation.h"
#include "records/recordexport.h"

#include <QCommandLineParser>

#include <cstring>

namespace {

const QLatin1String RecordPrefix("record:");

// A time on the command line: ISO 8601, local time unless it names its zone; a date alone is
// its start.
QDateTime timeOption(const QString &text)
{
    QDateTime t = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!t.isValid()) {
        const QDate d = QDate::fromString(text, Qt::ISODate);
        if (d.isValid())
            t = d.startOfDay();
    }
    return t.toUTC();
}

// "started  operation mode  result  serial  port  file  id", with the differing count or the
// failure message where there is one.
QString historyLine(const OperationRecord &r)
{
    QString result = outcomeName(r.outcome);
    if (r.outcome == RecordedOutcome::Differs)
        result += QStringLiteral(" (%1)").arg(r.differingBytes);
    else if (r.outcome == RecordedOutcome::Failed && !r.message.isEmpty())
        result += QStringLiteral(" (%1)").arg(r.message);
    QString operation = operationName(r.operation);
    if (!r.mode.isEmpty())
        operation += QLatin1Char(' ') + r.mode;
    return QStringList {recordTimeText(r.started),
                        operation,
                        result,
                        r.serial,
                        r.portPath,
                        r.fileName,
                        r.id.toString(QUuid::WithoutBraces)}
               .join(QStringLiteral("  "))
        + QLatin1Char('\n');
}

Status noRecords(RecordStore &store)
{
    say(Ctl::tr("Журнал операций недоступен: ") + store.lastError());
    return TransferFailed;
}

} // namespace

int runHistory(const QCommandLineParser &p)
{
    HistoryFilter filter;
    filter.serial = p.value(QStringLiteral("serial"));
    filter.portPath = p.value(QStringLiteral("device"));
    if (p.isSet(QStringLiteral("operation"))) {
        filter.operation = operationFromName(p.value(QStringLiteral("operation")));
        if (!filter.operation) {
            say(QStringLiteral("k330ctl history: --operation takes read, write, verify or "
                               "load-firmware"));
            return UsageError;
        }
    }
    if (p.isSet(QStringLiteral("since"))) {
        filter.since = timeOption(p.value(QStringLiteral("since")));
        if (!filter.since.isValid()) {
            say(QStringLiteral("k330ctl history: --since takes a date or time (ISO 8601)"));
            return UsageError;
        }
    }
    const std::unique_ptr<RecordStore> store = openRecords(p);
    const auto records = store->history(filter);
    if (!records)
        return noRecords(*store);
    if (p.isSet(JsonName)) {
        printOut(QString::fromUtf8(recordsToJson(*records)));
    } else if (p.isSet(QStringLiteral("csv"))) {
        printOut(QString::fromUtf8(recordsToCsv(*records)));
    } else {
        for (const StoredRecord &s : *records)
            printOut(historyLine(s.record));
    }
    return Success;
}

int runRestore(const QCommandLineParser &p)
{
    const QString serial = p.value(QStringLiteral("serial"));
    const QDateTime at = timeOption(p.value(QStringLiteral("at")));
    if (serial.isEmpty() || (p.isSet(QStringLiteral("at")) && !at.isValid())) {
        say(QStringLiteral("k330ctl restore: --serial S is required, --at takes a date or time "
                           "(ISO 8601)"));
        return UsageError;
    }
    Controller c;
    if (const Status s = c.setUp(p); s != Success)
        return s;
    // The socket --device chose (by path or serial); empty when it was not given.
    const QString device = c.chosenPath();
    const auto point = p.isSet(QStringLiteral("at"))
        ? c.records().imageAt(serial, device, at)
        : c.records().imageBeforeLastWrite(serial, device);
    if (!point || point->image.size() != TK440::Size) {
        say(Ctl::tr("В журнале операций нет конфигурации контроллера ") + serial);
        return InvalidFile;
    }
    TK440 image;
    std::memcpy(image.b, point->image.constData(), TK440::Size);
    const int mode = int(OperatingMode::ServiceAll); // the whole configuration memory
    ReporterSink sink;
    WriteOperation write(sink, image, mode);
    c.record(write,
             {.fileName = RecordPrefix + point->source.record.id.toString(QUuid::WithoutBraces),
              .fileSha256 = sha256Hex(point->image),
              .mode = QStringLiteral("restore")});
    QList<FieldDifference> changes;
    const OperationResult read = c.keepBackup(write, image, mode, &changes);
    // Only the unit the configuration came from takes it back.
    const ControllerIdentity unit {device, read.controller, QString()};
    if (!read.identified || unit.serialText() != serial) {
        say(Ctl::tr("Контроллер ") + serial + Ctl::tr(" не подключен."));
        return NoController;
    }
    return statusOf(c.run(write, mode));
}

Status loadImageOrRecord(const QCommandLineParser &p, const QString &name, TK440 &image)
{
    if (!name.startsWith(RecordPrefix))
        return loadImage(name, image);
    const QUuid id = QUuid::fromString(name.mid(RecordPrefix.size()));
    const std::unique_ptr<RecordStore> store = openRecords(p);
    const auto stored = id.isNull() ? std::nullopt : store->record(id);
    // A write's record shows what it wrote; the others what they read.
    const QByteArray bytes = stored
        ? (stored->record.writtenImage.isEmpty() ? stored->record.readImage
                                                 : stored->record.writtenImage)
        : QByteArray();
    if (bytes.size() != TK440::Size) {
        say(Ctl::tr("В журнале операций нет конфигурации в записи ")
            + name.mid(RecordPrefix.size()));
        return InvalidFile;
    }
    std::memcpy(image.b, bytes.constData(), TK440::Size);
    return Success;
}

namespace {

QCommandLineOption valueOption(const char *name, const char *help, const char *value)
{
    return QCommandLineOption(QLatin1String(name), QLatin1String(help), QLatin1String(value));
}

} // namespace

void addHistoryOptions(QCommandLineParser &p)
{
    p.addOption(jsonOption());
    p.addOption(QCommandLineOption(QStringLiteral("csv"),
                                   QStringLiteral("Print the records as CSV on stdout.")));
    p.addOption(valueOption("serial", "Only the unit with this processor serial.", "S"));
    p.addOption(valueOption("device", "Only the controllers at this port path.", "PATH"));
    p.addOption(valueOption("operation",
                            "Only this operation: read, write, verify or load-firmware.", "OP"));
    p.addOption(valueOption("since", "Only records started at or after DATE (ISO 8601).", "DATE"));
    addRecordsOption(p);
}

void addRestoreOptions(QCommandLineParser &p)
{
    p.addOption(valueOption("serial", "The unit's processor serial, as the records name it.", "S"));
    p.addOption(
        valueOption("at", "The configuration the unit held at TIME (ISO 8601) instead.", "TIME"));
    addControllerOptions(p);
}
