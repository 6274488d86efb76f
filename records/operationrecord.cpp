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

namespace {

using R = OperationRecord;

template<auto M> QJsonValue getMember(const R &r)
{
    return QJsonValue(r.*M);
}

template<auto M> bool setMember(R &r, const QJsonValue &v)
{
    using T = std::remove_cvref_t<decltype(r.*M)>;
    if constexpr (std::is_same_v<T, QString>)
        r.*M = v.toString();
    else if constexpr (std::is_same_v<T, qint64>)
        r.*M = v.toInteger();
    else
        r.*M = v.toInt();
    return true;
}

template<auto M> constexpr RecordField member(const char *name)
{
    return {name, RecordField::Plain, &getMember<M>, &setMember<M>};
}

template<QDateTime R::*M> constexpr RecordField timeField(const char *name)
{
    return {name, RecordField::Plain, [](const R &r) { return QJsonValue(recordTimeText(r.*M)); },
            [](R &r, const QJsonValue &v) {
                r.*M = recordTimeFromText(v.toString());
                return (r.*M).isValid();
            }};
}

template<QByteArray R::*M> constexpr RecordField imageHash(const char *name)
{
    return {name, RecordField::ImageHash, [](const R &r) { return QJsonValue(sha256Hex(r.*M)); },
            nullptr};
}

template<QByteArray R::*M> constexpr RecordField imageField(const char *name)
{
    return {name, RecordField::Image,
            [](const R &r) { return QJsonValue(QString::fromLatin1((r.*M).toBase64())); },
            [](R &r, const QJsonValue &v) {
                r.*M = QByteArray::fromBase64(v.toString().toLatin1());
                return true;
            }};
}

// A field written as its name in one of the tables above.
template<typename E, E R::*M, QString (*nameOf)(E), std::optional<E> (*fromName)(const QString &)>
constexpr RecordField namedField(const char *name)
{
    return {name, RecordField::Plain, [](const R &r) { return QJsonValue(nameOf(r.*M)); },
            [](R &r, const QJsonValue &v) {
                const std::optional<E> value = fromName(v.toString());
                r.*M = value.value_or(E {});
                return value.has_value();
            }};
}

const RecordField fields[] = {
    {"id", RecordField::Plain,
     [](const R &r) { return QJsonValue(r.id.toString(QUuid::WithoutBraces)); },
     [](R &r, const QJsonValue &v) {
         r.id = QUuid::fromString(v.toString());
         return !r.id.isNull();
     }},
    timeField<&R::started>("started"),
    timeField<&R::ended>("ended"),
    member<&R::station>("station"),
    member<&R::operatorName>("operator"),
    member<&R::programVersion>("program_version"),
    member<&R::portPath>("port_path"),
    member<&R::model>("model"),
    member<&R::serial>("serial"),
    member<&R::cpuId>("cpu_id"),
    member<&R::firmwareVersion>("firmware_version"),
    namedField<RecordedOperation, &R::operation, operationName, operationFromName>("operation"),
    member<&R::mode>("mode"),
    member<&R::fileName>("file"),
    member<&R::fileSha256>("file_sha256"),
    namedField<RecordedOutcome, &R::outcome, outcomeName, outcomeFromName>("result"),
    member<&R::differingBytes>("differing_bytes"),
    member<&R::message>("message"),
    member<&R::durationMs>("duration_ms"),
    imageHash<&R::readImage>("read_image_sha256"),
    imageHash<&R::writtenImage>("written_image_sha256"),
    imageField<&R::readImage>("read_image"),
    imageField<&R::writtenImage>("written_image"),
};

} // namespace

std::span<const RecordField> recordFields()
{
    return fields;
}

QJsonObject recordToJson(const OperationRecord &r, ImagesInJson images)
{
    QJsonObject o;
    for (const RecordField &f : fields) {
        if (f.use != RecordField::Image || images == ImagesInJson::Include)
            o.insert(QLatin1String(f.name), f.get(r));
    }
    return o;
}

std::optional<OperationRecord> recordFromJson(const QJsonObject &o)
{
    OperationRecord r;
    for (const RecordField &f : fields) {
        if (!f.set)
            continue;
        const auto value = o.constFind(QLatin1String(f.name));
        if (value == o.constEnd() || !f.set(r, *value))
            return std::nullopt;
    }
    return r;
}
