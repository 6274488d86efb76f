// The configuration document without widgets: a page's sections adopted and reverted, a read
// from the controller adopted only when kept, the firmware file for the load window.

#include "config/crc16.h"
#include "config/document.h"
#include "config/image.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

namespace {

using Ranges = QList<QPair<int, int>>; // offset, length

bool inRanges(const Ranges &ranges, int i)
{
    for (const auto &r : ranges) {
        if (i >= r.first && i < r.first + r.second)
            return true;
    }
    return false;
}

std::unique_ptr<TK440> filled(quint8 value)
{
    auto image = std::make_unique<TK440>();
    std::memset(image->b, value, TK440::Size);
    return image;
}

QByteArray bytesOf(const TK440 *image)
{
    return image ? QByteArray(image->data(), TK440::Size) : QByteArray();
}

} // namespace

class TstDocument : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void sections_data();
    void sections();
    void sectionsWithoutImage();
    void read_data();
    void read();
    void firmware();
    void firmwareShortRead();
};

void TstDocument::sections_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<Ranges>("ranges");
    QTest::newRow("codec") << QStringLiteral("Кодек") << Ranges {{2, 30}};
    QTest::newRow("recorder, two sections")
        << QStringLiteral("Регистратор") << Ranges {{88, 10}, {122, 6}};
    QTest::newRow("vocoder, two sections")
        << QStringLiteral("Вокодер") << Ranges {{128, 10}, {138, 6}};
    QTest::newRow("RB receiver input shares the RA microphone's section")
        << QStringLiteral("Вход приемника") << Ranges {{50, 18}};
    QTest::newRow("last section") << QStringLiteral("Соединение") << Ranges {{164, 18}};
    // The Info page edits the document image itself; views have no sections.
    QTest::newRow("info page") << QStringLiteral("Информация") << Ranges {};
    QTest::newRow("view") << QStringLiteral("Статистика") << Ranges {};
}

void TstDocument::sections()
{
    QFETCH(QString, title);
    QFETCH(Ranges, ranges);
    ConfigDocument doc;
    doc.setImage(filled(0x11));
    std::memset(doc.workingCopy()->b, 0x22, TK440::Size);

    // Opening the page: its sections of the working copy are the image's again.
    doc.revertSections(title);
    for (int i = 0; i < TK440::Size; ++i) {
        QVERIFY2(doc.workingCopy()->b[i] == (inRanges(ranges, i) ? 0x11 : 0x22),
                 qPrintable(QString::number(i)));
        QVERIFY2(doc.image()->b[i] == 0x11, qPrintable(QString::number(i)));
    }

    // The page edits everything it can reach and keeps it: only its sections reach the image.
    std::memset(doc.workingCopy()->b, 0x33, TK440::Size);
    doc.adoptSections(title);
    for (int i = 0; i < TK440::Size; ++i)
        QVERIFY2(doc.image()->b[i] == (inRanges(ranges, i) ? 0x33 : 0x11),
                 qPrintable(QString::number(i)));

    // A mode switch or a new configuration drops every edit not kept.
    doc.revertAll();
    QCOMPARE(bytesOf(doc.workingCopy()), bytesOf(doc.image()));
}

void TstDocument::sectionsWithoutImage()
{
    ConfigDocument doc;
    QVERIFY(!doc.image());
    QCOMPARE(bytesOf(doc.workingCopy()), QByteArray(TK440::Size, '\0'));
    doc.workingCopy()->b[10] = 0x44;
    doc.revertSections(QStringLiteral("Кодек"));
    doc.adoptSections(QStringLiteral("Кодек"));
    doc.revertAll();
    QVERIFY(!doc.image());
    QCOMPARE(doc.workingCopy()->b[10], quint8(0x44));
}

void TstDocument::read_data()
{
    QTest::addColumn<int>("flipOffset"); // byte changed on the way, -1: none
    QTest::addColumn<bool>("keep"); // how the read window asks to close
    QTest::addColumn<bool>("adopted");
    QTest::newRow("intact, kept") << -1 << true << true;
    QTest::newRow("intact, dropped") << -1 << false << false;
    QTest::newRow("one byte changed") << 40 << false << false;
    QTest::newRow("checksum changed") << 0 << false << false;
}

