#include "pages/input.h"

#include "config/modes.h"
#include "device/tthread.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDial>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>

using namespace InputModel;

namespace {
// Group bits of the test mode and the pair each sends, in sending order.
struct Group
{
    int bit;
    int pair;
};
constexpr Group groups[] = {{0x001, PairLine1},   {0x002, PairLine2},  {0x004, PairGain},
                            {0x008, PairAgcGain}, {0x010, PairNoise},  {0x020, PairAttack},
                            {0x040, PairDecay},   {0x080, PairDetect}, {0x100, PairAgc}};

template<class W> W *formChild(QWidget *page, const char *name)
{
    auto *w = page->findChild<W *>(QLatin1String(name));
    Q_ASSERT_X(w, "InputPage", name);
    return w;
}
} // namespace

InputPage::InputPage(Input input, TThread *thread, quint8 *section, QWidget *parent)
    : LivePage(thread, DefaultDebounceMs, parent)
    , profile(InputModel::profile(input))
    , sec(section)
{ }

void InputPage::init(int mode, bool connected, const char *speedBox)
{
    QWidget *p = this;
    c.boxLine1 = formChild<QGroupBox>(p, "boxLine1");
    c.boxLine2 = formChild<QGroupBox>(p, "boxLine2");
    c.boxAmp = formChild<QGroupBox>(p, "boxAmp");
    c.boxGain = formChild<QGroupBox>(p, "boxGain");
    c.boxAgcLvl = formChild<QGroupBox>(p, "boxAgcLvl");
    c.boxAgcGain = formChild<QGroupBox>(p, "boxAgcGain");
    c.boxSpeed = formChild<QGroupBox>(p, speedBox);
    c.boxAgcDelay = formChild<QGroupBox>(p, "boxAgcDelay");
    c.dialLine1 = formChild<QDial>(p, "dialLine1");
    c.dialLine2 = formChild<QDial>(p, "dialLine2");
    c.dialGain = formChild<QDial>(p, "dialGain");
    c.dialAgcLvl = formChild<QDial>(p, "dialAgcLvl");
    c.dialAgcGain = formChild<QDial>(p, "dialAgcGain");
    c.dialDecay = formChild<QDial>(p, "dialDecay");
    c.dialAttack = formChild<QDial>(p, "dialAttack");
    c.dialDetNoise = formChild<QDial>(p, "dialDetNoise");
    c.dialDetSignal = formChild<QDial>(p, "dialDetSignal");
    c.dialNoiseLvl = formChild<QDial>(p, "dialNoiseLvl");
    c.spinLine1 = formChild<QDoubleSpinBox>(p, "spinLine1");
    c.spinLine2 = formChild<QDoubleSpinBox>(p, "spinLine2");
    c.spinGain = formChild<QDoubleSpinBox>(p, "spinGain");
    c.spinAgcLvl = formChild<QDoubleSpinBox>(p, "spinAgcLvl");
    c.spinAgcGain = formChild<QDoubleSpinBox>(p, "spinAgcGain");
    c.lineDecay = formChild<QLineEdit>(p, "lineDecay");
    c.lineAttack = formChild<QLineEdit>(p, "lineAttack");
    c.lineDetNoise = formChild<QLineEdit>(p, "lineDetNoise");
    c.lineDetSignal = formChild<QLineEdit>(p, "lineDetSignal");
    c.lineNoiseLvl = formChild<QLineEdit>(p, "lineNoiseLvl");
    c.radioPga = formChild<QRadioButton>(p, "radioPga");
    c.radioAgc = formChild<QRadioButton>(p, "radioAgc");
    c.radioNoiseGate = {formChild<QRadioButton>(p, "radioNoiseGate_0"),
                        formChild<QRadioButton>(p, "radioNoiseGate_1"),
                        formChild<QRadioButton>(p, "radioNoiseGate_2"),
                        formChild<QRadioButton>(p, "radioNoiseGate_3")};
    c.checkClip = formChild<QCheckBox>(p, "checkClip");
    c.tabAgc = formChild<QWidget>(p, "tabAgc");

    writeRegisters(profile, sec);
    setUp(mode, connected);
}

void InputPage::DialL1(int v)
{
    c.spinLine1->setValue(lineDb(v));
}

void InputPage::DialL2(int v)
{
    c.spinLine2->setValue(lineDb(v));
}

void InputPage::SpinL1(double x)
{
    c.dialLine1->setValue(lineStep(x));
    // A typed value between two steps shows the step the dial took.
    c.spinLine1->setValue(lineDb(c.dialLine1->value()));
}

void InputPage::SpinL2(double x)
{
    c.dialLine2->setValue(lineStep(x));
    // A typed value between two steps shows the step the dial took.
    c.spinLine2->setValue(lineDb(c.dialLine2->value()));
}

