#pragma once
// One record per operation with a controller (read, write, verify, firmware load): who did it
// where and when, on which unit, with which file, and how it ended; with the configuration
// images that went over the link. Plain values only, so that both front ends and the store can
// pass it between threads by copy.

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>
#include <span>

enum class RecordedOperation {
    Read,
    Write,
    Verify,
    LoadFirmware,
};

enum class RecordedOutcome {
    Done, // completed without a comparison (a read, a load without read-back)
    Verified, // the controller holds what was sent or compared
    Differs, // completed, but `differingBytes` bytes differ
    Failed, // did not complete: `message` says why
};

// The names used in the databases, in JSON and CSV, and by `k330ctl history --operation`.
QString operationName(RecordedOperation operation);
std::optional<RecordedOperation> operationFromName(const QString &name);
QString outcomeName(RecordedOutcome outcome);
std::optional<RecordedOutcome> outcomeFromName(const QString &name);

struct OperationRecord
{
    QUuid id;
    QDateTime started; // UTC, millisecond precision
    QDateTime ended;
    QString station; // host name
    QString operatorName; // login name
    QString programVersion;

    // The controller, as it identified itself.
    QString portPath;
    int model = 0; // model code (TK440::ModelRA, ...), 0 when unknown
    QString serial; // processor serial as text
    int cpuId = 0;
    QString firmwareVersion;

    RecordedOperation operation = RecordedOperation::Read;
    QString mode; // write mode, firmware load mode; empty where the operation has none
    QString fileName;
    QString fileSha256; // hex, of the file, image or firmware the operation used

    RecordedOutcome outcome = RecordedOutcome::Done;
    int differingBytes = 0;
    QString message; // the failure message; empty on success
    qint64 durationMs = 0;

    // Configuration images: what was read from the controller (for a write, what it held
    // before, where the operation read it first) and what was written to it. Kept once per
    // SHA-256 by the store.
    QByteArray readImage;
    QByteArray writtenImage;

    bool operator==(const OperationRecord &) const = default;
};

// A record for an operation starting now: a new id, the start time, this station, the login
// name and the program version filled in.
OperationRecord startRecord(RecordedOperation operation);
// Sets the end time and the duration from the start.
void finishRecord(OperationRecord &record);

// Hex SHA-256 of the bytes; empty for no bytes.
QString sha256Hex(const QByteArray &bytes);

enum class ImagesInJson { Include, Omit };

// JSON form: every field by name, times as ISO 8601 UTC with milliseconds; images in base64
// (Include) or only their SHA-256 (both forms carry "read_image_sha256", "written_image_sha256").
QJsonObject recordToJson(const OperationRecord &record, ImagesInJson images);
// The record from its JSON form with images; nullopt when a field is missing or invalid.
std::optional<OperationRecord> recordFromJson(const QJsonObject &object);

// One field of a record's JSON form, whose order the CSV form's columns follow: its name, how
// it is written and how it is read back.
struct RecordField
{
    enum Use {
        Plain, // always written, read back, a CSV column
        ImageHash, // always written (the image's SHA-256), never read back, a CSV column
        Image, // written with ImagesInJson::Include (base64), read back, no CSV column
    };
    const char *name;
    Use use;
    QJsonValue (*get)(const OperationRecord &);
    // False where the value is not one; none for ImageHash.
    bool (*set)(OperationRecord &, const QJsonValue &);
};
// Every field, in the order of the CSV columns.
std::span<const RecordField> recordFields();

// Time as the databases keep it: ISO 8601 UTC with milliseconds, which sorts as time does.
QString recordTimeText(const QDateTime &time);
QDateTime recordTimeFromText(const QString &text);
