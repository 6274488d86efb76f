#pragma once
// The record store as the operations use it: every record goes first into the station's SQLite
// database; with a server configured it also waits there in the outbox and is sent on at once,
// or when the server answers again (each record exactly once: the server keeps it by id). When
// the station's database cannot be written, the record goes to the server directly or, failing
// that, as a JSON line into the fallback file beside the database (or in the spare folder).
// Whatever happens is said through the notice callback, once per change: the server away, the
// server back, the records going to the fallback file; a record that nothing could keep is
// reported each time. Synchronous and bound to its thread: k330ctl calls it directly, the
// terminal through Recorder.

#include "records/recorddatabase.h"

#include <QDeadlineTimer>

#include <functional>
#include <memory>

// Where append() put a record.
enum class RecordPlace {
    Station, // the station's database; no server configured
    Server, // on the server (and in the station's database when it could be written)
    Outbox, // in the station's database, waiting for the server
    Fallback, // in a fallback file
    Lost, // nowhere: reported by a notice
};

class RecordStore
{
    Q_DECLARE_TR_FUNCTIONS(RecordStore)
public:
    using Notice = std::function<void(const QString &text)>;

    explicit RecordStore(const RecordsConfig &config, Notice notice = {});
    ~RecordStore();
    RecordStore(const RecordStore &) = delete;
    RecordStore &operator=(const RecordStore &) = delete;

    RecordPlace append(const OperationRecord &record);

    // Sends the records waiting in the outbox, if the server can be tried now (it is tried
    // again only `retrySeconds` after it was last found away). Returns how many were sent.
    int forward();
    // True while records of this station wait for the server.
    bool waiting();

    // Queries on the server when one is configured and answers, else on the station's
    // database; nullopt with lastError() when neither answers.
    std::optional<QList<StoredRecord>> history(const HistoryFilter &filter);
    // The record with its images.
    std::optional<StoredRecord> record(const QUuid &id);
    std::optional<RestorePoint> imageAt(const QString &serial, const QString &portPath,
                                        const QDateTime &time);
    std::optional<RestorePoint> imageBeforeLastWrite(const QString &serial,
                                                     const QString &portPath);
    QString lastError() const { return error; }

    QString fallbackPath() const;
    QString spareFallbackPath() const;

private:
    enum class Link { Unused, Untried, Up, Away };

    bool openLocal();
    void importFallback();
    bool reachServer();
    bool connectServer();
    void serverLost(const QString &reason);
    bool storeOnServer(const OperationRecord &record);
    int send(bool *emptied);
    RecordPlace keepInFallback(const OperationRecord &record, const QString &reason);
    RecordDatabase *queryDatabase();
    void say(const QString &text);

    RecordsConfig config;
    Notice notice;
    std::optional<ServerAddress> address;
    QString addressText; // the server's URL for messages

    std::unique_ptr<RecordDatabase> local;
    bool localTried = false;
    QString localFault; // why the station's database is not usable
    std::unique_ptr<RecordDatabase> server;
    Link link = Link::Unused;
    QDeadlineTimer nextAttempt;
    QString reportedFallback; // the fallback file the user was last told of
    QString error;
};
