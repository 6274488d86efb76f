// Configurations kept for recovery, and what the document counts as not saved in a file.

#include "config/document.h"
#include "config/recovery.h"
#include "config/tk440.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

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

    void documentModified()
    {
        ConfigDocument doc;
        QVERIFY(!doc.isModified());
        auto img = std::make_unique<TK440>();
        std::memset(img->b, 7, TK440::Size);
        doc.setImage(std::move(img));
        QVERIFY(doc.isModified()); // set without a file
        doc.markSaved();
        QVERIFY(!doc.isModified());
        doc.workingCopy()->b[TK440::VocOffset] = 1;
        doc.adoptSections(QStringLiteral("Вокодер"));
        QVERIFY(doc.isModified());
        doc.markSaved();
        doc.beginRead();
        QVERIFY(!doc.isModified()); // a read only counts once kept
        QVERIFY(doc.keepRead());
        QVERIFY(doc.isModified());
        doc.closeImage();
        QVERIFY(!doc.isModified());
    }
};

QTEST_GUILESS_MAIN(TstRecovery)
#include "tst_recovery.moc"
