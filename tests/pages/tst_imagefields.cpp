// The fields k330ctl lists (config/imagefields.h) against what the pages show: every page of
// the model is built on the image and each listed field is compared with its control.
#include "config/defaultimage.h"
#include "config/imagefields.h"
#include "config/tk440.h"
#include "config/widgets/windowregistry.h"
#include "config/windows.h"
#include "jobrecorder.h"
#include "pages/builtinpages.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHash>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

#include <memory>

namespace {

// The value a control shows, in the form the field list gives it.
QString shown(QWidget *w)
{
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    if (auto *s = qobject_cast<QDoubleSpinBox *>(w))
        return QString::number(s->value(), 'g', 6);
    if (auto *s = qobject_cast<QSpinBox *>(w))
        return QString::number(s->value());
    if (auto *c = qobject_cast<QComboBox *>(w))
        return c->currentText().trimmed();
    if (auto *g = qobject_cast<QGroupBox *>(w))
        return g->isChecked() ? QStringLiteral("on") : QStringLiteral("off");
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        return b->isChecked() ? QStringLiteral("on") : QStringLiteral("off");
    return QStringLiteral("<unknown control>");
}

bool sameValue(const QString &a, const QString &b)
{
    bool okA = false;
    bool okB = false;
    const double x = a.toDouble(&okA);
    const double y = b.toDouble(&okB);
    if (okA && okB)
        return qAbs(x - y) < 1e-6;
    return a == b;
}

// Field name -> object name of the control that shows it, by kind of page.
const QHash<QString, QString> &outputControls()
{
    static const QHash<QString, QString> m {
        {"pga1", "boxPga1"},        {"pga1.level", "linePga1"}, {"dac1", "boxDac1"},
        {"dac1.level", "lineDac1"}, {"pga2", "boxPga2"},        {"pga2.level", "linePga2"},
        {"dac2", "boxDac2"},        {"dac2.level", "lineDac2"}, {"amp", "boxAmp"},
        {"amp.gain", "spinAmp"},    {"level", "boxVol"},        {"level.value", "spinVol"},
        {"ptt", "checkPtt"},        {"tx.lamp", "checkTx"},     {"rx.lamp", "checkRx"},
    };
    return m;
}

const QHash<QString, QString> &inputControls()
{
    static const QHash<QString, QString> m {
        {"line1", "boxLine1"},
        {"line1.level", "spinLine1"},
        {"line2", "boxLine2"},
        {"line2.level", "spinLine2"},
        {"amp", "boxAmp"},
        {"gain", "spinGain"},
        {"agc", "radioAgc"},
        {"agc.level", "spinAgcLvl"},
        {"agc.gain", "spinAgcGain"},
        {"attack", "lineAttack"},
        {"decay", "lineDecay"},
        {"noise.level", "lineNoiseLvl"},
        {"clip", "checkClip"},
        {"detect.noise", "lineDetNoise"},
        {"detect.signal", "lineDetSignal"},
    };
    return m;
}

const QHash<QString, QString> &controlsOf(WindowId id)
{
    static const QHash<QString, QString> amp {{"gain", "lineGain"}};
    static const QHash<QString, QString> voc {
        {"ptt", "chkPtt"},       {"vad", "chkVad"},       {"vbr", "chkVbr"},
        {"anc", "chkAnc"},       {"rate", "boxRate"},     {"packet", "spinETime"},
        {"vad.gain", "spinVad"}, {"anc.gain", "spinAnc"}, {"buffer.adjust", "chkAdj"},
        {"buffer", "spinDTime"},
    };
    static const QHash<QString, QString> link {
        {"n1", "sN1"},    {"n2", "sN2"},     {"n3", "sN3"},          {"k", "sK"},
        {"t0", "sT0"},    {"t1", "sT1"},     {"t2", "sT2"},          {"t3", "sT3"},
        {"loss", "eErr"}, {"ack", "chkAck"}, {"adaptive", "chkTmr"},
    };
    static const QHash<QString, QString> modem {
        {"tone.level", "lineTone"}, {"out.level", "lineLvl"}, {"out.agc", "chkOutAgc"},
        {"out.ref", "OutRef"},      {"out.gerr", "OutGErr"},  {"inp.tone", "InpTone"},
        {"inp.gain", "lineGain"},   {"inp.agc", "chkInpAgc"}, {"inp.ref", "InpRef"},
        {"inp.gerr", "InpGErr"},
    };
    static const QHash<QString, QString> none;
    switch (id) {
    case WindowId::MicInput:
    case WindowId::ReceiverInput:
    case WindowId::InputAmplifier:
        return inputControls();
    case WindowId::ReceiverOutput:
    case WindowId::MicOutput:
    case WindowId::HeadsetOutput:
    case WindowId::AccessoryOutput:
    case WindowId::OutputAmplifier:
    case WindowId::Recorder:
        return outputControls();
    case WindowId::Amplifier:
        return amp;
    case WindowId::Vocoder:
        return voc;
    case WindowId::Protocol:
        return link;
    case WindowId::Modem:
        return modem;
    default:
        return none;
    }
}

// Fields shown by a group of radio buttons: the value from the one that is checked.
QString radioValue(QWidget *page, const QString &field)
{
    if (field == QLatin1String("modulation")) {
        auto *pwm = page->findChild<QAbstractButton *>(QStringLiteral("radioPWM"));
        return pwm && pwm->isChecked() ? QStringLiteral("ШИМ") : QStringLiteral("СДМ");
    }
    if (field == QLatin1String("noise.gate")) {
        for (int i = 0; i < 4; ++i) {
            auto *b =
                page->findChild<QAbstractButton *>(QStringLiteral("radioNoiseGate_%1").arg(i));
            if (b && b->isChecked())
                return QString::number(i);
        }
    }
    return {};
}

} // namespace

