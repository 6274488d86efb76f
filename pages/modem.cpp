#include "pages/modem.h"

#include "config/modes.h"
#include "device/tthread.h"
#include "pages/models/attenuation.h"
#include "pages/models/modemmodel.h"
#include "pages/models/sectionwords.h"

namespace {
constexpr int ModemGroup = 1;

// Sets a fixed-point spin box to the multiple of 1/256 that x stands for.
void quantise(QDoubleSpinBox *box, double x)
{
    box->setValue(ModemModel::fixedValue(ModemModel::fixedWord(x)));
}
} // namespace

Modem::Modem(TThread *thread, const quint8 *model, quint8 *section, int mode, bool connected,
             QWidget *parent)
    : LivePage(thread, DefaultDebounceMs, parent)
    , modelCode(SectionWords::get(model, 0))
    , sec(section)
{
    ui.setupUi(this);
    setUp(mode, connected);
}

void Modem::DialLvl(int v)
{
    ui.lineLvl->setText(Attenuation::text(v));
}

void Modem::DialTone(int v)
{
    ui.lineTone->setText(Attenuation::text(v));
}

void Modem::DialGain(int v)
{
    ui.lineGain->setText(ModemModel::gainText(v));
}

void Modem::ChkOutCalc(bool on)
{
    ui.OutGErr->setEnabled(!on);
    if (on)
        OutRef(ui.OutRef->value());
}

void Modem::ChkInpCalc(bool on)
{
    ui.InpGErr->setEnabled(!on);
    if (on)
        InpRef(ui.InpRef->value());
}

void Modem::OutGErr(double x)
{
    quantise(ui.OutGErr, x);
}

void Modem::InpGErr(double x)
{
    quantise(ui.InpGErr, x);
}

void Modem::InpTone(double x)
{
    quantise(ui.InpTone, x);
}

void Modem::OutRef(int r)
{
    if (ui.chkOutCalc->isChecked())
        ui.OutGErr->setValue(ModemModel::fixedValue(ModemModel::autoErrorGain(r)));
}

void Modem::InpRef(int r)
{
    if (ui.chkInpCalc->isChecked())
        ui.InpGErr->setValue(ModemModel::fixedValue(ModemModel::autoErrorGain(r)));
}

void Modem::writeDefaults()
{
    ModemModel::writeDefaults(sec);
}

void Modem::Load()
{
    using ModemModel::fixedValue;
    const ModemModel::Values v = ModemModel::load(sec);
    ui.chkOutAgc->setChecked(v.outAgc);
    ui.chkInpAgc->setChecked(v.inpAgc);
    ui.dialLvl->setValue(v.outLevel);
    ui.dialGain->setValue(v.inpGain);
    ui.dialTone->setValue(v.toneLevel);
    // References first: with automatic calculation on they set the error gains, which the
    // stored values then replace.
    ui.OutRef->setValue(v.outRef);
    ui.InpRef->setValue(v.inpRef);
    ui.OutGErr->setValue(fixedValue(v.outGErr));
    ui.InpGErr->setValue(fixedValue(v.inpGErr));
    ui.InpTone->setValue(fixedValue(v.inpTone));
    // The texts and markers follow their controls even where a value did not change.
    DialLvl(ui.dialLvl->value());
    DialTone(ui.dialTone->value());
    DialGain(ui.dialGain->value());
    ui.labOutLvl->setVisible(ui.chkOutAgc->isChecked());
    ui.labInpGain->setVisible(ui.chkInpAgc->isChecked());
}

void Modem::Store()
{
    using ModemModel::fixedWord;
    ModemModel::Values v;
    v.outAgc = ui.chkOutAgc->isChecked();
    v.inpAgc = ui.chkInpAgc->isChecked();
    v.toneLevel = ui.dialTone->value();
    v.outLevel = ui.dialLvl->value();
    v.outRef = ui.OutRef->value();
    v.outGErr = fixedWord(ui.OutGErr->value());
    v.inpTone = fixedWord(ui.InpTone->value());
    v.inpGain = ui.dialGain->value();
    v.inpRef = ui.InpRef->value();
    v.inpGErr = fixedWord(ui.InpGErr->value());
    ModemModel::store(sec, v);
}

void Modem::connectControls()
{
    connect(ui.dialLvl, &QDial::valueChanged, this, &Modem::DialLvl);
    connect(ui.dialTone, &QDial::valueChanged, this, &Modem::DialTone);
    connect(ui.dialGain, &QDial::valueChanged, this, &Modem::DialGain);
    connect(ui.chkOutCalc, &QCheckBox::toggled, this, &Modem::ChkOutCalc);
    connect(ui.chkInpCalc, &QCheckBox::toggled, this, &Modem::ChkInpCalc);
    connect(ui.OutGErr, &QDoubleSpinBox::valueChanged, this, &Modem::OutGErr);
    connect(ui.InpGErr, &QDoubleSpinBox::valueChanged, this, &Modem::InpGErr);
    connect(ui.InpTone, &QDoubleSpinBox::valueChanged, this, &Modem::InpTone);
    connect(ui.OutRef, &QSpinBox::valueChanged, this, &Modem::OutRef);
    connect(ui.InpRef, &QSpinBox::valueChanged, this, &Modem::InpRef);
    connect(ui.chkOutAgc, &QCheckBox::toggled, ui.labOutLvl, &QWidget::setVisible);
    connect(ui.chkInpAgc, &QCheckBox::toggled, ui.labInpGain, &QWidget::setVisible);

    // The automatic-calculation boxes reach the controller through the gains they change.
    watch(ui.chkOutAgc, ModemGroup);
    watch(ui.chkInpAgc, ModemGroup);
    watch(ui.dialLvl, ModemGroup);
    watch(ui.dialGain, ModemGroup);
    watch(ui.OutRef, ModemGroup);
    watch(ui.InpRef, ModemGroup);
    watch(ui.OutGErr, ModemGroup);
    watch(ui.InpGErr, ModemGroup);
    watch(ui.dialTone, ModemGroup);
    watch(ui.InpTone, ModemGroup);

    const bool all = modeAllows(mode(), ModeFeature::ModemControls);
    for (QWidget *group :
         {static_cast<QWidget *>(ui.boxOutRef), static_cast<QWidget *>(ui.boxOutCalc),
          static_cast<QWidget *>(ui.boxOutTone), static_cast<QWidget *>(ui.boxInpTone),
          static_cast<QWidget *>(ui.boxInpCalc), static_cast<QWidget *>(ui.boxInpRef)})
        group->setVisible(all);
}

void Modem::sendGroups(int mask)
{
    if (mask & ModemGroup) {
        const auto words = SectionWords::hostWords<ModemModel::Words>(sec);
        thread()->reqParam11(words.data(), ModemModel::Size);
    }
}
