#include "records/operationrecord.h"

#include <k330/version.h>

#include <QCryptographicHash>
#include <QJsonValue>
#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

namespace {

struct Named
{
    const char *name;
    int value;
};

constexpr Named operationNames[] = {
    {"read", int(RecordedOperation::Read)},
    {"write", int(RecordedOperation::Write)},
    {"verify", int(RecordedOperation::Verify)},
    {"load-firmware", int(RecordedOperation::LoadFirmware)},
};

constexpr Named outcomeNames[] = {
    {"done", int(RecordedOutcome::Done)},
    {"verified", int(RecordedOutcome::Verified)},
    {"differs", int(RecordedOutcome::Differs)},
    {"failed", int(RecordedOutcome::Failed)},
};

template<std::size_t N> QString nameOf(const Named (&table)[N], int value)
{
    for (const Named &n : table) {
        if (n.value == value)
            return QString::fromLatin1(n.name);
    }
    return {};
}

template<std::size_t N> std::optional<int> valueOf(const Named (&table)[N], const QString &name)
{
    for (const Named &n : table) {
        if (name == QLatin1String(n.name))
            return n.value;
    }
    return std::nullopt;
}

QString loginName()
{
    if (const passwd *pw = ::getpwuid(::geteuid()))
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

} // namespace

QString operationName(RecordedOperation operation)
{
    return nameOf(operationNames, int(operation));
}

std::optional<RecordedOperation> operationFromName(const QString &name)
{
    const auto v = valueOf(operationNames, name);
    return v ? std::optional(RecordedOperation(*v)) : std::nullopt;
}

QString outcomeName(RecordedOutcome outcome)
{
    return nameOf(outcomeNames, int(outcome));
}

std::optional<RecordedOutcome> outcomeFromName(const QString &name)
{
    const auto v = valueOf(outcomeNames, name);
    return v ? std::optional(RecordedOutcome(*v)) : std::nullopt;
}

OperationRecord startRecord(RecordedOperation operation)
{
    OperationRecord r;
    r.id = QUuid::createUuid();
    r.started = recordTimeFromText(recordTimeText(QDateTime::currentDateTimeUtc()));
    r.ended = r.started;
    r.station = QSysInfo::machineHostName();
    r.operatorName = loginName();
    r.programVersion = QStringLiteral(K330_VERSION);
    r.operation = operation;
    return r;
}

void finishRecord(OperationRecord &record)
{
    record.ended = recordTimeFromText(recordTimeText(QDateTime::currentDateTimeUtc()));
    record.durationMs = record.started.msecsTo(record.ended);
}

QString sha256Hex(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return {};
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QString recordTimeText(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime recordTimeFromText(const QString &text)
{
    QDateTime t = QDateTime::fromString(text, Qt::ISODateWithMs);
    return t.isValid() ? t.toUTC() : QDateTime();
}

QJsonObject recordToJson(const OperationRecord &r, ImagesInJson images)
{
    QJsonObject o {
        {QStringLiteral("id"), r.id.toString(QUuid::WithoutBraces)},
        {QStringLiteral("started"), recordTimeText(r.started)},
        {QStringLiteral("ended"), recordTimeText(r.ended)},
        {QStringLiteral("station"), r.station},
        {QStringLiteral("operator"), r.operatorName},
        {QStringLiteral("program_version"), r.programVersion},
        {QStringLiteral("port_path"), r.portPath},
        {QStringLiteral("model"), r.model},
        {QStringLiteral("serial"), r.serial},
        {QStringLiteral("cpu_id"), r.cpuId},
        {QStringLiteral("firmware_version"), r.firmwareVersion},
        {QStringLiteral("operation"), operationName(r.operation)},
        {QStringLiteral("mode"), r.mode},
        {QStringLiteral("file"), r.fileName},
        {QStringLiteral("file_sha256"), r.fileSha256},
        {QStringLiteral("result"), outcomeName(r.outcome)},
        {QStringLiteral("differing_bytes"), r.differingBytes},
        {QStringLiteral("message"), r.message},
        {QStringLiteral("duration_ms"), r.durationMs},
        {QStringLiteral("read_image_sha256"), sha256Hex(r.readImage)},
        {QStringLiteral("written_image_sha256"), sha256Hex(r.writtenImage)},
    };
    if (images == ImagesInJson::Include) {
        o.insert(QStringLiteral("read_image"), QString::fromLatin1(r.readImage.toBase64()));
        o.insert(QStringLiteral("written_image"), QString::fromLatin1(r.writtenImage.toBase64()));
    }
    return o;
}

std::optional<OperationRecord> recordFromJson(const QJsonObject &o)
{
    static const char *const required[] = {"id",
                                           "started",
                                           "ended",
                                           "station",
                                           "operator",
                                           "program_version",
                                           "port_path",
                                           "model",
                                           "serial",
                                           "cpu_id",
                                           "firmware_version",
                                           "operation",
                                           "mode",
                                           "file",
                                           "file_sha256",
                                           "result",
                                           "differing_bytes",
                                           "message",
                                           "duration_ms",
                                           "read_image",
                                           "written_image"};
    for (const char *key : required) {
        if (!o.contains(QLatin1String(key)))
            return std::nullopt;
    }
    auto text = [&o](const char *key) {
        return o.value(QLatin1String(key)).toString();
    };
    OperationRecord r;
    r.id = QUuid::fromString(text("id"));
    r.started = recordTimeFromText(text("started"));
    r.ended = recordTimeFromText(text("ended"));
    const auto operation = operationFromName(text("operation"));
    const auto outcome = outcomeFromName(text("result"));
    if (r.id.isNull() || !r.started.isValid() || !r.ended.isValid() || !operation || !outcome)
        return std::nullopt;
    r.operation = *operation;
    r.outcome = *outcome;
    r.station = text("station");
    r.operatorName = text("operator");
    r.programVersion = text("program_version");
    r.portPath = text("port_path");
    r.model = o.value(QLatin1String("model")).toInt();
    r.serial = text("serial");
    r.cpuId = o.value(QLatin1String("cpu_id")).toInt();
    r.firmwareVersion = text("firmware_version");
    r.mode = text("mode");
    r.fileName = text("file");
    r.fileSha256 = text("file_sha256");
    r.differingBytes = o.value(QLatin1String("differing_bytes")).toInt();
    r.message = text("message");
    r.durationMs = o.value(QLatin1String("duration_ms")).toInteger();
    r.readImage = QByteArray::fromBase64(text("read_image").toLatin1());
    r.writtenImage = QByteArray::fromBase64(text("written_image").toLatin1());
    return r;
}
