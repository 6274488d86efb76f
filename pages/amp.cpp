#include "pages/amp.h"

#include "device/tthread.h"
#include "pages/models/ampmodel.h"

namespace {
constexpr int GainGroup = 1;
constexpr int ModGroup = 2;
constexpr int AmpDebounceMs = 200;
} // namespace

Amp::Amp(TThread *thread, quint8 *section, int mode, bool connected, QWidget *parent)
    : LivePage(thread, AmpDebounceMs, parent)
    , sec(section)
{
    ui.setupUi(this);
    AmpModel::clearReserved(sec);
    setUp(mode, connected);
}

void Amp::setGain(int v)
{
    ui.lineGain->setText(AmpModel::gainText(v));
}

void Amp::writeDefaults()
{
    AmpModel::writeDefaults(sec);
}

void Amp::Load()
{
    const AmpModel::Values v = AmpModel::load(sec);
    ui.dialGain->setValue(v.gain);
    if (v.pwm)
        ui.radioPWM->setChecked(true);
    else
        ui.radioFLM->setChecked(true);
}

void Amp::Store()
{
    AmpModel::store(sec, {ui.dialGain->value(), ui.radioPWM->isChecked()});
}

void Amp::connectControls()
{
    connect(ui.dialGain, &QDial::valueChanged, this, &Amp::setGain);
    watch(ui.dialGain, GainGroup);
    watch(ui.radioFLM, ModGroup);
    watch(ui.radioPWM, ModGroup);
}

void Amp::sendGroups(int mask)
{
    if (mask & GainGroup)
        thread()->reqAmp(sec[AmpModel::GainByte]);
    if (mask & ModGroup)
        thread()->reqAmp(sec[AmpModel::ModByte]);
}
