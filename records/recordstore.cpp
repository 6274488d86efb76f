#include "records/recordstore.h"

#include "records/fallbackfile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLoggingCategory>

#include <unistd.h>

Q_LOGGING_CATEGORY(lcRecords, "k330.records", QtWarningMsg)

RecordStore::RecordStore(const RecordsConfig &config, Notice notice)
    : config(config)
    , notice(std::move(notice))
{
    if (config.serverUrl.isEmpty())
        return;
    QString problem;
    address = RecordsSettings::parseServerUrl(config.serverUrl, &problem);
    if (!address) {
        say(tr("%1. Записи сохраняются на станции").arg(problem));
        return;
    }
    addressText = RecordsSettings::displayUrl(*address);
    link = Link::Untried;
}

RecordStore::~RecordStore() = default;

QString RecordStore::fallbackPath() const
{
    return QFileInfo(config.localPath).dir().filePath(QStringLiteral("records-fallback.jsonl"));
}

QString RecordStore::spareFallbackPath() const
{
    if (config.spareFallbackFolder.isEmpty())
        return {};
    // The spare folder may be shared by every user of the machine (the temporary folder).
    return QDir(config.spareFallbackFolder)
        .filePath(QStringLiteral("k330-records-fallback-%1.jsonl").arg(::getuid()));
}

void RecordStore::say(const QString &text)
{
    qCInfo(lcRecords).noquote() << text;
    if (notice)
        notice(text);
}

bool RecordStore::openLocal()
{
    if (local)
        return true;
    if (localTried)
        return false;
    auto db = std::make_unique<RecordDatabase>();
    switch (db->openFile(config.localPath)) {
    case OpenResult::Open:
        local = std::move(db);
        importFallback();
        return true;
    case OpenResult::NewerSchema:
        localTried = true;
        localFault = tr("база создана более новой версией программы (схема %1, эта программа "
                        "знает схему %2), в неё ничего не записывается")
                         .arg(db->foundVersion())
                         .arg(RecordSchema::Version);
        return false;
    case OpenResult::NotADatabase:
        localTried = true;
        localFault = tr("файл не является базой журнала (%1)").arg(db->error());
        return false;
    case OpenResult::Failed:
        // Tried again with the next record: the disk may have room again.
        localFault = db->error();
        return false;
    }
    return false;
}

void RecordStore::importFallback()
{
    const bool queue = !config.serverUrl.isEmpty();
    for (const QString &path : {fallbackPath(), spareFallbackPath()}) {
        if (path.isEmpty())
            continue;
        FallbackFile::drain(path, [this, queue](const QList<QByteArray> &lines) {
            for (const QByteArray &line : lines) {
                const auto record = recordFromJson(QJsonDocument::fromJson(line).object());
                // A line that cannot be taken keeps the whole file for a later look.
                if (!record || !local->insert(*record, queue))
                    return false;
            }
            return true;
        });
    }
}

RecordPlace RecordStore::append(const OperationRecord &record)
{
    const bool queue = !config.serverUrl.isEmpty();
    if (openLocal()) {
        if (local->insert(record, queue)) {
            if (!queue)
                return RecordPlace::Station;
            bool emptied = false;
            send(&emptied);
            return emptied ? RecordPlace::Server : RecordPlace::Outbox;
        }
        localFault = local->error();
    }
    if (queue && reachServer() && storeOnServer(record))
        return RecordPlace::Server;
    return keepInFallback(record, localFault);
}

RecordPlace RecordStore::keepInFallback(const OperationRecord &record, const QString &reason)
{
    const QByteArray line =
        QJsonDocument(recordToJson(record, ImagesInJson::Include)).toJson(QJsonDocument::Compact);
    for (const QString &path : {fallbackPath(), spareFallbackPath()}) {
        if (path.isEmpty() || !FallbackFile::append(path, line))
            continue;
        if (reportedFallback != path) {
            reportedFallback = path;
            say(tr("Журнал операций не может быть записан в базу %1: %2. Записи сохраняются в "
                   "файле %3")
                    .arg(config.localPath, reason, path));
        }
        return RecordPlace::Fallback;
    }
    // The record itself goes to the diagnostics, the last place left.
    qCWarning(lcRecords).noquote() << line;
    say(tr("Запись об операции %1 не сохранена: базу %2 (%3) и файлы %4, %5 записать нельзя")
            .arg(record.id.toString(QUuid::WithoutBraces), config.localPath, reason, fallbackPath(),
                 spareFallbackPath()));
    return RecordPlace::Lost;
}

