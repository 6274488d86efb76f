#pragma once
// Records for the record-store tests, and their comparison field by field.

#include "records/operationrecord.h"

#include <QJsonDocument>
#include <QTest>

// A record of unit `serial` started `minute` minutes after a fixed time, with its images.
inline OperationRecord sampleRecord(RecordedOperation operation, const QString &serial, int minute,
                                    const QByteArray &read = {}, const QByteArray &written = {})
{
    OperationRecord r;
    r.id = QUuid::createUuid();
    r.started = QDateTime(QDate(2024, 3, 1), QTime(8, 0), Qt::UTC).addSecs(minute * 60);
    r.ended = r.started.addMSecs(1234);
    r.station = QStringLiteral("line-2");
    r.operatorName = QStringLiteral("Иванов");
    r.programVersion = QStringLiteral("2.1.0");
    r.portPath = QStringLiteral("usb:1-%1").arg(serial.size());
    r.model = 0x0301;
    r.serial = serial;
    r.cpuId = 0x1234;
    r.firmwareVersion = QStringLiteral("2.1");
    r.operation = operation;
    r.mode = QStringLiteral("10");
    r.fileName = QStringLiteral("/home/op/конфиг, \"копия\".mcd");
    r.fileSha256 = sha256Hex(read + written);
    r.outcome = RecordedOutcome::Verified;
    r.durationMs = 1234;
    r.readImage = read;
    r.writtenImage = written;
    return r;
}

// Compares every field through the JSON form: a failure shows both records.
inline bool sameRecord(const OperationRecord &actual, const OperationRecord &expected)
{
    return QTest::qCompare(QJsonDocument(recordToJson(actual, ImagesInJson::Include)).toJson(),
                           QJsonDocument(recordToJson(expected, ImagesInJson::Include)).toJson(),
                           "actual", "expected", __FILE__, __LINE__);
}
