// Conversions behind the modem, link and vocoder pages, without widgets, and the sections a
// new image gets for them.
#include "config/defaultimage.h"
#include "config/tk440.h"
#include "pages/models/linkmodel.h"
#include "pages/models/modemmodel.h"
#include "pages/models/vocmodel.h"
#include "testsupport.h"

#include <QTest>

namespace {
quint8 *bytesOf(QByteArray &a)
{
    return reinterpret_cast<quint8 *>(a.data());
}
quint16 wordOf(const QByteArray &a, int word)
{
    return quint16(quint8(a[2 * word]) | (quint8(a[2 * word + 1]) << 8));
}
// A section of `words` little-endian words, from their values.
QByteArray section(std::initializer_list<int> words)
{
    QByteArray a;
    for (int w : words)
        a.append(char(w & 0xFF)).append(char((w >> 8) & 0xFF));
    return a;
}
} // namespace

class TstLiveModels : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void newImageSections_data()
    {
        QTest::addColumn<quint16>("model");
        QTest::addColumn<int>("t0");
        QTest::newRow("K-330RA") << TK440::ModelRA << 37;
        QTest::newRow("K-330RB") << TK440::ModelRB << 0;
    }
    void newImageSections()
    {
        QFETCH(quint16, model);
        QFETCH(int, t0);
        TK440 img;
        makeDefaultImage(img, model);
        const QByteArray all(img.data(), TK440::Size);
        QCOMPARE(all.mid(TK440::VocOffset, TK440::VocSize), section({1, 8, 1, 0x3F00, 0x3F00}));
        QCOMPARE(all.mid(TK440::Voc2Offset, TK440::Voc2Size), section({0, 1, 0}));
        QCOMPARE(all.mid(TK440::LinkOffset, TK440::LinkSize),
                 section({31, 10, 4, 16, t0, 12, 2, 50, 250, 1}));
        QCOMPARE(all.mid(TK440::ModemOffset, TK440::ModemSize),
                 section({3, 6, 12, 512, 1284, 1024, 119, 2569, 256}));
    }

    // Modem ------------------------------------------------------------------------------

    void autoErrorGain_data()
    {
        QTest::addColumn<int>("ref");
        QTest::addColumn<int>("gain");
        QTest::newRow("no reference") << 0 << 0;
        QTest::newRow("1 saturates") << 1 << 65535;
        QTest::newRow("10 saturates") << 10 << 65535;
        QTest::newRow("11 fits") << 11 << 59787;
        QTest::newRow("output default") << 512 << 1284;
        QTest::newRow("1000") << 1000 << 657;
        QTest::newRow("unity") << 2569 << 256;
        QTest::newRow("largest") << 32767 << 20;
    }
    void autoErrorGain()
    {
        QFETCH(int, ref);
        QFETCH(int, gain);
        QCOMPARE(int(ModemModel::autoErrorGain(ref)), gain);
    }

    void fixedWord_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("word");
        QTest::newRow("typed 3.3") << 3.3 << 844;
        QTest::newRow("shown 3.297") << 3.297 << 844;
        QTest::newRow("shown 5.016") << 5.016 << 1284;
        QTest::newRow("7/256 shown rounded down") << 0.027 << 7;
        QTest::newRow("top") << 255.996 << 65535;
        QTest::newRow("above top") << 300.0 << 65535;
        QTest::newRow("zero") << 0.0 << 0;
        QTest::newRow("negative") << -1.0 << 0;
    }
    void fixedWord()
    {
        QFETCH(double, value);
        QFETCH(int, word);
        QCOMPARE(int(ModemModel::fixedWord(value)), word);
    }

    // Every word survives being shown with three decimals and read back.
    void fixedWordRoundTrip()
    {
        for (int k = 0; k <= 0xFFFF; ++k) {
            const double shown = QString::number(k / 256.0, 'f', 3).toDouble();
            if (ModemModel::fixedWord(shown) != k)
                QFAIL(qPrintable(QStringLiteral("word %1 reads back as %2")
                                     .arg(k)
                                     .arg(ModemModel::fixedWord(shown))));
        }
    }

    void gainText_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << "0.0";
        QTest::newRow("1") << 1 << "0.5";
        QTest::newRow("top") << 119 << "59.5";
    }
    void gainText()
    {
        QFETCH(int, step);
        QFETCH(QString, text);
        QCOMPARE(ModemModel::gainText(step), text);
    }

    void modemFlagsAndMasks()
    {
        QByteArray s = section({0xFFFF, 0xFFFF, 0xFF80, 0xFFFF, 0x1234, 7, 0xFFF7, 0x8001, 9});
        const ModemModel::Values v = ModemModel::load(bytesOf(s));
        QVERIFY(v.outAgc && v.inpAgc);
        QCOMPARE(v.toneLevel, 127);
        QCOMPARE(v.outLevel, 0);
        QCOMPARE(v.outRef, 32767);
        QCOMPARE(v.inpGain, 0x77);
        QCOMPARE(v.inpRef, 1);
        QCOMPARE(int(v.outGErr), 0x1234);
        ModemModel::store(bytesOf(s), v);
        QCOMPARE(s, section({3, 127, 0, 32767, 0x1234, 7, 0x77, 1, 9}));
    }

    // Link -------------------------------------------------------------------------------

    // Stored values outside their ranges open clamped and are written back; the loss word is
    // neither read nor rewritten by opening.
    void linkLoadClamps_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<QList<int>>("shown"); // n1, n2, n3, k, t0..t3 (bytes, counts, ms)
        QTest::newRow("in range") << section({5, 0, 1, 0, 0, 1, 1, 1, 77, 0})
                                  << section({5, 0, 1, 0, 0, 1, 1, 1, 77, 0})
                                  << QList<int> {96, 0, 1, 0, 0, 20, 20, 20};
        QTest::newRow("N1 40") << section({40, 10, 4, 16, 37, 12, 2, 50, 250, 1})
                               << section({31, 10, 4, 16, 37, 12, 2, 50, 250, 1})
                               << QList<int> {512, 10, 4, 16, 740, 240, 40, 1000};
        QTest::newRow("N1 below 3 kept") << section({1, 10, 4, 16, 37, 12, 2, 50, 250, 1})
                                         << section({1, 10, 4, 16, 37, 12, 2, 50, 250, 1})
                                         << QList<int> {32, 10, 4, 16, 740, 240, 40, 1000};
        QTest::newRow("all high") << section(
            {0xFFFF, 256, 0x8000, 33, 256, 0xFFFF, 300, 1000, 0xABCD, 0xFFFF})
                                  << section({31, 255, 255, 32, 255, 255, 255, 255, 0xABCD, 0xFFFF})
                                  << QList<int> {512, 255, 255, 32, 5100, 5100, 5100, 5100};
    }
    void linkLoadClamps()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, after);
        QFETCH(QList<int>, shown);
        const LinkModel::Values v = LinkModel::load(bytesOf(stored));
        QCOMPARE(stored, after);
        QCOMPARE((QList<int> {v.n1Bytes, v.n2, v.n3, v.k, v.t0Ms, v.t1Ms, v.t2Ms, v.t3Ms}), shown);
        QCOMPARE(v.ack, bool(wordOf(after, LinkModel::Flags) & 1));
        QCOMPARE(v.adaptive, bool(wordOf(after, LinkModel::Flags) & 2));
    }

    void linkStore()
    {
        QByteArray s(LinkModel::Size, char(0x5A));
        LinkModel::Values v {96, 0, 4, 32, 0, 5100, 20, 1000, true, false};
        LinkModel::store(bytesOf(s), v);
        QCOMPARE(s, section({5, 0, 4, 32, 0, 255, 1, 50, 250, 1}));
        // The largest loss time still fits, and flags hold only the two boxes.
        v = {512, 255, 255, 1, 5100, 20, 20, 5100, false, true};
        LinkModel::store(bytesOf(s), v);
        QCOMPARE(s, section({31, 255, 255, 1, 255, 1, 1, 255, 255 * 256, 2}));
    }

    void linkQuantise()
    {
        QCOMPARE(LinkModel::quantiseN1(100), 96);
        QCOMPARE(LinkModel::quantiseN1(512), 512);
        QCOMPARE(LinkModel::quantiseMs(250), 240);
        QCOMPARE(LinkModel::quantiseMs(19), 0);
        QCOMPARE(LinkModel::lossMs(1000, 4), 5000);
        QCOMPARE(int(LinkModel::lossWord(50, 4)), 250);
    }

    // Vocoder ----------------------------------------------------------------------------

    void vocLoad_data()
    {
        QTest::addColumn<QByteArray>("encoder");
        QTest::addColumn<QByteArray>("decoder");
        QTest::addColumn<QByteArray>("encoderAfter");
        QTest::addColumn<QByteArray>("decoderAfter");
        QTest::addColumn<QList<int>>("shown"); // ptt vad vbr anc rate packet vad anc adj buffer
        QTest::newRow("defaults") << section({1, 8, 1, 0x3F00, 0x3F00}) << section({0, 1, 0})
                                  << section({1, 8, 1, 0x3F00, 0x3F00}) << section({0, 1, 0})
                                  << QList<int> {1, 0, 0, 0, 8, 20, 126, 126, 0, 40};
        QTest::newRow("rate 12, codes high")
            << section({0, 12, 4, 0, 0xFFFF}) << section({0xFFFF, 9, 0x1234})
            << section({0, 8, 3, 0, 0xFFFF}) << section({0xFFFF, 8, 0x1234})
            << QList<int> {0, 0, 0, 0, 8, 60, 0, 255, 1, 180};
        QTest::newRow("VAD and VBR: VBR wins")
            << section({0xFFFF, 0, 0, 0x6400, 0x80}) << section({0, 0, 0})
            << section({0xFFFF, 0, 0, 0x6400, 0x80}) << section({0, 0, 0})
            << QList<int> {1, 0, 1, 1, 0, 0, 200, 1, 0, 20};
    }
    void vocLoad()
    {
        QFETCH(QByteArray, encoder);
        QFETCH(QByteArray, decoder);
        QFETCH(QByteArray, encoderAfter);
        QFETCH(QByteArray, decoderAfter);
        QFETCH(QList<int>, shown);
        const VocModel::Values v = VocModel::load(bytesOf(encoder), bytesOf(decoder));
        QCOMPARE(encoder, encoderAfter);
        QCOMPARE(decoder, decoderAfter);
        QCOMPARE((QList<int> {v.ptt, v.vad, v.vbr, v.anc, v.rate, v.packetMs, v.vadGain, v.ancGain,
                              v.adjust, v.bufferMs}),
                 shown);
    }

    void vocStore()
    {
        QByteArray enc(VocModel::EncoderSize, char(0x5A));
        QByteArray dec(VocModel::DecoderSize, char(0x5A));
        VocModel::store(bytesOf(enc), bytesOf(dec),
                        {true, false, true, true, 3, 40, 200, 255, true, 100});
        // gain 200: high byte 100, low byte 0
        QCOMPARE(enc, hexBytes("0d 00 03 00 02 00 00 64 80 7f"));
        QCOMPARE(dec, hexBytes("01 00 04 00 5a 5a")); // the reserved word is left alone
        VocModel::store(bytesOf(enc), bytesOf(dec),
                        {false, true, false, false, 0, 0, 0, 1, false, 20});
        QCOMPARE(enc, hexBytes("02 00 00 00 00 00 00 00 80 00"));
        QCOMPARE(dec, hexBytes("00 00 00 00 5a 5a"));
    }

    void vocRates()
    {
        const QStringList rates = VocModel::rateTexts();
        QCOMPARE(rates.size(), VocModel::MaxRate + 1);
        // The decimal points line up.
        for (int i = 1; i < rates.size(); ++i)
            QCOMPARE(rates[i].indexOf(QLatin1Char('.')), 2);
    }
};

QTEST_MAIN(TstLiveModels)
#include "tst_livemodels.moc"
