// The record store against a PostgreSQL server of the test's own: the server stopped in the
// middle of a batch, a refused password and a newer schema on the server, and on both engines
// the same records stored field by field, the history and the restore queries.

#include "pgserver.h"
#include "records/recorder.h"
#include "records/recordstore.h"
#include "recordsamples.h"

#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray imageA = QByteArray(402, 'A');
const QByteArray imageB = QByteArray(402, 'B');
const QByteArray imageC = QByteArray(402, 'C');
const QByteArray imageD = QByteArray(402, 'D');
const char *const rightPassword = "right-secret";

} // namespace

class TestRecordServer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void serverStoppedMidBatch();
    void serverFaults_data();
    void serverFaults();
    void queries_data();
    void queries();
    void recorderSendsWhenServerReturns();
    void recorderSwitchesServer();

private:
    QString newDatabase();
    RecordsConfig config(const QString &serverUrl);

    PgServer pg;
    QTemporaryDir dir;
    int count = 0;
};

void TestRecordServer::initTestCase()
{
    QVERIFY2(pg.start({"local all keeper scram-sha-256"}), qPrintable(pg.error()));
    QVERIFY2(pg.exec({QString("CREATE ROLE keeper LOGIN PASSWORD '%1'").arg(rightPassword)}),
             qPrintable(pg.error()));
}

QString TestRecordServer::newDatabase()
{
    const QString name = QString("records%1").arg(++count);
    return pg.exec({"CREATE DATABASE " + name + " OWNER keeper"}) ? name : pg.error();
}

RecordsConfig TestRecordServer::config(const QString &serverUrl)
{
    return {dir.filePath(QString("station%1/records.sqlite").arg(++count)), serverUrl, dir.path(),
            0};
}

void TestRecordServer::serverStoppedMidBatch()
{
    const QString database = newDatabase();
    const RecordsConfig c = config(pg.url(database));
    QStringList notices;
    RecordStore store(c, [&notices](const QString &text) { notices.append(text); });
    QStringList ids;
    for (int i = 0; i < 50; ++i) {
        if (i == 20)
            QVERIFY2(pg.stop(), qPrintable(pg.error()));
        if (i == 35)
            QVERIFY2(pg.start(), qPrintable(pg.error()));
        const OperationRecord r = sampleRecord(RecordedOperation::Write, "B", i, imageA, imageB);
        ids.append(r.id.toString(QUuid::WithoutBraces));
        const RecordPlace expected = i >= 20 && i < 35 ? RecordPlace::Outbox : RecordPlace::Server;
        QCOMPARE(store.append(r), expected);
    }
    QCOMPARE(notices.size(), 2);
    QVERIFY2(notices[0].contains("недоступен") && notices[1].contains("снова доступен"),
             qPrintable(notices.join('\n')));
    // A record sent whose removal from the outbox was lost goes again, and stays one.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "outbox");
        db.setDatabaseName(c.localPath);
        QVERIFY(db.open() && QSqlQuery(db).exec("INSERT INTO outbox SELECT id FROM records"));
    }
    QSqlDatabase::removeDatabase("outbox");
    QCOMPARE(store.forward(), 50);
    QVariant value; // every id once
    QVERIFY(pg.exec({"SELECT string_agg(id, ' ' ORDER BY id) FROM records"}, database, &value));
    ids.sort();
    QCOMPARE(value.toString(), ids.join(' '));
}

void TestRecordServer::serverFaults_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    QTest::newRow("refused password") << "password"
                                      << "password authentication failed";
    QTest::newRow("newer schema") << "newer"
                                  << "более новой версией программы (схема 99";
    QTest::newRow("password in URL") << "url"
                                     << "~/.pgpass";
}

