// Every fuzz target on its stored inputs and on the inputs next to them: the seeds are
// accepted (they are valid files and replies), and every cut and every single changed byte of
// a seed keeps each target's properties (a broken property aborts the run). The regression
// inputs in the corpus run as they are.

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
