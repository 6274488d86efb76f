#include "config/infofields.h"
#include "config/tk440.h"

#include <QTest>
#include <QTextCodec>

#include <cstring>

namespace {
TK440 zeroImage()
{
    TK440 image;
    std::memset(image.b, 0, sizeof image.b);
    return image;
}
} // namespace

class TstInfoFields : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void labels_data()
    {
        QTest::addColumn<QString>("actual");
        QTest::addColumn<QString>("expected");
        QTest::newRow("serial 0") << serialText(0) << "0000";
        QTest::newRow("serial 7") << serialText(7) << "0007";
        QTest::newRow("serial 42") << serialText(42) << "0042";
        QTest::newRow("serial 1000") << serialText(1000) << "1000";
        QTest::newRow("serial 65535") << serialText(65535) << "65535";
        QTest::newRow("5 March 2013") << dateText(QDate(2013, 3, 5)) << "05.03.2013";
        QTest::newRow("31 December 1999") << dateText(QDate(1999, 12, 31)) << "31.12.1999";
        QTest::newRow("stored zeros") << dateText(0, 0, 0) << "00.00.0";
    }
    void labels()
    {
        QFETCH(QString, actual);
        QFETCH(QString, expected);
        QCOMPARE(actual, expected);
    }

    void identity_data()
    {
        QTest::addColumn<QByteArray>("ident");
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("chip");
        QTest::addColumn<QString>("die");
        // model, version (minor, major), four serial words, id: all little-endian.
        QTest::newRow("new image")
            << QByteArray::fromHex("0103 0102 0000000000000000 0000") << "2.1"
            << "0x0"
            << "0x0000";
        QTest::newRow("leading zeros dropped")
            << QByteArray::fromHex("0003 0a0c 0100 3412 cdab 0f00 0155") << "12.10"
            << "0x5501"
            << "0x11234ABCDF";
        QTest::newRow("full words")
            << QByteArray::fromHex("0003 ffff ffff 00f0 1010 abab efbe") << "255.255"
            << "0xBEEF"
            << "0xFFFFF0001010ABAB";
    }
    void identity()
    {
        QFETCH(QByteArray, ident);
        QFETCH(QString, version);
        QFETCH(QString, chip);
        QFETCH(QString, die);
        QCOMPARE(ident.size(), TK440::IdentSize);
        const auto *p = reinterpret_cast<const quint8 *>(ident.constData());
        QCOMPARE(versionText(p), version);
        QCOMPARE(cpuIdText(p), chip);
        QCOMPARE(cpuSerialText(p), die);
    }

    void defaultsOfNewImage()
    {
        TK440 image = zeroImage();
        std::memset(image.b + TK440::InfoOffset, 0xEE, TK440::InfoSize);
        setInfoDefaults(image.b + TK440::InfoOffset, QDate(2026, 12, 7));
        QCOMPARE(image.word(TK440::SerialOffset), quint16(0));
        QCOMPARE(image.word(TK440::YearOffset), quint16(2026));
        QCOMPARE(image.b[TK440::MonthOffset], quint8(12));
        QCOMPARE(image.b[TK440::DayOffset], quint8(7));
        QCOMPARE(image.b[TK440::DescLenOffset], quint8(0));
        QCOMPARE(readInfoFields(image.b + TK440::InfoOffset).desc, QByteArray());
    }

    void fieldsRoundTrip()
    {
        TK440 image = zeroImage();
        InfoFields f;
        f.serial = 1000;
        f.year = 2013;
        f.month = 3;
        f.day = 5;
        f.desc = encodeDescription(QStringLiteral("Пульт №2, борт 7"));
        writeInfoFields(image.b + TK440::InfoOffset, f);
        QCOMPARE(image.b[TK440::SerialOffset], quint8(0xE8));
        QCOMPARE(image.b[TK440::SerialOffset + 1], quint8(0x03));
        QCOMPARE(image.b[TK440::DescLenOffset], quint8(16));
        // Nothing outside the information area is touched.
        for (int i = 0; i < TK440::InfoOffset; ++i)
            QCOMPARE(image.b[i], quint8(0));
        for (int i = TK440::IdentOffset; i < TK440::Size; ++i)
            QCOMPARE(image.b[i], quint8(0));

        const InfoFields back = readInfoFields(image.b + TK440::InfoOffset);
        QCOMPARE(back.serial, 1000);
        QCOMPARE(back.year, 2013);
        QCOMPARE(back.month, 3);
        QCOMPARE(back.day, 5);
        QCOMPARE(decodeDescription(back.desc), QStringLiteral("Пульт №2, борт 7"));
    }

    void descriptionIsWindows1251()
    {
        const QByteArray bytes = encodeDescription(QStringLiteral("Яя Ёё №"));
        QCOMPARE(bytes, QByteArray("\xDF\xFF\x20\xA8\xB8\x20\xB9"));
        QCOMPARE(decodeDescription(bytes), QStringLiteral("Яя Ёё №"));
    }

    void storableCharacters_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<QString>("refused");
        QTest::newRow("Cyrillic and signs of the code page") << "Ёж №5 € «x» §\t\n"
                                                             << "Ёж №5 € «x» §\t\n"
                                                             << "";
        QTest::newRow("a byte the code page leaves unassigned") << "\u0098"
                                                                << "\u0098"
                                                                << "";
        QTest::newRow("Latin letters outside it") << "aäb ç"
                                                  << "ab "
                                                  << "äç";
        QTest::newRow("Chinese and Greek") << "Щит中λ3"
                                           << "Щит3"
                                           << "中λ";
        QTest::newRow("emoji as one character") << "x😀y"
                                                << "xy"
                                                << "😀";
        QTest::newRow("replacement character") << "a\uFFFDb"
                                               << "ab"
                                               << "\uFFFD";
        // The codec drops it without a trace: kept, the text would differ from what is stored.
        QTest::newRow("zero-width no-break space") << "a\uFEFFb"
                                                   << "ab" << QString(QChar(0xFEFF));
        QTest::newRow("lone surrogate") << QString("a") + QChar(0xD800) + "b"
                                        << "ab" << QString(QChar(0xD800));
    }
    void storableCharacters()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QFETCH(QString, refused);
        QString out;
        QCOMPARE(storableDescription(typed, &out), kept);
        QCOMPARE(out, refused);
        // What is kept is stored byte for byte and comes back as typed.
        QCOMPARE(encodeDescription(kept).size(), kept.size());
        QCOMPARE(decodeDescription(encodeDescription(kept)), kept);
        for (const char32_t c : refused.toUcs4())
            QVERIFY(!descriptionCanStore(c));
    }

    // The description keeps exactly the characters the code page stores as themselves, over
    // the whole Basic Multilingual Plane and beyond it.
    void storableCharactersAreTheCodePages()
    {
        QTextCodec *codec = QTextCodec::codecForName("Windows-1251");
        QVERIFY(codec);
        int storable = 0;
        for (char32_t c = 0; c <= 0x10400; ++c) {
            // Not fromUcs4: it drops a leading U+FEFF as a byte-order mark.
            QString one;
            if (c > 0xFFFF)
                one = QString(QChar(QChar::highSurrogate(c))) + QChar(QChar::lowSurrogate(c));
            else
                one = QString(QChar(char16_t(c)));
            const bool expected = !QChar::isSurrogate(c) && codec->canEncode(one)
                && codec->toUnicode(codec->fromUnicode(one)) == one;
            QVERIFY2(descriptionCanStore(c) == expected, qPrintable(QString::number(c, 16)));
            storable += expected;
        }
        QVERIFY(storable > 200 && storable <= 256);
    }

    void descriptionLimit_data()
    {
        QTest::addColumn<int>("typed");
        QTest::addColumn<int>("kept");
        QTest::newRow("empty") << 0 << 0;
        QTest::newRow("198") << 198 << 198;
        QTest::newRow("199 accepted") << 199 << 199;
        QTest::newRow("200 cut to 198") << 200 << 198;
        QTest::newRow("300 pasted") << 300 << 198;
    }
    void descriptionLimit()
    {
        QFETCH(int, typed);
        QFETCH(int, kept);
        QString text;
        for (int i = 0; i < typed; ++i)
            text += QChar(u'А' + i % 32);
        const QString limited = limitDescription(text);
        QCOMPARE(limited.size(), kept);
        QCOMPARE(limited, text.left(kept));

        // Whatever survives the limit fits the area and comes back unchanged.
        TK440 image = zeroImage();
        InfoFields f;
        f.desc = encodeDescription(limited);
        writeInfoFields(image.b + TK440::InfoOffset, f);
        QCOMPARE(image.b[TK440::DescLenOffset], quint8(kept));
        QCOMPARE(decodeDescription(readInfoFields(image.b + TK440::InfoOffset).desc), limited);
        QCOMPARE(image.model(), quint16(0));
    }

    void oversizedDescriptionStaysInsideTheArea()
    {
        TK440 image = zeroImage();
        image.setWord(TK440::ModelOffset, TK440::ModelRB);
        InfoFields f;
        f.desc = QByteArray(250, 'x');
        writeInfoFields(image.b + TK440::InfoOffset, f);
        QCOMPARE(image.b[TK440::DescLenOffset], quint8(199));
        QCOMPARE(image.model(), TK440::ModelRB);

        // A damaged length byte must not let the reader run into the identification.
        image.b[TK440::DescLenOffset] = 255;
        QCOMPARE(readInfoFields(image.b + TK440::InfoOffset).desc.size(), 199);
    }
};

QTEST_GUILESS_MAIN(TstInfoFields)
#include "tst_infofields.moc"
