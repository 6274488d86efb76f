#include "records/recorddatabase.h"

#include "records/recordrows.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

QAtomicInt connectionCount;

} // namespace

RecordDatabase::RecordDatabase()
    : connection(QStringLiteral("k330records-%1").arg(connectionCount.fetchAndAddRelaxed(1)))
{ }

RecordDatabase::~RecordDatabase()
{
    close();
}

OpenResult RecordDatabase::openFile(const QString &path)
{
    close();
    const QFileInfo file(path);
    const QString folder = file.absolutePath();
    if (!QDir().mkpath(folder)) {
        lastError = tr("папка %1 не может быть создана").arg(folder);
        return OpenResult::Failed;
    }
    // SQLite would only say that it cannot open the file.
    if (!file.exists() && !QFileInfo(folder).isWritable()) {
        lastError = tr("нет права записи в папку %1").arg(folder);
        return OpenResult::Failed;
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        // Several k330ctl processes may write at once: wait for each other's transactions.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    }
    return prepare(RecordEngine::SQLite);
}

OpenResult RecordDatabase::openServer(const ServerAddress &address)
{
    close();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        db.setHostName(address.host);
        db.setPort(address.port);
        db.setDatabaseName(address.database);
        db.setUserName(address.user);
        QString options = QStringLiteral("connect_timeout=5;application_name=k330");
        if (!address.sslMode.isEmpty())
            options += QStringLiteral(";sslmode=") + address.sslMode;
        db.setConnectOptions(options);
    }
    return prepare(RecordEngine::PostgreSQL);
}

OpenResult RecordDatabase::prepare(RecordEngine engine)
{
    const OpenResult result = openAndPrepare(engine);
    // Closed here, once no copy of the connection is left in scope.
    if (result != OpenResult::Open)
        close();
    return result;
}

OpenResult RecordDatabase::openAndPrepare(RecordEngine engine)
{
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    if (!db.isValid()) {
        lastError = tr("драйвер %1 не установлен").arg(db.driverName());
        return OpenResult::Failed;
    }
    if (!db.open()) {
        lastError = db.lastError().text();
        return OpenResult::Failed;
    }
    found = RecordSchema::versionOf(db, &lastError);
    if (found > RecordSchema::Version)
        return OpenResult::NewerSchema;
    // Set only after the version was read, so that a newer database stays untouched. FULL
    // syncs the log at every commit: a record reported stored survives a power cut too.
    QSqlQuery q(db);
    if (found >= 0 && engine == RecordEngine::SQLite
        && (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL"))
            || !q.exec(QStringLiteral("PRAGMA synchronous=FULL")))) {
        lastError = q.lastError().text();
        // SQLITE_NOTADB: the file is not a database, or its header is damaged.
        return q.lastError().nativeErrorCode() == QLatin1String("26") ? OpenResult::NotADatabase
                                                                      : OpenResult::Failed;
    }
    if (found < 0)
        return OpenResult::Failed;
    switch (RecordSchema::prepare(db, engine, &found, &lastError)) {
    case SchemaResult::Ready:
        return OpenResult::Open;
    case SchemaResult::Newer:
        return OpenResult::NewerSchema;
    case SchemaResult::Failed:
        break;
    }
    return OpenResult::Failed;
}

void RecordDatabase::close()
{
    if (!QSqlDatabase::contains(connection))
        return;
    QSqlDatabase::database(connection, false).close();
    QSqlDatabase::removeDatabase(connection);
}

bool RecordDatabase::isOpen() const
{
    return QSqlDatabase::contains(connection) && QSqlDatabase::database(connection, false).isOpen();
}

bool RecordDatabase::fail(const QSqlQuery &query)
{
    lastError = query.lastError().text();
    return false;
}

bool RecordDatabase::insert(const OperationRecord &r, bool queue)
{
    QSqlDatabase db = QSqlDatabase::database(connection, false);
    if (!db.transaction()) {
        lastError = db.lastError().text();
        return false;
    }
    auto run = [this, &db](QSqlQuery &q) {
        if (q.exec())
            return true;
        fail(q);
        db.rollback();
        return false;
    };
    for (const QByteArray &image : {r.readImage, r.writtenImage}) {
        if (image.isEmpty())
            continue;
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO images (sha256, data) VALUES (?, ?) "
                                 "ON CONFLICT (sha256) DO NOTHING"));
        q.addBindValue(sha256Hex(image));
        q.addBindValue(image);
        if (!run(q))
            return false;
    }
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO records (%1) VALUES (?%2) ON CONFLICT (id) DO NOTHING")
                  .arg(RecordRows::columns, QStringLiteral(", ?").repeated(RecordRows::count - 1)));
    RecordRows::bind(q, r);
    if (!run(q))
        return false;
    if (queue) {
        QSqlQuery o(db);
        o.prepare(QStringLiteral("INSERT INTO outbox (id) VALUES (?) ON CONFLICT (id) DO NOTHING"));
        o.addBindValue(RecordRows::idText(r.id));
        if (!run(o))
            return false;
    }
    if (db.commit())
        return true;
    lastError = db.lastError().text();
    db.rollback();
    return false;
}