// The read as the read window runs it: the document's pending image is written only by a
// passed check, and becomes the document image only when kept.
void TstDocument::read()
{
    QFETCH(int, flipOffset);
    QFETCH(bool, keep);
    QFETCH(bool, adopted);
    ConfigDocument doc;
    doc.setImage(filled(0x11));
    std::memset(doc.workingCopy()->b, 0x22, TK440::Size);
    const QByteArray before = bytesOf(doc.image());

    TK440 sent;
    QRandomGenerator gen(5);
    for (quint8 &b : sent.b)
        b = quint8(gen.bounded(256));
    sent.setWord(TK440::ModelOffset, TK440::ModelRB);
    toDeviceForm(doc.checksum(), sent);
    QByteArray wire(sent.data(), TK440::Size);
    if (flipOffset >= 0)
        wire[flipOffset] = char(wire[flipOffset] ^ 0x01);

    TK440 *pending = doc.beginRead();
    QCOMPARE(doc.pendingRead(), pending);
    QCOMPARE(bytesOf(pending), QByteArray(TK440::Size, '\0'));
    const ReadCheck check = fromDeviceForm(doc.checksum(), wire, *pending);
    QCOMPARE(check.ok, flipOffset < 0);
    if (!check.ok)
        QCOMPARE(bytesOf(pending), QByteArray(TK440::Size, '\0'));
    // Nothing is adopted while the read window is open.
    QCOMPARE(bytesOf(doc.image()), before);

    if (keep)
        QVERIFY(doc.keepRead());
    else
        doc.dropRead();
    QVERIFY(!doc.pendingRead());
    QVERIFY(!doc.keepRead()); // a late keep finds nothing to adopt
    if (adopted) {
        QCOMPARE(doc.image()->model(), TK440::ModelRB);
        TK440 back = *doc.image();
        toDeviceForm(doc.checksum(), back);
        QCOMPARE(bytesOf(&back), wire);
    } else {
        QCOMPARE(bytesOf(doc.image()), before);
    }
    // The working copy follows only when the main window reverts it.
    QCOMPARE(bytesOf(doc.workingCopy()), QByteArray(TK440::Size, 0x22));
}

void TstDocument::firmware()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("fw.rom"));
    QByteArray bytes(3000, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 13);
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();

    ConfigDocument doc;
    QCOMPARE(doc.readFirmware(name), FirmwareReadResult::Ok);
    QCOMPARE(doc.firmware(), bytes);
    QCOMPARE(doc.firmwareSize(), 3000);

    // A name that is no regular file keeps what was read before.
    for (const QString &bad : {dir.filePath(QStringLiteral("missing.rom")), dir.path()}) {
        QCOMPARE(doc.readFirmware(bad), FirmwareReadResult::OpenFailed);
        QCOMPARE(doc.firmware(), bytes);
        QCOMPARE(doc.firmwareSize(), 3000);
    }

    // Handed to the load window: the bytes go, the size stays on record.
    doc.releaseFirmware();
    QVERIFY(doc.firmware().isEmpty());
    QCOMPARE(doc.firmwareSize(), 3000);
}

void TstDocument::firmwareShortRead()
{
    // A sysfs attribute is a regular file that announces a page and delivers a few bytes.
    const QString attribute = QStringLiteral("/sys/devices/system/cpu/online");
    const QFileInfo info(attribute);
    if (!info.isFile() || info.size() <= 16)
        QSKIP("no sysfs attribute to stand in for a file that shrinks while read");
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("fw.rom"));
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(100, 'x'));
    f.close();

    ConfigDocument doc;
    QCOMPARE(doc.readFirmware(name), FirmwareReadResult::Ok);
    QCOMPARE(doc.readFirmware(attribute), FirmwareReadResult::ShortRead);
    QVERIFY(doc.firmware().isEmpty());
    QCOMPARE(doc.firmwareSize(), 0);
}

QTEST_GUILESS_MAIN(TstDocument)
#include "tst_document.moc"
