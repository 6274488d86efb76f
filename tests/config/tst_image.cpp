#include "config/crc16.h"
#include "config/image.h"
#include "config/sections.h"

#include <QTest>

#include <cstring>

class TstImage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void crcKnownValues_data();
    void crcKnownValues();
    void crcTableMatchesBitwiseReference();
    void swap_data();
    void swap();
    void swapInPlace();
    void storedImageValidity_data();
    void storedImageValidity();
    void newImageIdentity_data();
    void newImageIdentity();
    void modelNames_data();
    void modelNames();
    void sectionsCoverConfigurationArea();
};

void TstImage::crcKnownValues_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("expected");
    QTest::newRow("abc") << QByteArray("abc") << 0xB6A8;
    // CRC-16/USB check value of "123456789" is 0xB4C8, delivered exchanged.
    QTest::newRow("check string") << QByteArray("123456789") << 0xC8B4;
    QTest::newRow("empty") << QByteArray() << 0;
}

void TstImage::crcKnownValues()
{
    QFETCH(QByteArray, input);
    QFETCH(int, expected);
    Crc16 crc;
    QCOMPARE(int(crc.compute(input.constData(), input.size())), expected);
}

// Bitwise CRC-16/USB, byte-exchanged, as an independent reference for every byte value.
static quint16 referenceCrc(const QByteArray &bytes)
{
    quint16 c = 0xFFFF;
    for (char ch : bytes) {
        c ^= quint8(ch);
        for (int i = 0; i < 8; ++i)
            c = (c & 1) ? quint16((c >> 1) ^ 0xA001) : quint16(c >> 1);
    }
    c = quint16(~c);
    return quint16((c << 8) | (c >> 8));
}

void TstImage::crcTableMatchesBitwiseReference()
{
    Crc16 crc;
    QByteArray all;
    for (int i = 0; i < 256; ++i) {
        const QByteArray one(1, char(i));
        QCOMPARE(crc.compute(one.constData(), 1), referenceCrc(one));
        all.append(char(255 - i)).append(char(i));
    }
    QCOMPARE(crc.compute(all.constData(), all.size()), referenceCrc(all));
}

void TstImage::swap_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("two words") << QByteArray("\x01\x02\x03\x04", 4)
                               << QByteArray("\x02\x01\x04\x03", 4);
    QTest::newRow("odd last byte untouched")
        << QByteArray("\x01\x02\x03", 3) << QByteArray("\x02\x01\x03", 3);
    QTest::newRow("single byte") << QByteArray("\x07", 1) << QByteArray("\x07", 1);
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TstImage::swap()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    // Separate ranges: the destination's odd last byte keeps what it had.
    QByteArray out(input.size(), '\xEE');
    swapBytes(input.constData(), out.data(), int(input.size()));
    for (int i = 0; i < input.size() - (input.size() % 2); ++i)
        QCOMPARE(out.at(i), expected.at(i));
    if (input.size() % 2)
        QCOMPARE(out.back(), '\xEE');
}

void TstImage::swapInPlace()
{
    QByteArray data("\x01\x02\x03\x04\x05", 5);
    swapBytes(data.constData(), data.data(), int(data.size()));
    QCOMPARE(data, QByteArray("\x02\x01\x04\x03\x05", 5));
}

void TstImage::storedImageValidity_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("flipOffset"); // -1: none
    QTest::addColumn<bool>("valid");
    QTest::newRow("intact") << 402 << -1 << true;
    QTest::newRow("401 bytes") << 401 << -1 << false;
    QTest::newRow("403 bytes") << 403 << -1 << false;
    QTest::newRow("byte 2 changed") << 402 << 2 << false;
    QTest::newRow("byte 401 changed") << 402 << 401 << false;
    QTest::newRow("byte 200 changed") << 402 << 200 << false;
    QTest::newRow("checksum low byte changed") << 402 << 0 << false;
    QTest::newRow("checksum high byte changed") << 402 << 1 << false;
}

