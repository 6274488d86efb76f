#include "records/recordschema.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace {

// Step n brings a database from version n to n + 1. %BLOB% is the engine's byte-string type;
// every other type name means the same in both engines.
const char *const steps[][8] = {
    {
        "CREATE TABLE schema_version (version INTEGER NOT NULL)",
        "CREATE TABLE images (sha256 TEXT PRIMARY KEY, data %BLOB% NOT NULL)",
        "CREATE TABLE records ("
        " id TEXT PRIMARY KEY, started_at TEXT NOT NULL, ended_at TEXT NOT NULL,"
        " station TEXT NOT NULL, operator TEXT NOT NULL, program_version TEXT NOT NULL,"
        " port_path TEXT NOT NULL, model INTEGER NOT NULL, serial TEXT NOT NULL,"
        " cpu_id INTEGER NOT NULL, firmware_version TEXT NOT NULL,"
        " operation TEXT NOT NULL, mode TEXT NOT NULL, file_name TEXT NOT NULL,"
        " file_sha256 TEXT NOT NULL, result TEXT NOT NULL, differing_bytes INTEGER NOT NULL,"
        " message TEXT NOT NULL, duration_ms BIGINT NOT NULL,"
        " read_image_sha256 TEXT, written_image_sha256 TEXT)",
        "CREATE INDEX records_serial_time ON records (serial, started_at)",
        "CREATE INDEX records_port_time ON records (port_path, started_at)",
        "CREATE INDEX records_time ON records (started_at)",
        // Records of this station not yet on the server (used in the station's database only).
        "CREATE TABLE outbox (id TEXT PRIMARY KEY)",
        "INSERT INTO schema_version (version) VALUES (0)",
    },
};
static_assert(std::size(steps) == RecordSchema::Version);

bool run(QSqlDatabase &db, const QString &sql, QString *error)
{
    QSqlQuery q(db);
    if (q.exec(sql))
        return true;
    *error = q.lastError().text();
    return false;
}

// Takes the lock that keeps two programs from creating or migrating the schema at once; it is
// released with the transaction.
bool lockSchema(QSqlDatabase &db, RecordEngine engine, QString *error)
{
    if (engine == RecordEngine::SQLite)
        return run(db, QStringLiteral("BEGIN IMMEDIATE"), error);
    return run(db, QStringLiteral("BEGIN"), error)
        && run(db, QStringLiteral("SELECT pg_advisory_xact_lock(330440)"), error);
}

} // namespace

int RecordSchema::versionOf(QSqlDatabase &db, QString *error)
{
    if (!db.tables().contains(QStringLiteral("schema_version")))
        return 0;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) || !q.next()) {
        if (error)
            *error = q.lastError().text();
        return -1;
    }
    return q.value(0).toInt();
}

SchemaResult RecordSchema::prepare(QSqlDatabase &db, RecordEngine engine, int *found,
                                   QString *error)
{
    if (*found > Version)
        return SchemaResult::Newer;
    if (!lockSchema(db, engine, error))
        return SchemaResult::Failed;
    *found = versionOf(db, error);
    if (*found > Version || *found < 0) {
        QString ignored;
        run(db, QStringLiteral("ROLLBACK"), &ignored);
        return *found > Version ? SchemaResult::Newer : SchemaResult::Failed;
    }
    const QString blob =
        engine == RecordEngine::SQLite ? QStringLiteral("BLOB") : QStringLiteral("BYTEA");
    for (int step = *found; step < Version; ++step) {
        for (const char *statement : steps[step]) {
            if (!statement)
                break;
            const QString sql =
                QString::fromLatin1(statement).replace(QLatin1String("%BLOB%"), blob);
            if (!run(db, sql, error)) {
                QString ignored;
                run(db, QStringLiteral("ROLLBACK"), &ignored);
                return SchemaResult::Failed;
            }
        }
    }
    QSqlQuery q(db);
    q.prepare(QStringLiteral("UPDATE schema_version SET version = ?"));
    q.addBindValue(Version);
    if (!q.exec() || !run(db, QStringLiteral("COMMIT"), error)) {
        if (error->isEmpty())
            *error = q.lastError().text();
        QString ignored;
        run(db, QStringLiteral("ROLLBACK"), &ignored);
        return SchemaResult::Failed;
    }
    return SchemaResult::Ready;
}
