#include "records/recordrows.h"

#include <QSqlQuery>

const QString RecordRows::columns = QStringLiteral(
    "id, started_at, ended_at, station, operator, program_version, port_path, model, serial, "
    "cpu_id, firmware_version, operation, mode, file_name, file_sha256, result, differing_bytes, "
    "message, duration_ms, read_image_sha256, written_image_sha256");

namespace {

// Qt binds a null QString as NULL; the text columns are NOT NULL.
QString text(const QString &s)
{
    return s.isNull() ? QStringLiteral("") : s;
}

QVariant shaOrNull(const QByteArray &image)
{
    return image.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(sha256Hex(image));
}

} // namespace

QString RecordRows::idText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces);
}

void RecordRows::bind(QSqlQuery &q, const OperationRecord &r)
{
    // clang-format off
    const QVariant values[count] = {
        idText(r.id), recordTimeText(r.started), recordTimeText(r.ended), text(r.station),
        text(r.operatorName), text(r.programVersion), text(r.portPath), r.model, text(r.serial),
        r.cpuId, text(r.firmwareVersion), operationName(r.operation), text(r.mode),
        text(r.fileName), text(r.fileSha256), outcomeName(r.outcome), r.differingBytes,
        text(r.message), r.durationMs, shaOrNull(r.readImage), shaOrNull(r.writtenImage)};
    // clang-format on
    for (const QVariant &v : values)
        q.addBindValue(v);
}

StoredRecord RecordRows::fromRow(const QSqlQuery &q)
{
    StoredRecord s;
    OperationRecord &r = s.record;
    r.id = QUuid::fromString(q.value(0).toString());
    r.started = recordTimeFromText(q.value(1).toString());
    r.ended = recordTimeFromText(q.value(2).toString());
    r.station = q.value(3).toString();
    r.operatorName = q.value(4).toString();
    r.programVersion = q.value(5).toString();
    r.portPath = q.value(6).toString();
    r.model = q.value(7).toInt();
    r.serial = q.value(8).toString();
    r.cpuId = q.value(9).toInt();
    r.firmwareVersion = q.value(10).toString();
    r.operation = operationFromName(q.value(11).toString()).value_or(RecordedOperation::Read);
    r.mode = q.value(12).toString();
    r.fileName = q.value(13).toString();
    r.fileSha256 = q.value(14).toString();
    r.outcome = outcomeFromName(q.value(15).toString()).value_or(RecordedOutcome::Failed);
    r.differingBytes = q.value(16).toInt();
    r.message = q.value(17).toString();
    r.durationMs = q.value(18).toLongLong();
    s.readImageSha256 = q.value(19).toString();
    s.writtenImageSha256 = q.value(20).toString();
    return s;
}

QString RecordRows::resultingImage(const StoredRecord &s)
{
    const RecordedOutcome o = s.record.outcome;
    switch (s.record.operation) {
    case RecordedOperation::Write:
        return o == RecordedOutcome::Done || o == RecordedOutcome::Verified ? s.writtenImageSha256
                                                                            : QString();
    case RecordedOperation::Read:
    case RecordedOperation::Verify:
        return o == RecordedOutcome::Failed ? QString() : s.readImageSha256;
    case RecordedOperation::LoadFirmware:
        break;
    }
    return {};
}
