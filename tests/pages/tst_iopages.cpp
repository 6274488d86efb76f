// The input and output pages through their widgets: what they show for a section, what they
// store, and what their test mode sends.
#include "config/defaultimage.h"
#include "config/tk440.h"
#include "config/widgets/windowregistry.h"
#include "config/windows.h"
#include "jobrecorder.h"
#include "pages/builtinpages.h"
#include "pages/output.h"
#include "sim/simcontroller.h"
#include "sim/simtransport.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QDial>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

#include <functional>
#include <memory>

namespace {
template<class W> W *child(QWidget *page, const QString &name)
{
    auto *w = page->findChild<W *>(name);
    if (!w)
        qFatal("no child %s", qPrintable(name));
    return w;
}

TK440 newImage(quint16 model)
{
    TK440 img;
    makeDefaultImage(img, model);
    return img;
}

// A page as the main window builds it, kept alive by the test.
std::unique_ptr<SubWindow> open(WindowId id, TK440 &img, TThread *thread = nullptr, int mode = 1)
{
    registerBuiltinPages();
    WindowContext ctx;
    ctx.thread = thread;
    ctx.image = &img;
    ctx.mode = mode;
    ctx.connected = true;
    std::unique_ptr<SubWindow> page(windowRegistry().create(id, ctx));
    if (page)
        page->setAttribute(Qt::WA_DeleteOnClose, false);
    return page;
}

QByteArray bytes(const TK440 &img, int offset, int len)
{
    return QByteArray(img.data() + offset, len);
}

// What a page stores for a loaded value byte: the byte itself where every bit is kept, else
// the normal form of what the controls could show. Written from the section tables, not from
// the page code.
using Normal = std::function<int(int)>;
Normal channel = [](int v) {
    return (v & 0x80) | qMin(v & 0x7F, 118);
};
Normal amplifier(bool anyBitOn, int on, int off)
{
    return [=](int v) {
        const bool isOn = anyBitOn ? (v & 9) != 0 : (v & 15) == 13;
        return (qMin(v >> 4, 9) << 4) | (isOn ? on : off);
    };
}
const QList<Normal> mixerRules(bool anyBitOn, int on, int off)
{
    return {channel, channel, channel, channel, amplifier(anyBitOn, on, off)};
}
const QList<Normal> inputRules = {
    [](int v) {
        const int l = (v >> 3) & 15;
        return l == 15 ? 0xFC : 0x84 | (qMin(l, 8) << 3);
    },
    [](int v) { return (v & 15) == 15 ? 0xFF : 0xF0 | qMin(v & 15, 8); },
    [](int v) { return (v & 0x80) | qMin(v & 0x7F, 119); },
    [](int v) { return qMin(v >> 1, 119) * 2; },
    [](int v) { return v; }, // clipping, noise level, gate: every bit kept
    [](int v) { return v; }, // both detection delays
    [](int v) { return 0x80 | (v & 0x1C); },
    [](int v) { return 0x80 | (v & 0x1C); },
    [](int v) { return v & 0xF0; },
};
// The recorder section's bytes: flags (4 bits), level (low byte), reserved word kept.
const QList<Normal> recorderRules = {
    [](int v) { return v & 0x0F; }, [](int) { return 0; },   [](int v) { return v; },
    [](int) { return 0; },          [](int v) { return v; }, [](int v) { return v; },
};
} // namespace

class TstIoPages : public QObject
{
    Q_OBJECT

    JobRecorder thread;

    // Jobs recorded once the page's debounce has passed, as "type:hex bytes".
    QStringList settledJobs()
    {
        QTest::qWait(400);
        QStringList out;
        for (const auto &j : thread.jobs())
            out << QString::number(j.type) + QLatin1Char(':')
                    + QString::fromLatin1(j.bytes.toHex(' '));
        return out;
    }

private Q_SLOTS:
    void init() { thread.clear(); }

