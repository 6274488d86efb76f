#pragma once
// One connection to a record database, the station's SQLite file or a PostgreSQL server:
// opening it with its schema brought up to date, storing a record with its images (each image
// once per SHA-256), the history and restore queries, and the outbox of records that wait for
// the server. A Qt SQL connection belongs to the thread that opened it: so does this object.

#include "records/operationrecord.h"
#include "records/recordschema.h"
#include "records/recordsconfig.h"

#include <QCoreApplication>
#include <QList>

#include <optional>

// What a history query selects; an empty field selects everything.
struct HistoryFilter
{
    QString serial;
    QString portPath;
    std::optional<RecordedOperation> operation;
    QDateTime since; // records started at or after this time
    int limit = 0; // the newest `limit` records; 0: all
};

// A record as a database keeps it: the SHA-256 of its images even where they were not loaded.
struct StoredRecord
{
    OperationRecord record;
    QString readImageSha256;
    QString writtenImageSha256;
};

// An image a unit held, and the record that shows it.
struct RestorePoint
{
    QByteArray image;
    StoredRecord source;
};

enum class OpenResult {
    Open,
    NewerSchema, // made by a newer program: left as it was
    NotADatabase, // the file is something else (or damaged)
    Failed, // cannot be reached, created or written: error() says why
};

class RecordDatabase
{
    Q_DECLARE_TR_FUNCTIONS(RecordDatabase)
public:
    RecordDatabase();
    ~RecordDatabase();
    RecordDatabase(const RecordDatabase &) = delete;
    RecordDatabase &operator=(const RecordDatabase &) = delete;

    // The SQLite file at `path` (its folder is created), in WAL mode.
    OpenResult openFile(const QString &path);
    OpenResult openServer(const ServerAddress &address);
    void close();
    bool isOpen() const;
    // Why the last open or statement failed, as the driver said it.
    QString error() const { return lastError; }
    // The schema version the database had when it was opened.
    int foundVersion() const { return found; }

    // Stores the record and its images in one transaction; a record whose id is already there
    // is left as it is. `queue` also puts the id in the outbox.
    bool insert(const OperationRecord &record, bool queue);

    // Newest first.
    std::optional<QList<StoredRecord>> history(const HistoryFilter &filter);
    // The record with its images.
    std::optional<StoredRecord> record(const QUuid &id);
    // Ids in the outbox, oldest record first; removal once the server has the record.
    std::optional<QList<QUuid>> outbox();
    bool removeFromOutbox(const QUuid &id);

    // The image the unit held at `time`: the last image read from it or written to it
    // successfully up to then (optionally only through the port `portPath`).
    std::optional<RestorePoint> imageAt(const QString &serial, const QString &portPath,
                                        const QDateTime &time);
    // The image the unit held before its last write: what that write read first, else the
    // image it held before the write started.
    std::optional<RestorePoint> imageBeforeLastWrite(const QString &serial,
                                                     const QString &portPath);

private:
    OpenResult prepare(RecordEngine engine);
    OpenResult openAndPrepare(RecordEngine engine);
    bool fail(const class QSqlQuery &query);
    std::optional<QList<StoredRecord>> select(const QString &where, const QVariantList &values,
                                              const QString &tail);
    std::optional<QByteArray> image(const QString &sha256);
    std::optional<RestorePoint> lastImage(const QString &serial, const QString &portPath,
                                          const QString &time, const char *comparison);

    QString connection; // the Qt SQL connection name, unique to this object
    QString lastError;
    int found = 0;
};
