#include "config/crc16.h"
#include "config/image.h"
#include "config/sections.h"

#include <QRandomGenerator>
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
    void readCheck_data();
    void readCheck();
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

namespace {
// A configuration as the controller sends it, made without the code under test: the host image
// with its word area exchanged pairwise and the reference checksum of that area at offset 0.
QByteArray wireFormOf(const TK440 &host)
{
    QByteArray wire(host.data(), TK440::Size);
    for (int i = TK440::CheckedOffset; i < TK440::ConfigAreaSize; i += 2)
        std::swap(wire[i], wire[i + 1]);
    const quint16 crc = referenceCrc(wire.mid(2, TK440::ConfigAreaSize - 2));
    wire[0] = char(crc & 0xFF);
    wire[1] = char(crc >> 8);
    return wire;
}
} // namespace

void TstImage::readCheck_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<int>("size"); // bytes handed over
    QTest::addColumn<int>("flipOffset"); // -1: none
    QTest::addColumn<bool>("garbage"); // random bytes instead of a configuration
    QTest::addColumn<bool>("ok");
    const int ra = TK440::ModelRA;
    QTest::newRow("intact RA") << ra << 402 << -1 << false << true;
    QTest::newRow("intact RB") << int(TK440::ModelRB) << 402 << -1 << false << true;
    QTest::newRow("first word byte flipped") << ra << 402 << 2 << false << false;
    QTest::newRow("middle byte flipped") << ra << 402 << 100 << false << false;
    QTest::newRow("last word byte flipped") << ra << 402 << 181 << false << false;
    QTest::newRow("checksum high byte flipped") << ra << 402 << 1 << false << false;
    // The information area and the identification lie outside the checked words.
    QTest::newRow("information byte flipped") << ra << 402 << 250 << false << true;
    QTest::newRow("garbage") << ra << 402 << -1 << true << false;
    QTest::newRow("401 bytes") << ra << 401 << -1 << false << false;
    QTest::newRow("403 bytes") << ra << 403 << -1 << false << false;
    QTest::newRow("182 bytes") << ra << 182 << -1 << false << false;
    QTest::newRow("empty") << ra << 0 << -1 << false << false;
}

void TstImage::readCheck()
{
    QFETCH(int, model);
    QFETCH(int, size);
    QFETCH(int, flipOffset);
    QFETCH(bool, garbage);
    QFETCH(bool, ok);
    QRandomGenerator gen(quint32(size + flipOffset + 7));
    TK440 host;
    for (quint8 &b : host.b)
        b = quint8(gen.bounded(256));
    host.setWord(TK440::ModelOffset, quint16(model));
    QByteArray wire = wireFormOf(host);
    if (garbage) {
        for (char &c : wire)
            c = char(gen.bounded(256));
    }
    if (flipOffset >= 0)
        wire[flipOffset] = char(wire[flipOffset] ^ 0x10);
    wire = wire.left(size);
    while (wire.size() < size)
        wire.append('\0');

    TK440 out;
    std::memset(out.b, 0x5A, sizeof out.b);
    const ReadCheck check = fromDeviceForm(Crc16(), wire, out);
    QCOMPARE(check.ok, ok);
    if (size != TK440::Size) {
        QCOMPARE(int(check.computed), 0);
        QCOMPARE(int(check.stored), 0);
    } else {
        // The two values the read window reports when they differ.
        QCOMPARE(check.computed, referenceCrc(wire.mid(2, TK440::ConfigAreaSize - 2)));
        QCOMPARE(check.stored, quint16(quint8(wire[0]) | (quint8(wire[1]) << 8)));
    }
    if (!ok) {
        QCOMPARE(QByteArray(out.data(), TK440::Size), QByteArray(TK440::Size, 0x5A));
        return;
    }
    // The host image comes back, carrying the checksum the controller keeps.
    TK440 expected = host;
    expected.b[0] = quint8(wire[0]);
    expected.b[1] = quint8(wire[1]);
    if (flipOffset >= 0)
        expected.b[flipOffset] ^= 0x10;
    QCOMPARE(QByteArray(out.data(), TK440::Size), QByteArray(expected.data(), TK440::Size));
    // And the same image sent again is what the controller sent.
    toDeviceForm(Crc16(), expected);
    QCOMPARE(QByteArray(expected.data(), TK440::Size), wire);
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