void InputPage::ChkAmp(bool on)
{
    if (!on) {
        for (QWidget *w : {static_cast<QWidget *>(c.boxGain), static_cast<QWidget *>(c.boxAgcLvl),
                           static_cast<QWidget *>(c.boxAgcGain), c.tabAgc})
            w->setEnabled(false);
        return;
    }
    if (c.radioPga->isChecked())
        ChkPga(true);
    else
        ChkAgc(true);
}

void InputPage::ChkPga(bool on)
{
    if (!on)
        return;
    c.boxGain->setEnabled(true);
    c.checkClip->setEnabled(false);
    c.boxAgcLvl->setEnabled(false);
    c.boxAgcGain->setEnabled(false);
    c.tabAgc->setEnabled(false);
}

void InputPage::ChkAgc(bool on)
{
    if (!on)
        return;
    c.boxGain->setEnabled(false);
    c.checkClip->setEnabled(true);
    c.boxAgcLvl->setEnabled(true);
    c.boxAgcGain->setEnabled(true);
    c.tabAgc->setEnabled(true);
}

void InputPage::DialGain(int v)
{
    c.spinGain->setValue(gainDb(v));
}

void InputPage::SpinGain(double x)
{
    c.dialGain->setValue(gainStep(x));
    // A typed value between two steps shows the step the dial took.
    c.spinGain->setValue(gainDb(c.dialGain->value()));
}

void InputPage::DialAgcLvl(int t)
{
    if (t < 0 || t >= AgcLevels)
        return;
    c.spinAgcLvl->setSingleStep(agcLevelSingleStep(t));
    c.spinAgcLvl->setValue(agcLevelDb(t));
}

void InputPage::SpinAgcLvl(double x)
{
    const int t = agcLevelCode(x);
    c.spinAgcLvl->setSingleStep(agcLevelSingleStep(t));
    c.spinAgcLvl->setValue(agcLevelDb(t));
    c.dialAgcLvl->setValue(t);
}

void InputPage::DialAgcGain(int v)
{
    c.spinAgcGain->setValue(gainDb(v));
}

void InputPage::SpinAgcGain(double x)
{
    c.dialAgcGain->setValue(gainStep(x));
    // A typed value between two steps shows the step the dial took.
    c.spinAgcGain->setValue(gainDb(c.dialAgcGain->value()));
}

void InputPage::DialAttack(int v)
{
    c.lineAttack->setText(attackText(v));
}

void InputPage::DialDecay(int v)
{
    c.lineDecay->setText(decayText(v));
}

void InputPage::DialNoiseLvl(int v)
{
    c.lineNoiseLvl->setText(noiseLevelText(v));
}

void InputPage::DialSignalDet(int v)
{
    c.lineDetSignal->setText(signalDelayText(v));
}

void InputPage::DialNoiseDet(int v)
{
    c.lineDetNoise->setText(noiseDelayText(v));
}

void InputPage::writeDefaults()
{
    InputModel::writeDefaults(profile, sec);
}

void InputPage::Load()
{
    const Values v = load(sec);
    c.boxLine1->setChecked(v.line1On);
    c.dialLine1->setValue(v.line1);
    c.boxLine2->setChecked(v.line2On);
    c.dialLine2->setValue(v.line2);
    c.boxAmp->setChecked(v.ampOn);
    c.dialGain->setValue(v.gain);
    c.dialAgcGain->setValue(v.agcGain);
    c.dialNoiseLvl->setValue(v.noiseLevel);
    c.radioNoiseGate[size_t(v.gate)]->setChecked(true);
    c.checkClip->setChecked(v.clip);
    c.dialAttack->setValue(v.attack);
    c.dialDecay->setValue(v.decay);
    c.dialDetNoise->setValue(v.detNoise);
    c.dialDetSignal->setValue(v.detSignal);
    if (v.agc) {
        c.radioAgc->setChecked(true);
        ChkAgc(true);
    } else {
        c.radioPga->setChecked(true);
        ChkPga(true);
    }
    c.dialAgcLvl->setValue(v.agcLevel);
}

void InputPage::Store()
{
    Values v;
    v.line1On = c.boxLine1->isChecked();
    v.line1 = c.dialLine1->value();
    v.line2On = c.boxLine2->isChecked();
    v.line2 = c.dialLine2->value();
    v.ampOn = c.boxAmp->isChecked();
    v.gain = c.dialGain->value();
    v.agcGain = c.dialAgcGain->value();
    v.noiseLevel = c.dialNoiseLvl->value();
    v.gate = 0;
    for (int g = 1; g < 4; ++g) {
        if (c.radioNoiseGate[size_t(g)]->isChecked())
            v.gate = g;
    }
    v.clip = c.checkClip->isChecked();
    v.attack = c.dialAttack->value();
    v.decay = c.dialDecay->value();
    v.detNoise = c.dialDetNoise->value();
    v.detSignal = c.dialDetSignal->value();
    v.agc = c.radioAgc->isChecked();
    v.agcLevel = c.dialAgcLvl->value();
    store(sec, v);
}

