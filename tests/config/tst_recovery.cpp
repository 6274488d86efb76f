// Configurations kept for recovery: written, listed newest first, pruned, damaged ones left out.

#include "config/recovery.h"
#include "config/tk440.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TstRecovery : public QObject
{
    Q_OBJECT

private:
    static QByteArray image(quint8 fill, quint16 model = TK440::ModelRB)
    {
        QByteArray b(TK440::Size, char(fill));
        b[TK440::ModelOffset] = char(model & 0xFF);
        b[TK440::ModelOffset + 1] = char(model >> 8);
        return b;
    }

private Q_SLOTS:
    void keptNewestFirstAndPruned()
    {
        QTemporaryDir tmp;
        RecoveryStore store(tmp.filePath(QStringLiteral("a/recovery")));
        const QDateTime t0(QDate(2026, 5, 1), QTime(10, 0));
        // Same second twice: each entry gets a name of its own.
        for (int i = 0; i < RecoveryStore::MaxEntries + 3; ++i) {
            const QString path = store.keep(image(quint8(i)), QStringLiteral("/x/f%1.mcd").arg(i),
                                            t0.addMSecs(i / 2 * 1000));
            QVERIFY2(QFile::exists(path), qPrintable(path));
        }
        const QList<RecoveryEntry> all = store.entries();
        QCOMPARE(all.size(), RecoveryStore::MaxEntries);
        QCOMPARE(all.first().fileName + all.last().fileName, QStringLiteral("/x/f22.mcd/x/f3.mcd"));
        QCOMPARE(all.first().model, TK440::ModelRB);
        QCOMPARE(store.image(all.first().id), image(22));
        // Exactly two files per entry: the dropped ones left nothing behind.
        QCOMPARE(QDir(store.folder()).entryList(QDir::Files).size(), 2 * RecoveryStore::MaxEntries);
    }

    void damagedEntriesAreNotListed()
    {
        QTemporaryDir tmp;
        RecoveryStore store(tmp.path());
        const QString kept = store.keep(image(1), QString());
        QVERIFY(!kept.isEmpty());
        QCOMPARE(store.entries().value(0).fileName, QString());
        QVERIFY(store.keep(QByteArray(10, 'x'), QString()).isEmpty());
        const QString id = store.entries().value(0).id;
        QFile f(kept);
        QVERIFY(f.open(QIODevice::Append) && f.write("!") == 1);
        f.close();
        QVERIFY(store.entries().isEmpty());
        QVERIFY(store.image(id).isEmpty());
        // A folder that cannot be made keeps nothing.
        QVERIFY(RecoveryStore(kept + "/r").keep(image(2), QString()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TstRecovery)
#include "tst_recovery.moc"
