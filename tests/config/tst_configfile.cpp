#include "testsupport.h"

#include "config/configfile.h"
#include "config/crc16.h"
#include "config/image.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace {
TK440 sampleImage(quint16 model)
{
    TK440 image;
    initNewImageIdentity(image, model);
    for (int i = TK440::CheckedOffset; i < TK440::InfoOffset; ++i)
        image.b[i] = quint8(i * 7);
    return image;
}

void writeRaw(const QString &name, const QByteArray &bytes)
{
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray readRaw(const QString &name)
{
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

} // namespace

class TstConfigFile : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(dir.isValid()); }

    void saveThenLoadIsIdentical_data()
    {
        QTest::addColumn<quint16>("model");
        QTest::newRow("K-330RA") << TK440::ModelRA;
        QTest::newRow("K-330RB") << TK440::ModelRB;
    }
    void saveThenLoadIsIdentical()
    {
        QFETCH(quint16, model);
        TK440 image = sampleImage(model);
        const QString name = dir.filePath("a.mcd");
        QCOMPARE(writeConfigFile(name, crc, image), ConfigWriteResult::Ok);

        const QByteArray raw = readRaw(name);
        QCOMPARE(raw.size(), TK440::Size);
        QCOMPARE(QByteArray(image.data(), TK440::Size), raw);
        QVERIFY(isValidStoredImage(crc, raw));

        TK440 loaded;
        QCOMPARE(readConfigFile(name, loaded), ConfigReadResult::Ok);
        QCOMPARE(QByteArray(loaded.data(), TK440::Size), raw);
        QVERIFY(imageChecksumValid(crc, loaded));
    }

    void checksumIsCrc16UsbHighByteFirst()
    {
        TK440 image = sampleImage(TK440::ModelRB);
        const QString name = dir.filePath("crc.mcd");
        QCOMPARE(writeConfigFile(name, crc, image), ConfigWriteResult::Ok);
        const QByteArray raw = readRaw(name);
        // Bitwise CRC-16/USB of bytes 2..401, independent of the table-driven calculator.
        quint16 c = 0xFFFF;
        for (int i = 2; i < raw.size(); ++i) {
            c ^= quint8(raw[i]);
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? quint16((c >> 1) ^ 0xA001) : quint16(c >> 1);
        }
        c = quint16(~c);
        QCOMPARE(quint8(raw[0]), quint8(c >> 8));
        QCOMPARE(quint8(raw[1]), quint8(c & 0xFF));
    }

    void readFailures_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<ConfigReadResult>("expected");
        QTest::newRow("empty") << 0 << ConfigReadResult::WrongSize;
        QTest::newRow("401 bytes") << 401 << ConfigReadResult::WrongSize;
        QTest::newRow("403 bytes") << 403 << ConfigReadResult::WrongSize;
        QTest::newRow("804 bytes") << 804 << ConfigReadResult::WrongSize;
        QTest::newRow("402 bytes") << 402 << ConfigReadResult::Ok;
    }
    void readFailures()
    {
        QFETCH(int, size);
        QFETCH(ConfigReadResult, expected);
        const QString name = dir.filePath("sized.mcd");
        writeRaw(name, QByteArray(size, '\x5A'));
        TK440 image;
        QCOMPARE(readConfigFile(name, image), expected);
    }

    // The bytes of a file become the image only when they are exactly one image; anything
    // else leaves the image as it was, whatever its length.
    void imageFromBytes_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<ConfigReadResult>("expected");
        QTest::newRow("empty") << 0 << ConfigReadResult::WrongSize;
        QTest::newRow("one byte") << 1 << ConfigReadResult::WrongSize;
        QTest::newRow("401 bytes") << 401 << ConfigReadResult::WrongSize;
        QTest::newRow("403 bytes") << 403 << ConfigReadResult::WrongSize;
        QTest::newRow("64 KiB") << 65536 << ConfigReadResult::WrongSize;
        QTest::newRow("402 bytes") << 402 << ConfigReadResult::Ok;
    }
    void imageFromBytes()
    {
        QFETCH(int, size);
        QFETCH(ConfigReadResult, expected);
        QByteArray bytes(size, '\0');
        for (int i = 0; i < size; ++i)
            bytes[i] = char(i * 13 + 1);
        TK440 image;
        std::memset(image.b, 0xA5, sizeof image.b);
        QCOMPARE(::imageFromBytes(bytes, image), expected);
        const QByteArray now(image.data(), TK440::Size);
        QCOMPARE(now, expected == ConfigReadResult::Ok ? bytes : QByteArray(TK440::Size, '\xA5'));
    }

    void unreadableFile_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::newRow("missing") << "missing.mcd";
        QTest::newRow("directory") << "subdir";
    }
    void unreadableFile()
    {
        QFETCH(QString, relative);
        QVERIFY(QDir(dir.path()).mkpath("subdir"));
        TK440 image;
        QCOMPARE(readConfigFile(dir.filePath(relative), image), ConfigReadResult::OpenFailed);
    }

    // The reason a file cannot be used names its model or its checksum.
    void defectNamesTheReason()
    {
        TK440 image = sampleImage(0x2B13);
        storeChecksum(crc, image);
        QVERIFY(configFileDefect("f", crc, ConfigReadResult::Ok, image).contains("0x2b13"));
        image.b[200] ^= 1;
        QVERIFY(configFileDefect("f", crc, ConfigReadResult::Ok, image)
                    .contains(QStringLiteral("0x%1").arg(imageChecksum(crc, image), 0, 16)));
    }

    void everyChangedByteBreaksTheChecksum()
    {
        TK440 image = sampleImage(TK440::ModelRA);
        storeChecksum(crc, image);
        QVERIFY(imageChecksumValid(crc, image));
        for (int i = 0; i < TK440::Size; ++i) {
            TK440 damaged = image;
            damaged.b[i] ^= 0x01;
            if (imageChecksumValid(crc, damaged))
                QFAIL(qPrintable(QStringLiteral("byte %1 changed unnoticed").arg(i)));
        }
    }

    void writeIntoMissingDirectoryLeavesImageAlone()
    {
        TK440 image = sampleImage(TK440::ModelRA);
        image.setWord(TK440::CrcOffset, 0x1234);
        QCOMPARE(writeConfigFile(dir.filePath("no/such/dir/a.mcd"), crc, image),
                 ConfigWriteResult::OpenFailed);
        QCOMPARE(image.word(TK440::CrcOffset), quint16(0x1234));
    }

    void failedWriteKeepsTheOldFile()
    {
        const QString name = dir.filePath("keep.mcd");
        TK440 old = sampleImage(TK440::ModelRA);
        QCOMPARE(writeConfigFile(name, crc, old), ConfigWriteResult::Ok);
        const QByteArray before = readRaw(name);
        const QStringList filesBefore = QDir(dir.path()).entryList(QDir::Files);

        TK440 newer = sampleImage(TK440::ModelRB);
        {
            FileSizeLimit limit(100);
            QVERIFY(limit.ok);
            QCOMPARE(writeConfigFile(name, crc, newer), ConfigWriteResult::WriteFailed);
        }
        QCOMPARE(readRaw(name), before);
        // No temporary file is left behind next to it.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), filesBefore);
    }

private:
    Crc16 crc;
    QTemporaryDir dir;
};

QTEST_GUILESS_MAIN(TstConfigFile)
#include "tst_configfile.moc"
