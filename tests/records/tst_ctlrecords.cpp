// k330ctl's records end to end: one write kept alike in the station's SQLite file and on a
// PostgreSQL server of the test's own, found by history on either and diffed by its id.

#include "pgserver.h"
#include "records/recorddatabase.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestCtlRecords : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void writeKeptAlikeOnBothEngines();

private:
    int ctl(const QStringList &args, QByteArray *out = nullptr);
    std::optional<QList<StoredRecord>> stored(RecordDatabase &db, OpenResult opened);

    PgServer pg;
    QTemporaryDir dir;
};

void TestCtlRecords::initTestCase()
{
    QVERIFY2(pg.start(), qPrintable(pg.error()));
    QVERIFY2(pg.exec({"CREATE DATABASE line"}), qPrintable(pg.error()));
}

int TestCtlRecords::ctl(const QStringList &args, QByteArray *out)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", dir.filePath("data"));
    env.insert("LC_ALL", "C.UTF-8");
    env.remove("K330_RECORDS");
    p.setProcessEnvironment(env);
    p.start(qEnvironmentVariable("K330CTL"), args);
    if (!p.waitForFinished(60000))
        return -1;
    if (out)
        *out = p.readAllStandardOutput();
    return p.exitCode();
}

std::optional<QList<StoredRecord>> TestCtlRecords::stored(RecordDatabase &db, OpenResult opened)
{
    if (opened != OpenResult::Open)
        return std::nullopt;
    auto list = db.history({});
    if (list && list->size() == 1)
        list->first() = *db.record(list->first().record.id);
    return list;
}

void TestCtlRecords::writeKeptAlikeOnBothEngines()
{
    const QString file = dir.filePath("a.mcd");
    const QString state = dir.filePath("state");
    const QString url = pg.url("line");
    QCOMPARE(ctl({"new", "--model", "RB", "-o", file}), 0);
    QCOMPARE(ctl({"write", "--simulate", "--sim-model", "RB", "--sim-state", state, "--records",
                  url, file}),
             0);

    RecordDatabase local;
    RecordDatabase server;
    QString error;
    const auto onStation =
        stored(local, local.openFile(dir.filePath("data/OOO VELK/Terminal K-330S/records.sqlite")));
    const auto onServer =
        stored(server, server.openServer(*RecordsSettings::parseServerUrl(url, &error)));
    QVERIFY(onStation && onServer);
    QCOMPARE(onStation->size(), 1);
    QCOMPARE(onServer->size(), 1);
    const OperationRecord &r = onStation->first().record;
    QVERIFY(r == onServer->first().record);
    QCOMPARE(r.operation, RecordedOperation::Write);
    QCOMPARE(r.outcome, RecordedOutcome::Verified);
    QCOMPARE(r.readImage.size(), 402); // the backup
    QVERIFY(!r.serial.isEmpty());

    // history finds it on the server and on the station alike; diff takes it for a file.
    for (const QStringList &where : {QStringList {"--records", url}, QStringList {}}) {
        QByteArray out;
        QCOMPARE(ctl(QStringList {"history", "--json", "--serial", r.serial} + where, &out), 0);
        const QJsonArray list = QJsonDocument::fromJson(out).array();
        QCOMPARE(list.size(), 1);
        QCOMPARE(list.first().toObject().value("id").toString(),
                 r.id.toString(QUuid::WithoutBraces));
        QCOMPARE(ctl(QStringList {"diff", "record:" + r.id.toString(QUuid::WithoutBraces), file}
                     + where),
                 0);
    }
}

QTEST_GUILESS_MAIN(TestCtlRecords)
#include "tst_ctlrecords.moc"