void TestRecordServer::serverFaults()
{
    QFETCH(QString, fault);
    QFETCH(QString, message);
    const QString database = newDatabase();
    QString url = pg.url(database, "keeper");
    if (fault == "url")
        url.replace("keeper@", QStringLiteral("keeper:%1@").arg(rightPassword));
    if (fault == "newer")
        QVERIFY(pg.exec({"CREATE TABLE schema_version (version INTEGER)",
                         "INSERT INTO schema_version VALUES (99)",
                         "ALTER TABLE schema_version OWNER TO keeper"},
                        database));
    qputenv("PGPASSWORD", fault == "password" ? "wrong-secret" : rightPassword);
    QStringList notices;
    RecordStore store(config(url), [&notices](const QString &text) { notices.append(text); });
    const OperationRecord r = sampleRecord(RecordedOperation::Read, "F", 0, imageA);
    QCOMPARE(store.append(r), RecordPlace::Outbox);
    QCOMPARE(store.append(sampleRecord(RecordedOperation::Read, "F", 1)), RecordPlace::Outbox);
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices[0].contains(message), qPrintable(notices[0]));
    QVERIFY2(!notices[0].contains("secret"), qPrintable(notices[0]));
    QVERIFY(store.waiting());
    QVariant value;
    QVERIFY(pg.exec({"SELECT to_regclass('records') IS NULL"}, database, &value));
    QVERIFY(value.toBool()); // nothing written to the server
    if (fault == "password") { // the password from PGPASSWORD, once right, lets them through
        qputenv("PGPASSWORD", rightPassword);
        QCOMPARE(store.forward(), 2);
        QVERIFY(pg.exec({"SELECT COUNT(*) FROM records"}, database, &value) && value == 2);
    }
    qunsetenv("PGPASSWORD");
}

void TestRecordServer::queries_data()
{
    QTest::addColumn<bool>("server");
    QTest::newRow("SQLite") << false;
    QTest::newRow("PostgreSQL") << true;
}

void TestRecordServer::queries()
{
    QFETCH(bool, server);
    const RecordsConfig c = config(server ? pg.url(newDatabase()) : QString());
    RecordStore store(c);
    using Op = RecordedOperation;
    QList<OperationRecord> r {
        sampleRecord(Op::Read, "S1", 0, imageA), // 0
        sampleRecord(Op::Write, "S1", 1, {}, imageB), // 1
        sampleRecord(Op::Read, "S2", 2, imageC), // 2
        sampleRecord(Op::Write, "S1", 3, {}, imageC), // 3: failed
        sampleRecord(Op::Verify, "S1", 4, imageD), // 4: differs
        sampleRecord(Op::LoadFirmware, "S1", 5), // 5: failed
        sampleRecord(Op::Write, "S1", 6, imageD, imageA), // 6: read first
    };
    r[2].portPath = "usb:2-1";
    r[3].outcome = r[5].outcome = RecordedOutcome::Failed;
    r[4].outcome = RecordedOutcome::Differs;
    r[4].differingBytes = 17;
    r[5].message = "Ошибка \"записи\",\nномер −5; 'кавычки' \\ обратная черта";
    RecordDatabase db;
    QString error;
    for (const OperationRecord &record : r)
        QCOMPARE(store.append(record), server ? RecordPlace::Server : RecordPlace::Station);
    QCOMPARE(server ? db.openServer(*RecordsSettings::parseServerUrl(c.serverUrl, &error))
                    : db.openFile(c.localPath),
             OpenResult::Open);
    for (const OperationRecord &record : r)
        QVERIFY(sameRecord(db.record(record.id).value().record, record));
    const QDateTime t0 = r[0].started;
    const struct
    {
        HistoryFilter filter;
        QList<int> expected;
    } histories[] = {
        {{"S1"}, {6, 5, 4, 3, 1, 0}},
        {{"S1", {}, Op::Write}, {6, 3, 1}},
        {{{}, {}, {}, t0.addSecs(4 * 60)}, {6, 5, 4}},
        {{{}, "usb:2-1"}, {2}},
        {{{}, {}, {}, {}, 2}, {6, 5}},
    };
    for (const auto &h : histories) {
        QList<int> got;
        for (const StoredRecord &s : store.history(h.filter).value_or(QList<StoredRecord>()))
            got.append(std::find_if(r.begin(), r.end(),
                                    [&s](const auto &x) { return x.id == s.record.id; })
                       - r.begin());
        QCOMPARE(got, h.expected);
    }
    const auto at = [&](int minutes) {
        return store.imageAt("S1", {}, t0.addSecs(minutes * 60));
    };
    QVERIFY(!at(-1));
    QCOMPARE(at(0)->image, imageA);
    QCOMPARE(at(3)->image, imageB); // the failed write is passed over
    QCOMPARE(at(5)->image, imageD); // the differing contents read; the firmware load passed over
    QCOMPARE(at(5)->source.record.id, r[4].id);
    QCOMPARE(at(6)->image, imageA);
    QCOMPARE(store.imageBeforeLastWrite("S1", {})->image, imageD); // what the last write read
    QCOMPARE(store.imageBeforeLastWrite("S1", "usb:2-1").has_value(), false);
    QVERIFY(store.append(sampleRecord(Op::Write, "S2", 7, {}, imageD)) != RecordPlace::Fallback);
    QCOMPARE(store.imageBeforeLastWrite("S2", {})->image, imageC); // held before the write
}