bool RecordStore::reachServer()
{
    if (link == Link::Up && server)
        return true;
    if (link == Link::Unused || (link == Link::Away && !nextAttempt.hasExpired()))
        return false;
    return connectServer();
}

bool RecordStore::connectServer()
{
    auto db = std::make_unique<RecordDatabase>();
    const OpenResult result = db->openServer(*address);
    if (result == OpenResult::Open) {
        server = std::move(db);
        if (link == Link::Away)
            say(tr("Журнал на сервере %1 снова доступен").arg(addressText));
        link = Link::Up;
        return true;
    }
    serverLost(result == OpenResult::NewerSchema
                   ? tr("база на сервере создана более новой версией программы (схема %1, эта "
                        "программа знает схему %2), в неё ничего не записывается")
                         .arg(db->foundVersion())
                         .arg(RecordSchema::Version)
                   : db->error());
    return false;
}

void RecordStore::serverLost(const QString &reason)
{
    server.reset();
    nextAttempt.setRemainingTime(qint64(config.retrySeconds) * 1000);
    if (link == Link::Away)
        return;
    link = Link::Away;
    say(tr("Журнал на сервере %1 недоступен: %2. Записи сохраняются на станции и будут "
           "отправлены, когда сервер ответит")
            .arg(addressText, reason.trimmed()));
}

bool RecordStore::storeOnServer(const OperationRecord &record)
{
    if (server->insert(record, false))
        return true;
    // A connection that the server dropped (it was restarted) fails once; a new one may work.
    server.reset();
    if (!connectServer())
        return false;
    if (server->insert(record, false))
        return true;
    serverLost(server->error());
    return false;
}

int RecordStore::send(bool *emptied)
{
    *emptied = false;
    if (config.serverUrl.isEmpty() || !openLocal())
        return 0;
    const auto ids = local->outbox();
    if (!ids)
        return 0;
    if (ids->isEmpty() || !reachServer()) {
        *emptied = ids->isEmpty();
        return 0;
    }
    int sent = 0;
    for (const QUuid &id : *ids) {
        const auto stored = local->record(id);
        if (!stored)
            continue; // stays in the outbox; the next attempt tries it again
        if (!storeOnServer(stored->record))
            return sent;
        // If this fails the record is sent again later, and the server keeps the first copy.
        if (local->removeFromOutbox(id))
            ++sent;
    }
    *emptied = sent == ids->size();
    return sent;
}

int RecordStore::forward()
{
    bool emptied = false;
    return send(&emptied);
}

bool RecordStore::waiting()
{
    if (config.serverUrl.isEmpty() || !openLocal())
        return false;
    const auto ids = local->outbox();
    return ids && !ids->isEmpty();
}

RecordDatabase *RecordStore::queryDatabase()
{
    if (address) {
        forward();
        if (reachServer())
            return server.get();
    }
    if (openLocal())
        return local.get();
    error = localFault;
    return nullptr;
}

std::optional<QList<StoredRecord>> RecordStore::history(const HistoryFilter &filter)
{
    RecordDatabase *db = queryDatabase();
    auto result = db ? db->history(filter) : std::nullopt;
    if (db && !result)
        error = db->error();
    return result;
}

std::optional<StoredRecord> RecordStore::record(const QUuid &id)
{
    RecordDatabase *db = queryDatabase();
    return db ? db->record(id) : std::nullopt;
}

std::optional<RestorePoint> RecordStore::imageAt(const QString &serial, const QString &portPath,
                                                 const QDateTime &time)
{
    RecordDatabase *db = queryDatabase();
    return db ? db->imageAt(serial, portPath, time) : std::nullopt;
}

std::optional<RestorePoint> RecordStore::imageBeforeLastWrite(const QString &serial,
                                                              const QString &portPath)
{
    RecordDatabase *db = queryDatabase();
    return db ? db->imageBeforeLastWrite(serial, portPath) : std::nullopt;
}