void InputPage::connectControls()
{
    connect(c.dialLine1, &QDial::valueChanged, this, &InputPage::DialL1);
    connect(c.dialLine2, &QDial::valueChanged, this, &InputPage::DialL2);
    connect(c.dialGain, &QDial::valueChanged, this, &InputPage::DialGain);
    connect(c.dialAgcLvl, &QDial::valueChanged, this, &InputPage::DialAgcLvl);
    connect(c.dialAgcGain, &QDial::valueChanged, this, &InputPage::DialAgcGain);
    connect(c.dialAttack, &QDial::valueChanged, this, &InputPage::DialAttack);
    connect(c.dialDecay, &QDial::valueChanged, this, &InputPage::DialDecay);
    connect(c.dialNoiseLvl, &QDial::valueChanged, this, &InputPage::DialNoiseLvl);
    connect(c.dialDetSignal, &QDial::valueChanged, this, &InputPage::DialSignalDet);
    connect(c.dialDetNoise, &QDial::valueChanged, this, &InputPage::DialNoiseDet);
    connect(c.spinLine1, &QDoubleSpinBox::valueChanged, this, &InputPage::SpinL1);
    connect(c.spinLine2, &QDoubleSpinBox::valueChanged, this, &InputPage::SpinL2);
    connect(c.spinGain, &QDoubleSpinBox::valueChanged, this, &InputPage::SpinGain);
    connect(c.spinAgcLvl, &QDoubleSpinBox::valueChanged, this, &InputPage::SpinAgcLvl);
    connect(c.spinAgcGain, &QDoubleSpinBox::valueChanged, this, &InputPage::SpinAgcGain);
    connect(c.boxAmp, &QGroupBox::toggled, this, &InputPage::ChkAmp);
    connect(c.radioPga, &QRadioButton::toggled, this, &InputPage::ChkPga);
    connect(c.radioAgc, &QRadioButton::toggled, this, &InputPage::ChkAgc);

    watch(c.dialLine1, 0x001);
    watch(c.boxLine1, 0x001);
    watch(c.dialLine2, 0x002);
    watch(c.boxLine2, 0x002);
    watch(c.dialGain, 0x004);
    watch(c.boxAmp, 0x004);
    watch(c.dialAgcGain, 0x008);
    watch(c.dialNoiseLvl, 0x010);
    watch(c.checkClip, 0x010);
    // Choosing the first threshold is sent through the button it unchecks.
    for (size_t g = 1; g < 4; ++g)
        watch(c.radioNoiseGate[g], 0x010);
    watch(c.dialAttack, 0x020);
    watch(c.dialDecay, 0x040);
    watch(c.dialDetSignal, 0x080);
    watch(c.dialDetNoise, 0x080);
    watch(c.dialAgcLvl, 0x100);
    watch(c.radioAgc, 0x100);
}

void InputPage::sendGroups(int mask)
{
    for (const Group &g : groups) {
        if (mask & g.bit)
            thread()->reqCodec(sec[2 * g.pair + 1], sec[2 * g.pair]);
    }
}

Receiver::Receiver(TThread *thread, quint8 *section, int mode, bool connected, QWidget *parent)
    : InputPage(Input::Receiver, thread, section, parent)
{
    ui.setupUi(this);
    init(mode, connected, "boxAgcSpeed");
}

void Receiver::connectControls()
{
    InputPage::connectControls();
    if (modeAllows(mode(), ModeFeature::ReceiverControls))
        return;
    // Load() then enables the boxes of the amplifier's mode again.
    c.boxLine2->hide();
    for (QWidget *w :
         {c.boxLine2, c.boxAmp, c.boxGain, c.boxAgcLvl, c.boxAgcGain, c.boxSpeed, c.boxAgcDelay})
        w->setEnabled(false);
}

InpRadio::InpRadio(TThread *thread, const quint8 *model, quint8 *section, int mode, bool connected,
                   QWidget *parent)
    : InputPage(Input::Radio, thread, section, parent)
{
    ui.setupUi(this);
    // Bit 0 of the model code: the radio's input is its receiver (K-330RB) or a microphone.
    const bool receiver = model[0] & 1;
    ui.boxLine1->setTitle(receiver ? QCoreApplication::translate("InpRadio", "Приемник")
                                   : QCoreApplication::translate("InpRadio", "Микрофон"));
    init(mode, connected, "boxSpee");
}