    // Every value of every value byte, loaded and stored again through the controls.
    void loadStoreRoundTrip_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("offset");
        QTest::addColumn<bool>("pairs"); // value bytes are the even bytes of (value, register)
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<Normal>>("rules");
        using enum WindowId;
        QTest::newRow("Transmitter")
            << int(OutputAmplifier) << 78 << true << 10 << mixerRules(true, 9, 0);
        QTest::newRow("OutRadio") << int(ReceiverOutput) << 68 << true << 10
                                  << mixerRules(true, 9, 0);
        QTest::newRow("OutExt") << int(HeadsetOutput) << 98 << true << 10
                                << mixerRules(false, 13, 5);
        QTest::newRow("OutAcc") << int(AccessoryOutput) << 108 << true << 10
                                << mixerRules(false, 13, 5);
        QTest::newRow("OutRec mixer")
            << int(Recorder) << 88 << true << 10 << mixerRules(false, 13, 5);
        QTest::newRow("OutRec recorder") << int(Recorder) << 122 << false << 6 << recorderRules;
        QTest::newRow("Receiver") << int(InputAmplifier) << 32 << true << 18 << inputRules;
        QTest::newRow("InpRadio") << int(MicInput) << 50 << true << 18 << inputRules;
    }
    void loadStoreRoundTrip()
    {
        QFETCH(int, id);
        QFETCH(int, offset);
        QFETCH(bool, pairs);
        QFETCH(int, size);
        QFETCH(QList<Normal>, rules);
        const TK440 base = newImage(TK440::ModelRA);
        const int step = pairs ? 2 : 1;
        for (int i = 0; i < size; i += step) {
            for (int v = 0; v < 256; ++v) {
                TK440 img = base;
                img.b[offset + i] = quint8(v);
                TK440 expected = img;
                expected.b[offset + i] = quint8(rules[i / step](v));
                auto page = open(WindowId(id), img);
                child<QAbstractButton>(page.get(), "bSave")->click();
                if (bytes(img, 0, TK440::Size) != bytes(expected, 0, TK440::Size)) {
                    QFAIL(
                        qPrintable(QStringLiteral("byte %1 value 0x%2: stored 0x%3, expected 0x%4")
                                       .arg(i)
                                       .arg(v, 0, 16)
                                       .arg(img.b[offset + i], 0, 16)
                                       .arg(expected.b[offset + i], 0, 16)));
                }
            }
        }
    }

    void transmitterOnNewImage()
    {
        TK440 img = newImage(TK440::ModelRA);
        QCOMPARE(bytes(img, 78, 10), hexBytes("76 58 8c 5c 76 5b 76 59 09 5d"));
        auto page = open(WindowId::OutputAmplifier, img);
        auto *dac1 = child<QGroupBox>(page.get(), "boxDac1");
        QCOMPARE(dac1->title(), QStringLiteral("Передатчик"));
        QVERIFY(dac1->isChecked());
        QCOMPARE(child<QLineEdit>(page.get(), "lineDac1")->text(), QStringLiteral("-6"));
        QVERIFY(!child<QGroupBox>(page.get(), "boxPga1")->isChecked());
        QCOMPARE(child<QLineEdit>(page.get(), "linePga1")->text(), QStringLiteral("Откл."));
        QVERIFY(child<QGroupBox>(page.get(), "boxAmp")->isChecked());
        QCOMPARE(child<QDial>(page.get(), "dialAmp")->value(), 0);
        // the linked gain controls follow each other
        child<QSpinBox>(page.get(), "spinAmp")->setValue(7);
        QCOMPARE(child<QDial>(page.get(), "dialAmp")->value(), 7);
    }

    void outputLoads_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("pair");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("stem");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<int>("dial");
        using enum WindowId;
        QTest::newRow("0x7f is off at 118")
            << int(HeadsetOutput) << 0 << 0x7F << "Pga1" << false << 118;
        QTest::newRow("0xf0 gain clamps to 9")
            << int(OutputAmplifier) << 4 << 0xF0 << "Amp" << false << 9;
        QTest::newRow("recorder amp 13 on") << int(Recorder) << 4 << 0x3D << "Amp" << true << 3;
        QTest::newRow("accessory pga2 routed")
            << int(AccessoryOutput) << 2 << 0x85 << "Pga2" << true << 5;
    }
    void outputLoads()
    {
        QFETCH(int, id);
        QFETCH(int, pair);
        QFETCH(int, value);
        QFETCH(QString, stem);
        QFETCH(bool, checked);
        QFETCH(int, dial);
        TK440 img = newImage(TK440::ModelRA);
        const int offset = windowRow(WindowId(id)).sections[0].offset;
        img.b[offset + 2 * pair] = quint8(value);
        auto page = open(WindowId(id), img);
        QCOMPARE(child<QGroupBox>(page.get(), "box" + stem)->isChecked(), checked);
        QCOMPARE(child<QDial>(page.get(), "dial" + stem)->value(), dial);
        if (stem != "Amp")
            QCOMPARE(child<QLineEdit>(page.get(), "line" + stem)->text(),
                     dial == 118 ? QStringLiteral("Откл.") : QString::number(-0.5 * dial));
    }

    void headsetAmplifierOff()
    {
        TK440 img = newImage(TK440::ModelRA);
        {
            auto page = open(WindowId::HeadsetOutput, img);
            child<QGroupBox>(page.get(), "boxAmp")->setChecked(false);
            child<QAbstractButton>(page.get(), "bSave")->click();
        }
        QCOMPARE(img.b[98 + 8] & 0x0F, 5);
        auto again = open(WindowId::HeadsetOutput, img);
        QVERIFY(!child<QGroupBox>(again.get(), "boxAmp")->isChecked());
    }

    void titlesByModel_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<quint16>("model");
        QTest::addColumn<QString>("dac1");
        QTest::addColumn<QString>("pga1");
        using enum WindowId;
        const quint16 ra = TK440::ModelRA, rb = TK440::ModelRB;
        QTest::newRow("OutRadio RA") << int(ReceiverOutput) << ra << "Приемник"
                                     << "Микрофон";
        QTest::newRow("OutRadio RB") << int(MicOutput) << rb << "Микрофон"
                                     << "Приемник";
        QTest::newRow("OutExt RB") << int(HeadsetOutput) << rb << "Микрофон"
                                   << "Приемник";
        QTest::newRow("OutRec RA") << int(Recorder) << ra << "Приемник"
                                   << "Микрофон";
        QTest::newRow("OutRec RB") << int(Recorder) << rb << "Микрофон"
                                   << "Приемник";
        QTest::newRow("OutAcc RB keeps the form") << int(AccessoryOutput) << rb << "Приемник"
                                                  << "Микрофон";
        QTest::newRow("Transmitter RB keeps the form") << int(OutputAmplifier) << rb << "Передатчик"
                                                       << "Приемник";
    }
    void titlesByModel()
    {
        QFETCH(int, id);
        QFETCH(quint16, model);
        QFETCH(QString, dac1);
        QFETCH(QString, pga1);
        TK440 img = newImage(model);
        auto page = open(WindowId(id), img);
        page->show();
        QCOMPARE(child<QGroupBox>(page.get(), "boxDac1")->title(), dac1);
        QCOMPARE(child<QGroupBox>(page.get(), "boxPga1")->title(), pga1);
        if (WindowId(id) == WindowId::Recorder) // "Уровень Rx" only where the LF amplifier is
            QCOMPARE(child<QGroupBox>(page.get(), "boxVol")->isVisible(), model == TK440::ModelRA);
    }

    void inputTitleByModel()
    {
        for (quint16 model : {TK440::ModelRA, TK440::ModelRB}) {
            TK440 img = newImage(model);
            auto page = open(WindowId::MicInput, img);
            QCOMPARE(child<QGroupBox>(page.get(), "boxLine1")->title(),
                     model == TK440::ModelRB ? QStringLiteral("Приемник")
                                             : QStringLiteral("Микрофон"));
        }
    }

    // An image of no known model has no radio output: the page closes before it shows anything
    // and says why; the section's values stay as they were.
    void outRadioUnknownModel()
    {
        TK440 img = newImage(TK440::ModelRA);
        img.setWord(TK440::ModelOffset, 0x0307);
        const QByteArray before = bytes(img, 68, 10);
        registerBuiltinPages();
        WindowContext ctx;
        ctx.thread = &thread;
        ctx.image = &img;
        QPointer<SubWindow> page = windowRegistry().create(WindowId::ReceiverOutput, ctx);
        QVERIFY(page);
        QVERIFY(!page->refusal().isEmpty());
        QVERIFY(!page->isVisible());
        QTRY_VERIFY(page.isNull());
        for (int i = 0; i < 10; i += 2)
            QCOMPARE(img.b[68 + i], quint8(before[i]));
        TK440 known = newImage(TK440::ModelRB);
        auto shown = open(WindowId::MicOutput, known);
        QVERIFY(shown->refusal().isEmpty());
    }

    void inputShows_data()
    {
        QTest::addColumn<int>("pair");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QVariant>("shown");
        QTest::newRow("V0 0x94 line on") << 0 << 0x94 << "boxLine1" << QVariant(true);
        QTest::newRow("V0 0x94 -3 dB") << 0 << 0x94 << "spinLine1" << QVariant(-3.0);
        QTest::newRow("V0 0xfc line off") << 0 << 0xFC << "boxLine1" << QVariant(false);
        QTest::newRow("V0 0xfc -12 dB") << 0 << 0xFC << "spinLine1" << QVariant(-12.0);
        QTest::newRow("V0 L1 12 dial 8") << 0 << 0xE4 << "dialLine1" << QVariant(8);
        QTest::newRow("V2 0xb0 amp off") << 2 << 0xB0 << "boxAmp" << QVariant(false);
        QTest::newRow("V2 0xb0 24 dB") << 2 << 0xB0 << "spinGain" << QVariant(24.0);
        QTest::newRow("decay 7") << 7 << 0x9C << "lineDecay" << QVariant("4000");
        QTest::newRow("attack 7") << 6 << 0x9C << "lineAttack" << QVariant("896");
        QTest::newRow("noise delay 1") << 5 << 0x08 << "lineDetNoise" << QVariant("0.5");
        QTest::newRow("noise delay 8") << 5 << 0x40 << "lineDetNoise" << QVariant("64");
        QTest::newRow("noise delay 31") << 5 << 0xF8 << "lineDetNoise" << QVariant("1536");
        QTest::newRow("noise delay 0") << 5 << 0x00 << "lineDetNoise" << QVariant("0");
        QTest::newRow("noise level off") << 4 << 0x00 << "lineNoiseLvl" << QVariant("Откл.");
        QTest::newRow("noise level 1") << 4 << 0x02 << "lineNoiseLvl" << QVariant("-30");
        QTest::newRow("noise level 31") << 4 << 0x3E << "lineNoiseLvl" << QVariant("-90");
        QTest::newRow("agc level 5") << 8 << 0xD0 << "spinAgcLvl" << QVariant(-17.0);
        QTest::newRow("gate off") << 4 << 0xC0 << "radioNoiseGate_3" << QVariant(true);
    }
    void inputShows()
    {
        QFETCH(int, pair);
        QFETCH(int, value);
        QFETCH(QString, control);
        QFETCH(QVariant, shown);
        for (WindowId id : {WindowId::InputAmplifier, WindowId::MicInput}) {
            TK440 img = newImage(TK440::ModelRA);
            const int offset = windowRow(id).sections[0].offset;
            img.b[offset + 2 * pair] = quint8(value);
            auto page = open(id, img, nullptr, 10);
            QObject *w = page->findChild<QObject *>(control);
            QVERIFY(w);
            const char *property = qobject_cast<QLineEdit *>(w) ? "text"
                : qobject_cast<QAbstractSlider *>(w) || qobject_cast<QAbstractSpinBox *>(w)
                ? "value"
                : "checked";
            QCOMPARE(w->property(property), shown);
        }
    }

    void agcLevelSpin()
    {
        TK440 img = newImage(TK440::ModelRA);
        auto page = open(WindowId::MicInput, img);
        auto *spin = child<QDoubleSpinBox>(page.get(), "spinAgcLvl");
        spin->setValue(-15);
        QCOMPARE(spin->value(), -17.0);
        QCOMPARE(spin->singleStep(), 3.0);
        QCOMPARE(child<QDial>(page.get(), "dialAgcLvl")->value(), 5);
        spin->stepBy(1); // -14: the next level up
        QCOMPARE(spin->value(), -14.0);
        QCOMPARE(child<QDial>(page.get(), "dialAgcLvl")->value(), 4);
        child<QDial>(page.get(), "dialAgcLvl")->setValue(0);
        QCOMPARE(spin->value(), -5.5);
        QCOMPARE(spin->singleStep(), 2.5);
    }

    // Which groups can be changed, by mode, amplifier mode and page.
    void enabling_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("agcByte");
        QTest::addColumn<QString>("enabled"); // controls enabled, in the order listed below
        using enum WindowId;
        // boxLine2 boxAmp boxGain boxAgcLvl boxAgcGain tabAgc checkClip speeds delays, as the
        // user meets them (a control in a disabled box or tab is disabled too)
        QTest::newRow("Receiver mode 1 fixed")
            << int(InputAmplifier) << 1 << 0x40 << "0 0 1 0 0 0 0 0 0";
        QTest::newRow("Receiver mode 1 agc")
            << int(InputAmplifier) << 1 << 0xC0 << "0 0 0 1 1 1 0 0 0";
        QTest::newRow("Receiver mode 10 fixed")
            << int(InputAmplifier) << 10 << 0x40 << "1 1 1 0 0 0 0 0 0";
        QTest::newRow("Receiver mode 10 agc")
            << int(InputAmplifier) << 10 << 0xC0 << "1 1 0 1 1 1 1 1 1";
        QTest::newRow("InpRadio mode 1 agc") << int(MicInput) << 1 << 0xC0 << "1 1 0 1 1 1 1 1 1";
    }
    void enabling()
    {
        QFETCH(int, id);
        QFETCH(int, mode);
        QFETCH(int, agcByte);
        QFETCH(QString, enabled);
        TK440 img = newImage(TK440::ModelRA);
        img.b[windowRow(WindowId(id)).sections[0].offset + 16] = quint8(agcByte);
        auto page = open(WindowId(id), img, nullptr, mode);
        page->show();
        const QString speeds = WindowId(id) == WindowId::InputAmplifier ? "boxAgcSpeed" : "boxSpee";
        const QStringList names = {"boxLine2", "boxAmp",    "boxGain", "boxAgcLvl",  "boxAgcGain",
                                   "tabAgc",   "checkClip", speeds,    "boxAgcDelay"};
        QStringList got;
        for (const QString &n : names)
            got << (child<QWidget>(page.get(), n)->isEnabled() ? "1" : "0");
        QCOMPARE(got.join(' '), enabled);
        QCOMPARE(child<QWidget>(page.get(), "boxLine2")->isVisible(), enabled.startsWith('1'));
    }

    void amplifierSwitch()
    {
        TK440 img = newImage(TK440::ModelRA);
        img.b[32 + 16] = 0xC0; // AGC
        auto page = open(WindowId::InputAmplifier, img, nullptr, 10);
        auto *amp = child<QGroupBox>(page.get(), "boxAmp");
        amp->setChecked(false);
        for (const char *n : {"boxGain", "boxAgcLvl", "boxAgcGain", "tabAgc"})
            QVERIFY2(!child<QWidget>(page.get(), n)->isEnabled(), n);
        amp->setChecked(true);
        QVERIFY(child<QWidget>(page.get(), "tabAgc")->isEnabled());
        QVERIFY(!child<QWidget>(page.get(), "boxGain")->isEnabled());
        child<QAbstractButton>(page.get(), "radioPga")->setChecked(true);
        QVERIFY(child<QWidget>(page.get(), "boxGain")->isEnabled());
        QVERIFY(!child<QWidget>(page.get(), "tabAgc")->isEnabled());
    }

    // What test mode queues for a change, in order, once the controls rest.
    void testModeSends_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<QByteArray>("preset"); // value bytes of the section before opening
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("value");
        QTest::addColumn<QStringList>("jobs");
        using enum WindowId;
        const QByteArray none;
        QTest::newRow("Transmitter dialDac1") << int(OutputAmplifier) << none << "dialDac1" << 20
                                              << QStringList {"5:5c 94", "8:5c 94"};
        QTest::newRow("OutRadio dialDac1") << int(ReceiverOutput) << none << "dialDac1" << 30
                                           << QStringList {"5:52 9e", "8:52 9e"};
        QTest::newRow("OutExt dialDac1")
            << int(HeadsetOutput) << none << "dialDac1" << 5 << QStringList {"5:3d 85", "9:3d 85"};
        QTest::newRow("OutAcc dialDac1")
            << int(AccessoryOutput) << none << "dialDac1" << 10 << QStringList {"5:44 0a"};
        QTest::newRow("OutAcc boxPga2 off") << int(AccessoryOutput) << hexBytes("76 76 85 76 05")
                                            << "boxPga2" << 0 << QStringList {"5:43 05"};
        QTest::newRow("OutRec dialPga1") << int(Recorder) << none << "dialPga1" << 4
                                         << QStringList {"5:31 84", "10:31 84 2f 80"};
        QTest::newRow("OutRec checkTx")
            << int(Recorder) << none << "checkTx" << 1 << QStringList {"7:00 06 00 7f 00 00"};
        QTest::newRow("OutRec boxAmp off")
            << int(Recorder) << none << "boxAmp" << 0 << QStringList {"5:33 05"};
        QTest::newRow("Transmitter defaults, every group")
            << int(OutputAmplifier) << hexBytes("85 85 85 85 39") << "bReset" << 0
            << QStringList {"5:5c 8c", "8:5c 8c", "5:58 76", "5:59 76", "5:5b 76", "5:5d 09"};
        QTest::newRow("Receiver boxAmp off")
            << int(InputAmplifier) << none << "boxAmp" << 0 << QStringList {"5:0f b0"};
        QTest::newRow("Receiver dialDecay")
            << int(InputAmplifier) << none << "dialDecay" << 7 << QStringList {"5:68 9c"};
        QTest::newRow("Receiver first gate")
            << int(InputAmplifier) << none << "radioNoiseGate_0" << 1 << QStringList {"5:1c 2b"};
        QTest::newRow("Receiver defaults, every group")
            << int(InputAmplifier) << hexBytes("94 f3 10 20 00 00 80 80 f0") << "bReset" << 0
            << QStringList {"5:13 84", "5:11 ff", "5:0f 30", "5:1b 50", "5:1c ab",
                            "5:67 88", "5:68 88", "5:22 44", "5:1a 40"};
        QTest::newRow("InpRadio radioAgc")
            << int(MicInput) << none << "radioAgc" << 1 << QStringList {"5:1d c0"};
        QTest::newRow("InpRadio fixed gain again")
            << int(MicInput) << hexBytes("84 ff 00 50 ab 44 88 88 c0") << "radioPga" << 1
            << QStringList {"5:1d 40"};
        QTest::newRow("InpRadio dialDetNoise")
            << int(MicInput) << none << "dialDetNoise" << 9 << QStringList {"5:23 4c"};
    }
    void testModeSends()
    {
        QFETCH(int, id);
        QFETCH(QByteArray, preset);
        QFETCH(QString, control);
        QFETCH(int, value);
        QFETCH(QStringList, jobs);
        TK440 img = newImage(TK440::ModelRA);
        const int offset = windowRow(WindowId(id)).sections[0].offset;
        for (int i = 0; i < preset.size(); ++i)
            img.b[offset + 2 * i] = quint8(preset[i]);
        auto page = open(WindowId(id), img, &thread, 10);
        child<QAbstractButton>(page.get(), "bTest")->setChecked(true);
        QObject *w = page->findChild<QObject *>(control);
        QVERIFY(w);
        if (control == "bReset")
            qobject_cast<QAbstractButton *>(w)->click();
        else if (auto *slider = qobject_cast<QAbstractSlider *>(w))
            slider->setValue(value);
        else
            QVERIFY(w->setProperty("checked", value != 0));
        QCOMPARE(thread.count(), 0); // nothing before the pause
        QCOMPARE(settledJobs(), jobs);
    }

    // The whole road for the two changes the input and output families are judged by.
    void reachesController()
    {
        TThread worker;
        auto sim = std::make_shared<SimController>();
        sim->setTimeoutWait(20);
        worker.setTransport(makeSimulatedTransport(sim));
        worker.checkDevice();
        QVERIFY(QTest::qWaitFor([&] { return worker.isConnected(); }, 5000));
        QTest::qWait(20);
        sim->clearTransfers();

        TK440 img = newImage(TK440::ModelRA);
        auto tx = open(WindowId::OutputAmplifier, img, &worker);
        child<QAbstractButton>(tx.get(), "bTest")->setChecked(true);
        auto *dial = child<QDial>(tx.get(), "dialDac1");
        for (int v = 13; v <= 40; ++v) {
            dial->setValue(v);
            QTest::qWait(10);
        }
        QTRY_COMPARE_WITH_TIMEOUT(sim->moved(0x01).size(), 2, 2000);
        QTest::qWait(300);
        QCOMPARE(
            sim->moved(0x01),
            (QList<QByteArray> {hexBytes("0003 0000 0002 0018 5c a8"), hexBytes("00 05 5c a8")}));
        QCOMPARE(sim->codecRegister(92), quint8(0xa8));
        QCOMPARE(sim->parameter(5), hexBytes("5c a8"));

        sim->clearTransfers();
        auto rx = open(WindowId::InputAmplifier, img, &worker);
        child<QAbstractButton>(rx.get(), "bTest")->setChecked(true);
        child<QGroupBox>(rx.get(), "boxAmp")->setChecked(false);
        QTRY_COMPARE_WITH_TIMEOUT(sim->moved(0x01).size(), 1, 2000);
        QTest::qWait(300);
        QCOMPARE(sim->moved(0x01), QList<QByteArray> {hexBytes("0003 0000 0002 0018 0f b0")});
        QCOMPARE(sim->codecRegister(15), quint8(0xb0));
    }
};

QTEST_MAIN(TstIoPages)
#include "tst_iopages.moc"