void TstImage::storedImageValidity()
{
    QFETCH(int, size);
    QFETCH(int, flipOffset);
    QFETCH(bool, valid);
    Crc16 crc;
    TK440 image;
    initNewImageIdentity(image, TK440::ModelRB);
    for (int i = 2; i < 388; ++i)
        image.b[i] = quint8(i * 7);
    storeChecksum(crc, image);
    QByteArray bytes(image.data(), TK440::Size);
    if (size < bytes.size())
        bytes.truncate(size);
    while (bytes.size() < size)
        bytes.append('\0');
    if (flipOffset >= 0)
        bytes[flipOffset] = char(bytes[flipOffset] ^ 0x01);
    QCOMPARE(isValidStoredImage(crc, bytes), valid);
}

void TstImage::newImageIdentity_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QByteArray>("identity");
    QTest::newRow("RA") << int(TK440::ModelRA) << QByteArray("\x00\x03\x01\x02", 4);
    QTest::newRow("RB") << int(TK440::ModelRB) << QByteArray("\x01\x03\x01\x02", 4);
}

void TstImage::newImageIdentity()
{
    QFETCH(int, model);
    QFETCH(QByteArray, identity);
    TK440 image;
    std::memset(image.b, 0xAA, sizeof image.b);
    initNewImageIdentity(image, quint16(model));
    QCOMPARE(QByteArray(image.data() + TK440::ModelOffset, 4), identity);
    for (int i = 0; i < TK440::Size; ++i) {
        if (i < TK440::ModelOffset || i >= TK440::ModelOffset + 4)
            QVERIFY2(image.b[i] == 0, qPrintable(QString::number(i)));
    }
    QCOMPARE(image.model(), quint16(model));
}

void TstImage::modelNames_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<QString>("name");
    QTest::newRow("RA") << 0x0300 << "K-330RA";
    QTest::newRow("RB") << 0x0301 << "K-330RB";
    QTest::newRow("other") << 0x0302 << "xxxxxxx";
    QTest::newRow("zero") << 0 << "xxxxxxx";
}

void TstImage::modelNames()
{
    QFETCH(int, model);
    QFETCH(QString, name);
    QCOMPARE(modelName(quint16(model)), name);
    QCOMPARE(isKnownModel(quint16(model)), name != QLatin1String("xxxxxxx"));
}

void TstImage::sectionsCoverConfigurationArea()
{
    // Every byte from 2 to 181 belongs to exactly one block section.
    const QStringList pages = {"Кодек",           "Входной усилитель",  "Вход микрофона",
                               "Выход приемника", "Выходной усилитель", "Регистратор",
                               "Выход гарнитуры", "Выход аксессуарный", "Усилитель НЧ",
                               "Вокодер",         "Протокол",           "Соединение"};
    int owners[TK440::ConfigAreaSize] = {};
    for (const QString &page : pages) {
        for (const Section &s : pageSections(page)) {
            for (int i = s.offset; i < s.offset + s.length; ++i)
                ++owners[i];
        }
    }
    for (int i = 2; i < TK440::ConfigAreaSize; ++i)
        QVERIFY2(owners[i] == 1, qPrintable(QString::number(i)));
    QCOMPARE(pageSections("Вход приемника").size(), 1);
    QCOMPARE(pageSections("Вход приемника").first().offset,
             pageSections("Вход микрофона").first().offset);
    QVERIFY(pageSections("Информация").isEmpty());

    quint8 from[TK440::Size], to[TK440::Size];
    std::memset(from, 1, sizeof from);
    std::memset(to, 0, sizeof to);
    copySections("Вокодер", from, to);
    for (int i = 0; i < TK440::Size; ++i)
        QCOMPARE(int(to[i]), (i >= 128 && i < 144) ? 1 : 0);
}

QTEST_GUILESS_MAIN(TstImage)
#include "tst_image.moc"
