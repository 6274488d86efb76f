// What recording adds to an operation: the time of one append (a record with two new 402-byte
// images) to the station's SQLite database alone, and with a local PostgreSQL server (a
// throwaway one, fsync on), where the record goes to both; and the time of a history query by
// serial over 100,000 records (1,000 units, 100 records each) in each engine. Prints the
// figures with the machine's load beside them and judges none of them; it fails only when a
// store or query fails.
//
// --quick appends 5 records and queries 2,000: a check that the benchmark still runs, whose
// figures mean nothing.

#include "pgserver.h"
#include "records/recordstore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Figures
{
    double median = 0;
    double p95 = 0;
    double worst = 0;
};

Figures figures(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms[std::min(ms.size() - 1, ms.size() * 95 / 100)], ms.back()};
}

QByteArray randomImage()
{
    QByteArray b(402, '\0');
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32 *>(b.data()), 402 / 4);
    return b;
}

void printLoad(const char *when)
{
    QFile f(QStringLiteral("/proc/loadavg"));
    const QByteArray load = f.open(QIODevice::ReadOnly) ? f.readAll().trimmed() : "?";
    std::printf("load average %s: %s (the machine is shared with other builds and tests)\n", when,
                load.constData());
}

std::optional<Figures> timeAppends(const RecordsConfig &config, int count, RecordPlace expected)
{
    RecordStore store(config);
    std::vector<double> ms;
    for (int i = 0; i < count + 1; ++i) {
        OperationRecord r = startRecord(RecordedOperation::Write);
        r.serial = QStringLiteral("U%1").arg(i);
        r.readImage = randomImage();
        r.writtenImage = randomImage();
        finishRecord(r);
        QElapsedTimer clock;
        clock.start();
        if (store.append(r) != expected)
            return std::nullopt;
        if (i > 0) // the first one also opens the databases
            ms.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    return figures(ms);
}

// Fills the database with `rows` records of 1,000 units in one statement of the engine's
// dialect, then times the history of one unit.
std::optional<Figures> timeHistory(const RecordsConfig &config, int rows)
{
    RecordStore store(config);
    OperationRecord seed = startRecord(RecordedOperation::Read);
    seed.readImage = randomImage();
    if (store.append(seed) == RecordPlace::Fallback)
        return std::nullopt;
    const bool sqlite = config.serverUrl.isEmpty();
    const QString rowsSql = sqlite
        ? QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                         "WHERE i < %1) INSERT INTO records SELECT 'bench-' || i, "
                         "strftime('%Y-%m-%dT%H:%M:%fZ', '2024-01-01', '+' || i || ' seconds'), "
                         "started_at, station, operator, program_version, port_path, model, "
                         "'U' || (i % 1000), cpu_id, firmware_version, operation, mode, file_name, "
                         "file_sha256, result, differing_bytes, message, duration_ms, "
                         "read_image_sha256, written_image_sha256 FROM records, n")
        : QStringLiteral("INSERT INTO records SELECT 'bench-' || i, to_char(timestamp "
                         "'2024-01-01' + i * interval '1 second', "
                         "'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"'), started_at, station, operator, "
                         "program_version, port_path, model, 'U' || (i % 1000), cpu_id, "
                         "firmware_version, operation, mode, file_name, file_sha256, result, "
                         "differing_bytes, message, duration_ms, read_image_sha256, "
                         "written_image_sha256 FROM records, generate_series(0, %1) AS i");
    QString error;
    const auto address = RecordsSettings::parseServerUrl(config.serverUrl, &error);
    bool filled = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(sqlite ? "QSQLITE" : "QPSQL", "bench");
        db.setDatabaseName(sqlite ? config.localPath : address->database);
        if (!sqlite) {
            db.setHostName(address->host);
            db.setPort(address->port);
            db.setUserName(address->user);
        }
        QSqlQuery q(db);
        filled = db.open() && q.exec(rowsSql.arg(rows - 1)) && q.exec("ANALYZE");
        if (!filled)
            std::fprintf(stderr, "%s\n", qPrintable(q.lastError().text() + db.lastError().text()));
    }
    QSqlDatabase::removeDatabase("bench");
    std::vector<double> ms;
    for (int i = 0; filled && i < 21; ++i) {
        QElapsedTimer clock;
        clock.start();
        const auto list = store.history({QStringLiteral("U%1").arg(i * 37 % 1000)});
        if (!list || list->size() != rows / 1000)
            return std::nullopt;
        ms.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    return filled ? std::optional(figures(ms)) : std::nullopt;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));
    const int appends = quick ? 5 : 300;
    const int rows = quick ? 2000 : 100000;
    if (quick)
        std::printf("quick run: the figures mean nothing\n");
    PgServer pg;
    QTemporaryDir dir;
    if (!pg.start({}, true)
        || !pg.exec({QStringLiteral("CREATE DATABASE appends"),
                     QStringLiteral("CREATE DATABASE history")})) {
        std::fprintf(stderr, "PostgreSQL: %s\n", qPrintable(pg.error()));
        return 1;
    }
    auto config = [&dir](const QString &name, const QString &url) {
        RecordsConfig c;
        c.localPath = dir.filePath(name + QStringLiteral("/records.sqlite"));
        c.serverUrl = url;
        return c;
    };
    printLoad("before");
    std::printf("%-44s %9s %9s %9s\n", "ms", "median", "p95", "worst");
    const struct
    {
        const char *what;
        std::optional<Figures> f;
    } results[] = {
        {"append, SQLite", timeAppends(config("a", {}), appends, RecordPlace::Station)},
        {"append, SQLite and local PostgreSQL",
         timeAppends(config("b", pg.url("appends")), appends, RecordPlace::Server)},
        {"history --serial, SQLite", timeHistory(config("c", {}), rows)},
        {"history --serial, PostgreSQL", timeHistory(config("d", pg.url("history")), rows)},
    };
    int status = 0;
    for (const auto &r : results) {
        if (!r.f) {
            std::printf("%-44s failed\n", r.what);
            status = 1;
            continue;
        }
        std::printf("%-44s %9.2f %9.2f %9.2f\n", r.what, r.f->median, r.f->p95, r.f->worst);
    }
    std::printf("(appends: %d records with two new 402-byte images; history: %d records of 1000 "
                "units)\n",
                appends, rows);
    printLoad("after");
    return status;
}
