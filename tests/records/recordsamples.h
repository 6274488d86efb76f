#pragma once
// Records for the record-store tests, and a field-by-field comparison that names the field.

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

// Compares every field through the JSON form, so that a failure names the field.
inline bool sameRecord(const OperationRecord &actual, const OperationRecord &expected)
{
    const QJsonObject a = recordToJson(actual, ImagesInJson::Include);
    const QJsonObject e = recordToJson(expected, ImagesInJson::Include);
    for (auto it = e.begin(); it != e.end(); ++it) {
        const QByteArray got = QJsonDocument(QJsonObject {{it.key(), a.value(it.key())}}).toJson();
        const QByteArray want = QJsonDocument(QJsonObject {{it.key(), it.value()}}).toJson();
        if (!QTest::qCompare(got, want, "actual", "expected", __FILE__, __LINE__))
            return false;
    }
    return true;
}
