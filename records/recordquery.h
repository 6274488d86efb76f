#pragma once
// Queries on the operation records for a window: each request runs in a thread of this object's
// own, over a record store made there (a Qt SQL connection belongs to its thread), and its answer
// comes back as a signal in the caller's thread with the request's ticket. Nothing in the
// caller's thread waits for a database.

#include "records/recorddatabase.h"

#include <QObject>
#include <QThread>

#include <memory>

class RecordStore;

class RecordQuery : public QObject
{
    Q_OBJECT
public:
    explicit RecordQuery(const RecordsConfig &config, QObject *parent = nullptr);
    // Waits for the request running now, drops the others.
    ~RecordQuery() override;

    // The requests made from now on go to the store `config` names.
    void reconfigure(const RecordsConfig &config);

    // The answer comes as history() or failed() with the returned ticket.
    int requestHistory(const HistoryFilter &filter);
    // The record with its images: record() or failed().
    int requestRecord(const QUuid &id);

signals:
    void history(int ticket, const QList<StoredRecord> &records);
    void record(int ticket, const StoredRecord &record);
    void failed(int ticket, const QString &error);

private:
    // Runs `work` in the thread on the store; its result is handed back by `answer`.
    template<typename Result>
    int request(std::function<std::optional<Result>(RecordStore &)> work,
                void (RecordQuery::*answer)(int, const Result &));

    RecordsConfig config; // used in `thread` once it runs
    QThread thread;
    QObject *context; // lives in `thread`: the requests run as its queued calls
    std::unique_ptr<RecordStore> store; // made, used and deleted in `thread`
    int nextTicket = 0;
};
