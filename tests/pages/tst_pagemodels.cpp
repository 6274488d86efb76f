// Conversions behind the codec and amplifier pages, without widgets.
#include "pages/models/ampmodel.h"
#include "pages/models/attenuation.h"
#include "pages/models/codecmodel.h"
#include "testsupport.h"

#include <QTest>

class TstPageModels : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void attenuationText_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("text");
        QTest::newRow("0 dB") << 0 << "0";
        QTest::newRow("half step") << 1 << "-0.5";
        QTest::newRow("integer") << 36 << "-18";
        QTest::newRow("first range end") << 37 << "-18.5";
        QTest::newRow("second range") << 38 << "-19.1";
        QTest::newRow("second range end") << 71 << "-35.6";
        QTest::newRow("third range") << 72 << "-36.2";
        QTest::newRow("fourth range") << 99 << "-49.8";
        QTest::newRow("fourth range end") << 103 << "-51.8";
        QTest::newRow("list start") << 104 << "-52.2";
        QTest::newRow("list end") << 117 << "-78.3";
        QTest::newRow("off") << 118 << "Откл.";
        QTest::newRow("above off") << 127 << "Откл.";
    }
    void attenuationText()
    {
        QFETCH(int, step);
        QFETCH(QString, text);
        QCOMPARE(Attenuation::text(step), text);
    }
    void attenuationFalls()
    {
        for (int v = 1; v < Attenuation::OffStep; ++v)
            QVERIFY2(Attenuation::db(v) < Attenuation::db(v - 1), qPrintable(QString::number(v)));
    }

    void gainText_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("text");
        QTest::newRow("off") << 0 << "-141.5";
        QTest::newRow("first row end") << 7 << "-54.7";
        QTest::newRow("18") << 18 << "-23.7";
        QTest::newRow("integer -16") << 22 << "-16";
        QTest::newRow("30") << 30 << "0.3";
        QTest::newRow("42 default") << 42 << "15";
        QTest::newRow("top") << 63 << "29.5";
        QTest::newRow("above table") << 64 << "29.5";
        QTest::newRow("far above") << 255 << "29.5";
    }
    void gainText()
    {
        QFETCH(int, step);
        QFETCH(QString, text);
        QCOMPARE(AmpModel::gainText(step), text);
    }

    void gainTableRises()
    {
        for (int s = 1; s < AmpModel::GainSteps; ++s)
            QVERIFY2(AmpModel::gainDb(s) > AmpModel::gainDb(s - 1), qPrintable(QString::number(s)));
    }

    void ampLoad_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<int>("gain");
        QTest::addColumn<bool>("pwm");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("defaults") << hexBytes("00 2a 00 d6") << 42 << false
                                  << hexBytes("00 2a 00 d6");
        QTest::newRow("pwm") << hexBytes("00 05 00 d5") << 5 << true << hexBytes("00 05 00 d5");
        QTest::newRow("mod 0 becomes sdm")
            << hexBytes("00 05 00 00") << 5 << false << hexBytes("00 05 00 d6");
        QTest::newRow("gain ff") << hexBytes("00 ff 00 d6") << 63 << false
                                 << hexBytes("00 ff 00 d6");
        QTest::newRow("gain high bits")
            << hexBytes("00 c1 00 d5") << 1 << true << hexBytes("00 c1 00 d5");
        QTest::newRow("reserved kept")
            << hexBytes("11 00 22 d7") << 0 << false << hexBytes("11 00 22 d6");
    }
    void ampLoad()
    {
        QFETCH(QByteArray, section);
        QFETCH(int, gain);
        QFETCH(bool, pwm);
        QFETCH(QByteArray, after);
        const AmpModel::Values v = AmpModel::load(reinterpret_cast<quint8 *>(section.data()));
        QCOMPARE(v.gain, gain);
        QCOMPARE(v.pwm, pwm);
        QCOMPARE(section, after);
    }

    void ampStoreAndDefaults()
    {
        QByteArray s = hexBytes("77 ff 88 00");
        auto *p = reinterpret_cast<quint8 *>(s.data());
        AmpModel::store(p, {63, true});
        QCOMPARE(s, hexBytes("77 3f 88 d5"));
        AmpModel::store(p, {0x7f, false});
        QCOMPARE(s, hexBytes("77 3f 88 d6"));
        AmpModel::clearReserved(p);
        QCOMPARE(s, hexBytes("00 3f 00 d6"));
        s = hexBytes("00 00 00 00");
        AmpModel::writeDefaults(reinterpret_cast<quint8 *>(s.data()));
        QCOMPARE(s, hexBytes("00 2a 00 d6"));
    }

    void codecSectionDefaults()
    {
        QByteArray s(30, char(0x5a));
        auto *p = reinterpret_cast<quint8 *>(s.data());
        CodecModel::writeRegisters(p);
        CodecModel::writeDefaults(p);
        const QByteArray expected("\x00\x00\x80\x01\x01\x65\x00\x02\x30\x03\x0a\x07\xc0\x08\x40\x09"
                                  "\x00\x0c\xc0\x25\x16\x26\x80\x28\x4a\x2a\x00\x2b\x00\x2c",
                                  30);
        QCOMPARE(s, expected);
    }

    void codecRegistersOnlyTouchOddBytes()
    {
        QByteArray s(30, char(0xa5));
        CodecModel::writeRegisters(reinterpret_cast<quint8 *>(s.data()));
        for (int i = 0; i < 30; i += 2)
            QCOMPARE(quint8(s[i]), quint8(0xa5));
        QCOMPARE(quint8(s[25]), quint8(42));
    }

    void codecValueOffset_data()
    {
        QTest::addColumn<int>("reg");
        QTest::addColumn<int>("offset");
        QTest::newRow("0") << 0 << 0;
        QTest::newRow("101") << 101 << 4;
        QTest::newRow("2") << 2 << 6;
        QTest::newRow("42") << 42 << 24;
        QTest::newRow("44") << 44 << 28;
        QTest::newRow("none") << 4 << -1;
    }
    void codecValueOffset()
    {
        QFETCH(int, reg);
        QFETCH(int, offset);
        QCOMPARE(CodecModel::valueOffset(reg), offset);
    }

    void codecSettableBits()
    {
        for (quint8 reg : CodecModel::editedRegisters())
            QCOMPARE(CodecModel::settableBits(reg), quint8(reg == 42 ? 0xfe : 0xff));
    }
};

QTEST_GUILESS_MAIN(TstPageModels)
#include "tst_pagemodels.moc"