class TstImageFields : public QObject
{
    Q_OBJECT

    JobRecorder thread;

private Q_SLOTS:
    void initTestCase() { registerBuiltinPages(); }

    void fieldsAreWhatThePagesShow_data()
    {
        QTest::addColumn<quint16>("model");
        QTest::addColumn<int>("seed"); // 0: the defaults
        for (int seed : {0, 11, 201}) {
            QTest::addRow("RA %d", seed) << TK440::ModelRA << seed;
            QTest::addRow("RB %d", seed) << TK440::ModelRB << seed;
        }
    }

    void fieldsAreWhatThePagesShow()
    {
        QFETCH(quint16, model);
        QFETCH(int, seed);
        TK440 image;
        makeDefaultImage(image, model);
        if (seed) {
            // Every section byte differs from its neighbours, the register bytes of the
            // (value, register) pairs excepted: the pages rewrite those.
            for (int i = TK440::CodecOffset; i < TK440::ConfigAreaSize; ++i) {
                if (i >= TK440::AmpOffset || (i - TK440::CodecOffset) % 2 == 0)
                    image.b[i] = quint8(i * (seed + 26) + seed);
            }
        }
        const QList<ImageSection> sections = describeImage(image);
        int compared = 0;
        for (const ImageSection &s : sections) {
            const WindowRow *row = findWindow(s.title);
            if (!row || row->kind != WindowKind::Page || row->id == WindowId::Codec)
                continue;
            // Each page on its own copy, as the main window opens it on the working copy.
            TK440 work = image;
            WindowContext ctx;
            ctx.thread = &thread;
            ctx.image = &work;
            ctx.mode = int(OperatingMode::ServiceAll);
            std::unique_ptr<QWidget> page(windowRegistry().create(row->id, ctx));
            QVERIFY2(page, qPrintable(s.title));
            const QHash<QString, QString> &controls = controlsOf(row->id);
            for (const ImageField &f : s.fields) {
                const QString where = s.title + QStringLiteral(" / ") + f.name;
                QString value = radioValue(page.get(), f.name);
                if (value.isEmpty()) {
                    QVERIFY2(controls.contains(f.name), qPrintable(where + " has no control"));
                    auto *w = page->findChild<QWidget *>(controls.value(f.name));
                    QVERIFY2(w, qPrintable(where + ": no " + controls.value(f.name)));
                    value = shown(w);
                }
                QVERIFY2(sameValue(f.value, value),
                         qPrintable(where + ": listed " + f.value + ", shown " + value));
                ++compared;
            }
        }
        QVERIFY(compared > 60);
    }

    // Every byte of a section that differs shows in the comparison, whether or not a field
    // shows it; equal images compare equal.
    void everyChangedByteIsReported_data()
    {
        QTest::addColumn<quint16>("model");
        QTest::newRow("RA") << TK440::ModelRA;
        QTest::newRow("RB") << TK440::ModelRB;
        // Codes without a model name (a foreign or damaged file) all show as "xxxxxxx".
        QTest::newRow("unknown model 0x2B13") << quint16(0x2B13);
        QTest::newRow("unknown model 0x0000") << quint16(0x0000);
    }

    void everyChangedByteIsReported()
    {
        QFETCH(quint16, model);
        TK440 a;
        makeDefaultImage(a, model);
        QVERIFY(compareImages(a, a, true).isEmpty());
        for (int i = TK440::CheckedOffset; i < TK440::Size; ++i) {
            TK440 b = a;
            b.b[i] ^= 0x01;
            const QList<FieldDifference> d = compareImages(a, b, true);
            QVERIFY2(!d.isEmpty(), qPrintable(QStringLiteral("byte %1").arg(i)));
            for (const FieldDifference &x : d)
                QVERIFY(x.a != x.b);
        }
        TK440 b = a;
        b.b[TK440::CpuIdOffset] ^= 1;
        QVERIFY(compareImages(a, b).isEmpty());
        QCOMPARE(compareImages(a, b, true).size(), 1);
    }
};

QTEST_MAIN(TstImageFields)
#include "tst_imagefields.moc"
