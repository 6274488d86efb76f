// The scripted controller the fuzz targets talk to, and every fuzz target on its stored inputs and
// on the inputs next to them: the seeds are accepted (they are valid files and replies), and every
// cut and every single changed byte of a seed keeps each target's properties (a broken property
// aborts the run). The regression inputs in the corpus run as they are.

#include "fuzz/scriptlink.h"
#include "fuzz/targets.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTest>

class TstFuzzSeeds : public QObject
{
    Q_OBJECT

    static fuzzing::Outcome run(const fuzzing::Target &t, const QByteArray &bytes)
    {
        return t.run(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    }

private Q_SLOTS:
    void initTestCase() { QLoggingCategory::setFilterRules(QStringLiteral("k330.*=false")); }

    // The scripted controller answers each read as its record says, the way a transfer ends on
    // the bus: the bytes sent, an overflow when more came than asked for, the error, and a
    // time-out once nothing is left.
    void scriptedReads_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<int>("asked");
        QTest::addColumn<QList<int>>("results");
        QTest::addColumn<QByteArray>("lastBytes");
        QTest::newRow("two replies") << QByteArray("\x00\x02"
                                                   "ab\x00\x01"
                                                   "c",
                                                   7)
                                     << 4 << QList<int> {2, 1, -110} << QByteArray("c");
        QTest::newRow("empty reply")
            << QByteArray("\x00\x00", 2) << 4 << QList<int> {0, -110} << QByteArray();
        QTest::newRow("more than asked") << QByteArray("\x00\x03xyz\x00\x02uv", 9) << 2
                                         << QList<int> {-75, 2} << QByteArray("uv");
        QTest::newRow("errors") << QByteArray("\x80\x05\x80\x06\x80\x6e", 6) << 8
                                << QList<int> {-5, -6, -110, -110} << QByteArray();
        QTest::newRow("script ends inside a reply")
            << QByteArray("\x00\x09"
                          "abc",
                          5)
            << 16 << QList<int> {3, -110} << QByteArray("abc");
        QTest::newRow("half a header")
            << QByteArray("\x00", 1) << 16 << QList<int> {-110} << QByteArray();
    }
    void scriptedReads()
    {
        QFETCH(QByteArray, script);
        QFETCH(int, asked);
        QFETCH(QList<int>, results);
        QFETCH(QByteArray, lastBytes);
        fuzzing::ScriptLink link(reinterpret_cast<const uint8_t *>(script.constData()),
                                 size_t(script.size()));
        QByteArray last;
        for (int expected : results) {
            QByteArray buffer(asked, '\0');
            const int n = link.read(0x81, buffer.data(), asked);
            QCOMPARE(n, expected);
            if (n > 0)
                last = buffer.left(n);
        }
        QCOMPARE(last, lastBytes);
        QVERIFY(link.exhausted());
        // What the corpus generator writes is read back as it was recorded.
        fuzzing::ScriptWriter w;
        w.reply(QByteArray("abc")).error(-75).result(0, nullptr);
        fuzzing::ScriptLink back(reinterpret_cast<const uint8_t *>(w.bytes().constData()),
                                 size_t(w.bytes().size()));
        char buffer[8];
        QCOMPARE(back.read(0x81, buffer, 8), 3);
        QCOMPARE(back.read(0x81, buffer, 8), -75);
        QCOMPARE(back.read(0x81, buffer, 8), 0);
        QCOMPARE(back.read(0x81, buffer, 8), -110);
    }

    void inputs_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("file");
        for (const fuzzing::Target &t : fuzzing::targets()) {
            const QDir dir(QStringLiteral(K330_FUZZ_CORPUS "/") + QLatin1String(t.name));
            const QStringList files = dir.entryList(QDir::Files, QDir::Name);
            if (files.filter(QRegularExpression(QStringLiteral("^seed-"))).isEmpty())
                QTest::addRow("%s: no seed", t.name) << t.name << QString();
            for (const QString &f : files)
                QTest::addRow("%s/%s", t.name, qPrintable(f)) << t.name << dir.filePath(f);
        }
    }
    void inputs()
    {
        QFETCH(QString, target);
        QFETCH(QString, file);
        QVERIFY2(!file.isEmpty(), "the target has no seed");
        const fuzzing::Target *t = fuzzing::findTarget(target);
        QVERIFY(t);
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        const fuzzing::Outcome outcome = run(*t, bytes);
        if (!QFileInfo(file).fileName().startsWith(QLatin1String("seed-")))
            return; // a regression input: it must only run through
        QCOMPARE(outcome, fuzzing::Outcome::Accepted);
        // Running twice gives the same outcome: a target keeps no state between inputs.
        QCOMPARE(run(*t, bytes), outcome);
        for (qsizetype n = 0; n < bytes.size(); ++n)
            run(*t, bytes.left(n));
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            QByteArray changed = bytes;
            changed[i] = char(~changed[i]);
            run(*t, changed);
        }
    }
};

QTEST_GUILESS_MAIN(TstFuzzSeeds)
#include "tst_fuzzseeds.moc"
