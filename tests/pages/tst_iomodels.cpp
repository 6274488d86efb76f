// Conversions of the input and output pages, without widgets.
#include "config/tk440.h"
#include "pages/models/inputmodel.h"
#include "pages/models/outputmodel.h"
#include "testsupport.h"

#include <QHash>
#include <QTest>

#include <cstring>

using OutputModel::Output;

class TstIoModels : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void channelByte_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("routed");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("stored");
        QTest::newRow("routed step 12") << 140 << true << 12 << 140;
        QTest::newRow("off at 118") << 118 << false << 118 << 118;
        QTest::newRow("0x7f clamps") << 0x7F << false << 118 << 118;
        QTest::newRow("routed 0xff") << 0xFF << true << 118 << 0xF6;
        QTest::newRow("routed 0 dB") << 0x80 << true << 0 << 0x80;
    }
    void channelByte()
    {
        QFETCH(int, value);
        QFETCH(bool, routed);
        QFETCH(int, step);
        QFETCH(int, stored);
        const OutputModel::Channel c = OutputModel::loadChannel(quint8(value));
        QCOMPARE(c.routed, routed);
        QCOMPARE(c.step, step);
        QCOMPARE(int(OutputModel::storeChannel(c)), stored);
    }

    void amplifierByte_data()
    {
        QTest::addColumn<int>("output");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("on");
        QTest::addColumn<int>("gain");
        QTest::addColumn<int>("stored");
        const int tx = int(Output::Transmitter), ext = int(Output::Headset);
        QTest::newRow("tx on 9") << tx << 0x09 << true << 0 << 0x09;
        QTest::newRow("tx bit 3 alone is on") << tx << 0x38 << true << 3 << 0x39;
        QTest::newRow("tx bit 0 alone is on") << tx << 0x01 << true << 0 << 0x09;
        QTest::newRow("tx 6 is off") << tx << 0x26 << false << 2 << 0x20;
        QTest::newRow("tx 0xf0 gain clamps") << tx << 0xF0 << false << 9 << 0x90;
        QTest::newRow("ext 13 on") << ext << 0x4D << true << 4 << 0x4D;
        QTest::newRow("ext 5 off") << ext << 0x05 << false << 0 << 0x05;
        QTest::newRow("ext 9 is off") << ext << 0x09 << false << 0 << 0x05;
        QTest::newRow("ext 0xff") << ext << 0xFF << false << 9 << 0x95;
        QTest::newRow("recorder 13") << int(Output::Recorder) << 0x1D << true << 1 << 0x1D;
        QTest::newRow("accessory 4 is off") << int(Output::Accessory) << 0x04 << false << 0 << 0x05;
    }
    void amplifierByte()
    {
        QFETCH(int, output);
        QFETCH(int, value);
        QFETCH(bool, on);
        QFETCH(int, gain);
        QFETCH(int, stored);
        const auto &profile = OutputModel::profile(Output(output));
        const OutputModel::Amplifier a = OutputModel::loadAmplifier(profile, quint8(value));
        QCOMPARE(a.on, on);
        QCOMPARE(a.gain, gain);
        QCOMPARE(int(OutputModel::storeAmplifier(profile, a)), stored);
    }

    void recorderSection()
    {
        quint8 rec[6] = {0xFF, 0xFF, 0x34, 0x12, 0xAB, 0xCD};
        const auto v = OutputModel::Recorder::load(rec);
        QCOMPARE(v.flags, quint16(0xF));
        QCOMPARE(v.level, 0x34);
        OutputModel::Recorder::store(rec, v);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(rec), 6), hexBytes("0f 00 34 00 ab cd"));
        OutputModel::Recorder::writeDefaults(rec);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(rec), 6), hexBytes("02 00 7f 00 00 00"));
    }

    void inputLoadStore_data()
    {
        QTest::addColumn<int>("pair");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("stored");
        using namespace InputModel;
        QTest::newRow("line 1 step 2") << PairLine1 << 0x94 << "line1" << 2 << 0x94;
        QTest::newRow("line 1 off") << PairLine1 << 0xFC << "line1On" << 0 << 0xFC;
        QTest::newRow("line 1 code 12 clamps") << PairLine1 << 0xE4 << "line1" << 8 << 0xC4;
        QTest::newRow("line 1 fixed bits return") << PairLine1 << 0x00 << "line1" << 0 << 0x84;
        QTest::newRow("line 2 step 3") << PairLine2 << 0x03 << "line2" << 3 << 0xF3;
        QTest::newRow("line 2 off") << PairLine2 << 0x0F << "line2On" << 0 << 0xFF;
        QTest::newRow("amp off 48") << PairGain << 0xB0 << "gain" << 48 << 0xB0;
        QTest::newRow("gain clamps") << PairGain << 0x7F << "gain" << 119 << 0x77;
        QTest::newRow("agc gain odd") << PairAgcGain << 0x51 << "agcGain" << 40 << 0x50;
        QTest::newRow("agc gain clamps") << PairAgcGain << 0xFF << "agcGain" << 119 << 0xEE;
        QTest::newRow("noise all kept") << PairNoise << 0xAB << "noiseLevel" << 21 << 0xAB;
        QTest::newRow("gate 3") << PairNoise << 0xC0 << "gate" << 3 << 0xC0;
        QTest::newRow("delays kept") << PairDetect << 0xFF << "detNoise" << 31 << 0xFF;
        QTest::newRow("attack") << PairAttack << 0x1C << "attack" << 7 << 0x9C;
        QTest::newRow("decay stray bits") << PairDecay << 0x63 << "decay" << 0 << 0x80;
        QTest::newRow("agc level 4") << PairAgc << 0xC5 << "agcLevel" << 4 << 0xC0;
    }
    void inputLoadStore()
    {
        QFETCH(int, pair);
        QFETCH(int, value);
        QFETCH(QString, field);
        QFETCH(int, shown);
        QFETCH(int, stored);
        quint8 sec[InputModel::SectionSize];
        InputModel::writeDefaults(InputModel::profile(InputModel::Input::Receiver), sec);
        quint8 expected[InputModel::SectionSize];
        std::memcpy(expected, sec, sizeof sec);
        sec[2 * pair] = quint8(value);
        expected[2 * pair] = quint8(stored);
        const InputModel::Values v = InputModel::load(sec);
        const QHash<QString, int> fields = {{"line1", v.line1},       {"line1On", v.line1On},
                                            {"line2", v.line2},       {"line2On", v.line2On},
                                            {"gain", v.gain},         {"agcGain", v.agcGain},
                                            {"gate", v.gate},         {"noiseLevel", v.noiseLevel},
                                            {"detNoise", v.detNoise}, {"attack", v.attack},
                                            {"decay", v.decay},       {"agcLevel", v.agcLevel}};
        QVERIFY(fields.contains(field));
        QCOMPARE(fields.value(field), shown);
        InputModel::store(sec, v);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(sec), sizeof sec),
                 QByteArray(reinterpret_cast<char *>(expected), sizeof expected));
    }

    void readouts_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("decay 0") << "decay" << 0 << "50";
        QTest::newRow("decay 6") << "decay" << 6 << "3200";
        QTest::newRow("decay 7 is 4000") << "decay" << 7 << "4000";
        QTest::newRow("attack 0") << "attack" << 0 << "7";
        QTest::newRow("attack 7") << "attack" << 7 << "896";
        QTest::newRow("noise delay 0") << "noise" << 0 << "0";
        QTest::newRow("noise delay 1") << "noise" << 1 << "0.5";
        QTest::newRow("noise delay 7") << "noise" << 7 << "32";
        QTest::newRow("noise delay 8") << "noise" << 8 << "64";
        QTest::newRow("noise delay 31") << "noise" << 31 << "1536";
        QTest::newRow("signal delay 0") << "signal" << 0 << "0";
        QTest::newRow("signal delay 2") << "signal" << 2 << "1";
        QTest::newRow("signal delay 7") << "signal" << 7 << "32";
        QTest::newRow("noise level off") << "level" << 0 << "Откл.";
        QTest::newRow("noise level 1") << "level" << 1 << "-30";
        QTest::newRow("noise level 31") << "level" << 31 << "-90";
    }
    void readouts()
    {
        QFETCH(QString, kind);
        QFETCH(int, code);
        QFETCH(QString, text);
        using namespace InputModel;
        const QString got = kind == "decay" ? decayText(code)
            : kind == "attack"              ? attackText(code)
            : kind == "noise"               ? noiseDelayText(code)
            : kind == "signal"              ? signalDelayText(code)
                                            : noiseLevelText(code);
        QCOMPARE(got, text);
    }

    void agcLevel_data()
    {
        QTest::addColumn<double>("db");
        QTest::addColumn<int>("code");
        QTest::newRow("-15") << -15.0 << 5;
        QTest::newRow("-24") << -24.0 << 7;
        QTest::newRow("-20 is 6") << -20.0 << 6;
        QTest::newRow("-20.1") << -20.1 << 7;
        QTest::newRow("-6") << -6.0 << 0;
        QTest::newRow("-6.1") << -6.1 << 1;
        QTest::newRow("-5.5") << -5.5 << 0;
    }
    void agcLevel()
    {
        QFETCH(double, db);
        QFETCH(int, code);
        QCOMPARE(InputModel::agcLevelCode(db), code);
    }

    // With each level's own single step, stepping the spin box up or down reaches the
    // neighbouring level.
    void agcLevelSteps()
    {
        using namespace InputModel;
        QCOMPARE(agcLevelDb(5), -17.0);
        QCOMPARE(agcLevelSingleStep(5), 3.0);
        for (int t = 0; t < AgcLevels; ++t) {
            QCOMPARE(agcLevelCode(agcLevelDb(t)), t);
            if (t > 0)
                QCOMPARE(agcLevelCode(agcLevelDb(t) + agcLevelSingleStep(t)), t - 1);
            if (t < AgcLevels - 1)
                QCOMPARE(agcLevelCode(agcLevelDb(t) - agcLevelSingleStep(t)), t + 1);
        }
    }

    void lineAndGainSteps()
    {
        using namespace InputModel;
        QCOMPARE(lineDb(2), -3.0);
        QCOMPARE(lineStep(-3.0), 2);
        QCOMPARE(lineStep(-4.4), 2); // between steps: the one nearer 0 dB
        QCOMPARE(gainStep(24.0), 48);
        QCOMPARE(gainStep(24.4), 48);
        QCOMPARE(gainDb(119), 59.5);
    }
};

QTEST_MAIN(TstIoModels)
#include "tst_iomodels.moc"