std::optional<QList<StoredRecord>>
RecordDatabase::select(const QString &where, const QVariantList &values, const QString &tail)
{
    QSqlQuery q(QSqlDatabase::database(connection, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM records%2%3 ORDER BY started_at DESC, id DESC%4")
                  .arg(RecordRows::columns, where.isEmpty() ? QString() : QStringLiteral(" WHERE "),
                       where, tail));
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec()) {
        fail(q);
        return std::nullopt;
    }
    QList<StoredRecord> list;
    while (q.next())
        list.append(RecordRows::fromRow(q));
    return list;
}

std::optional<QList<StoredRecord>> RecordDatabase::history(const HistoryFilter &f)
{
    QStringList where;
    QVariantList values;
    auto add = [&](bool used, const char *condition, const QVariant &value) {
        if (used) {
            where.append(QLatin1String(condition));
            values.append(value);
        }
    };
    add(!f.serial.isEmpty(), "serial = ?", f.serial);
    add(!f.portPath.isEmpty(), "port_path = ?", f.portPath);
    add(f.operation.has_value(), "operation = ?",
        operationName(f.operation.value_or(RecordedOperation::Read)));
    add(f.since.isValid(), "started_at >= ?", recordTimeText(f.since));
    return select(where.join(QLatin1String(" AND ")), values,
                  f.limit > 0 ? QStringLiteral(" LIMIT %1").arg(f.limit) : QString());
}

std::optional<QByteArray> RecordDatabase::image(const QString &sha256)
{
    if (sha256.isEmpty())
        return QByteArray();
    QSqlQuery q(QSqlDatabase::database(connection, false));
    q.prepare(QStringLiteral("SELECT data FROM images WHERE sha256 = ?"));
    q.addBindValue(sha256);
    if (!q.exec() || !q.next()) {
        lastError =
            q.lastError().isValid() ? q.lastError().text() : tr("нет образа %1").arg(sha256);
        return std::nullopt;
    }
    return q.value(0).toByteArray();
}

std::optional<StoredRecord> RecordDatabase::record(const QUuid &id)
{
    const auto list = select(QStringLiteral("id = ?"), {RecordRows::idText(id)}, QString());
    if (!list || list->isEmpty())
        return std::nullopt;
    StoredRecord s = list->first();
    const auto read = image(s.readImageSha256);
    const auto written = image(s.writtenImageSha256);
    if (!read || !written)
        return std::nullopt;
    s.record.readImage = *read;
    s.record.writtenImage = *written;
    return s;
}

std::optional<QList<QUuid>> RecordDatabase::outbox()
{
    QSqlQuery q(QSqlDatabase::database(connection, false));
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT o.id FROM outbox o JOIN records r ON r.id = o.id "
                               "ORDER BY r.started_at, r.id"))) {
        fail(q);
        return std::nullopt;
    }
    QList<QUuid> ids;
    while (q.next())
        ids.append(QUuid::fromString(q.value(0).toString()));
    return ids;
}

bool RecordDatabase::removeFromOutbox(const QUuid &id)
{
    QSqlQuery q(QSqlDatabase::database(connection, false));
    q.prepare(QStringLiteral("DELETE FROM outbox WHERE id = ?"));
    q.addBindValue(RecordRows::idText(id));
    return q.exec() || fail(q);
}

std::optional<RestorePoint> RecordDatabase::lastImage(const QString &serial,
                                                      const QString &portPath, const QString &time,
                                                      const char *comparison)
{
    QString where = QStringLiteral("serial = ? AND started_at %1 ?").arg(QLatin1String(comparison));
    QVariantList values {serial, time};
    if (!portPath.isEmpty()) {
        where += QStringLiteral(" AND port_path = ?");
        values.append(portPath);
    }
    const auto list = select(where, values, QString());
    for (const StoredRecord &s : list.value_or(QList<StoredRecord>())) {
        const QString sha = RecordRows::resultingImage(s);
        if (sha.isEmpty())
            continue;
        const auto bytes = image(sha);
        return bytes ? std::optional(RestorePoint {*bytes, s}) : std::nullopt;
    }
    return std::nullopt;
}

std::optional<RestorePoint> RecordDatabase::imageAt(const QString &serial, const QString &portPath,
                                                    const QDateTime &time)
{
    return lastImage(serial, portPath, recordTimeText(time), "<=");
}

std::optional<RestorePoint> RecordDatabase::imageBeforeLastWrite(const QString &serial,
                                                                 const QString &portPath)
{
    QString where = QStringLiteral("serial = ? AND operation = 'write'");
    QVariantList values {serial};
    if (!portPath.isEmpty()) {
        where += QStringLiteral(" AND port_path = ?");
        values.append(portPath);
    }
    const auto writes = select(where, values, QStringLiteral(" LIMIT 1"));
    if (!writes || writes->isEmpty())
        return std::nullopt;
    const StoredRecord &write = writes->first();
    if (!write.readImageSha256.isEmpty()) {
        const auto bytes = image(write.readImageSha256);
        return bytes ? std::optional(RestorePoint {*bytes, write}) : std::nullopt;
    }
    return lastImage(serial, portPath, recordTimeText(write.record.started), "<");
}
