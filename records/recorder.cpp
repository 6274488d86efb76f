#include "records/recorder.h"

#include <QTimer>

// Owns the store in the recorder's thread: the store's connections are made, used and closed
// there.
class RecorderWorker : public QObject
{
    Q_OBJECT
public:
    explicit RecorderWorker(const RecordsConfig &config)
        : config(config)
    {
        retry.setSingleShot(true);
        retry.setInterval(std::max(config.retrySeconds, 1) * 1000);
        connect(&retry, &QTimer::timeout, this, [this] {
            store->forward();
            retryIfWaiting();
        });
    }

    void append(const OperationRecord &record)
    {
        if (!store) {
            store = std::make_unique<RecordStore>(
                config, [this](const QString &text) { emit notice(text); });
        }
        const RecordPlace place = store->append(record);
        emit stored(record.id, place);
        if (place == RecordPlace::Outbox)
            retryIfWaiting();
    }

    void reconfigure(const RecordsConfig &next)
    {
        retry.stop();
        store.reset();
        config = next;
        retry.setInterval(std::max(config.retrySeconds, 1) * 1000);
        store = std::make_unique<RecordStore>(config,
                                              [this](const QString &text) { emit notice(text); });
        store->forward();
        retryIfWaiting();
    }

    // Runs last in the thread: the store closes its connections here.
    void finish()
    {
        retry.stop();
        store.reset();
        thread()->quit();
    }

signals:
    void stored(const QUuid &id, RecordPlace place);
    void notice(const QString &text);

private:
    void retryIfWaiting()
    {
        if (!retry.isActive() && store->waiting())
            retry.start();
    }

    RecordsConfig config;
    std::unique_ptr<RecordStore> store;
    QTimer retry {this};
};

Recorder::Recorder(const RecordsConfig &config, QObject *parent)
    : QObject(parent)
    , worker(new RecorderWorker(config))
{
    thread.setObjectName(QStringLiteral("k330-records"));
    worker->moveToThread(&thread);
    connect(worker, &RecorderWorker::stored, this, &Recorder::stored);
    connect(worker, &RecorderWorker::notice, this, &Recorder::notice);
    thread.start();
}

Recorder::~Recorder()
{
    // Queued behind every record submitted so far.
    QMetaObject::invokeMethod(worker, &RecorderWorker::finish, Qt::QueuedConnection);
    thread.wait();
    delete worker;
}

void Recorder::reconfigure(const RecordsConfig &config)
{
    QMetaObject::invokeMethod(
        worker, [w = worker, config] { w->reconfigure(config); }, Qt::QueuedConnection);
}

void Recorder::submit(const OperationRecord &record)
{
    QMetaObject::invokeMethod(
        worker, [w = worker, record] { w->append(record); }, Qt::QueuedConnection);
}

#include "recorder.moc"