void TestRecordServer::recorderSendsWhenServerReturns()
{
    const QString database = newDatabase();
    QVERIFY2(pg.stop(), qPrintable(pg.error()));
    auto recorder = std::make_unique<Recorder>(config(pg.url(database)));
    QSignalSpy stored(recorder.get(), &Recorder::stored);
    QSignalSpy notices(recorder.get(), &Recorder::notice);
    QStringList newestFirst;
    auto submit = [&](int i) {
        const OperationRecord r = sampleRecord(RecordedOperation::Verify, "R", i, imageC);
        newestFirst.prepend(r.id.toString(QUuid::WithoutBraces));
        recorder->submit(r);
    };
    for (int i = 0; i < 20; ++i)
        submit(i);
    QTRY_VERIFY(!stored.isEmpty());
    QCOMPARE(stored[0][1].value<RecordPlace>(), RecordPlace::Outbox);
    QVERIFY2(pg.start(), qPrintable(pg.error()));
    // Nothing else is submitted: the recorder's own retry sends them.
    QVariant value;
    QTRY_VERIFY_WITH_TIMEOUT(
        pg.exec({"SELECT COUNT(*) FROM records"}, database, &value) && value == 20, 10000);
    QCOMPARE(notices.count(), 2);
    QVERIFY(notices[1][0].toString().contains("снова доступен"));
    submit(20);
    recorder.reset(); // stores the last one before it returns
    QVERIFY(pg.exec({"SELECT string_agg(id, ' ' ORDER BY started_at DESC) FROM records"}, database,
                    &value));
    QCOMPARE(value.toString(), newestFirst.join(' '));
}

// Switched to another server while records wait in the outbox for one that never answers: the
// waiting records and the new ones reach the new server, none is lost or sent twice.
void TestRecordServer::recorderSwitchesServer()
{
    const QString database = newDatabase();
    RecordsConfig c = config("postgresql://keeper@/none?host=" + dir.filePath("nosocket"));
    c.retrySeconds = 600;
    auto recorder = std::make_unique<Recorder>(c);
    QSignalSpy stored(recorder.get(), &Recorder::stored);
    for (int i = 0; i < 3; ++i)
        recorder->submit(sampleRecord(RecordedOperation::Read, "W", i));
    QTRY_COMPARE(stored.count(), 3);
    QCOMPARE(stored[2][1].value<RecordPlace>(), RecordPlace::Outbox);
    c.serverUrl = pg.url(database);
    recorder->reconfigure(c);
    recorder->submit(sampleRecord(RecordedOperation::Read, "W", 3));
    QTRY_COMPARE(stored.count(), 4);
    QCOMPARE(stored[3][1].value<RecordPlace>(), RecordPlace::Server);
    recorder.reset();
    QVariant value;
    QVERIFY(pg.exec({"SELECT COUNT(*) FROM records"}, database, &value));
    QCOMPARE(value.toInt(), 4);
}

QTEST_GUILESS_MAIN(TestRecordServer)
#include "tst_recordserver.moc"
