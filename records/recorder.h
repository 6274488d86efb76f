#pragma once
// The record store in a thread of its own, for the terminal: submit() returns at once, the
// records are stored in the order they were submitted, and while records wait for the server
// it is tried again every `retrySeconds`. Nothing in the caller's thread waits for a database.
// The destructor stores every record submitted before it, then stops the thread.

#include "records/recordstore.h"

#include <QObject>
#include <QThread>
#include <QUuid>

class RecorderWorker;

class Recorder : public QObject
{
    Q_OBJECT
public:
    explicit Recorder(const RecordsConfig &config, QObject *parent = nullptr);
    ~Recorder() override;

    void submit(const OperationRecord &record);
    // From now on the records go to the store `config` names: the records submitted before are
    // stored first, then the old store is closed. Records waiting for a server stay in the
    // station's outbox and go on to the new server, if there is one.
    void reconfigure(const RecordsConfig &config);

signals:
    // The record `id` is kept at `place` (Lost included, with a notice).
    void stored(const QUuid &id, RecordPlace place);
    // What the log should say: the server away or back, records going to a fallback file.
    void notice(const QString &text);

private:
    QThread thread;
    RecorderWorker *worker; // lives in `thread`; deleted once it has stopped
};
