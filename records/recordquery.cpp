#include "records/recordquery.h"

#include "records/recordstore.h"

#include <QPointer>

RecordQuery::RecordQuery(const RecordsConfig &config, QObject *parent)
    : QObject(parent)
    , config(config)
    , context(new QObject)
{
    thread.setObjectName(QStringLiteral("k330-record-query"));
    context->moveToThread(&thread);
    thread.start();
}

RecordQuery::~RecordQuery()
{
    // Queued behind the requests: the store closes its connections in its own thread.
    QMetaObject::invokeMethod(
        context,
        [this] {
            store.reset();
            thread.quit();
        },
        Qt::QueuedConnection);
    thread.wait();
    delete context;
}

void RecordQuery::reconfigure(const RecordsConfig &next)
{
    QMetaObject::invokeMethod(
        context,
        [this, next] {
            store.reset();
            config = next;
        },
        Qt::QueuedConnection);
}

template<typename Result>
int RecordQuery::request(std::function<std::optional<Result>(RecordStore &)> work,
                         void (RecordQuery::*answer)(int, const Result &))
{
    const int ticket = ++nextTicket;
    QMetaObject::invokeMethod(
        context,
        [this, ticket, work = std::move(work), answer] {
            if (!store)
                store = std::make_unique<RecordStore>(config);
            const std::optional<Result> result = work(*store);
            const QString error = store->lastError();
            // Queued to this object: an answer to an object that has gone is dropped.
            QMetaObject::invokeMethod(
                this,
                [this, ticket, result, error, answer] {
                    if (result)
                        emit(this->*answer)(ticket, *result);
                    else
                        emit failed(ticket, error);
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
    return ticket;
}

int RecordQuery::requestHistory(const HistoryFilter &filter)
{
    return request<QList<StoredRecord>>([filter](RecordStore &s) { return s.history(filter); },
                                        &RecordQuery::history);
}

int RecordQuery::requestRecord(const QUuid &id)
{
    return request<StoredRecord>([id](RecordStore &s) { return s.record(id); },
                                 &RecordQuery::record);
}
