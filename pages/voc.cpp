#include "pages/voc.h"

#include "config/modes.h"
#include "device/tthread.h"
#include "pages/models/sectionwords.h"
#include "pages/models/vocmodel.h"

namespace {
constexpr int EncoderGroup = 1;
constexpr int DecoderGroup = 2;
} // namespace

Voc::Voc(TThread *thread, const quint8 *model, quint8 *encoder, quint8 *decoder, int mode,
         bool connected, QWidget *parent)
    : LivePage(thread, DefaultDebounceMs, parent)
    , modelCode(SectionWords::get(model, 0))
    , enc(encoder)
    , dec(decoder)
{
    ui.setupUi(this);
    ui.boxRate->addItems(VocModel::rateTexts());
    setUp(mode, connected);
}

void Voc::VadSet(bool on)
{
    if (on)
        ui.chkVbr->setChecked(false);
}

void Voc::VbrSet(bool on)
{
    if (on)
        ui.chkVad->setChecked(false);
}

void Voc::writeDefaults()
{
    VocModel::writeDefaults(enc, dec);
}

void Voc::Load()
{
    const VocModel::Values v = VocModel::load(enc, dec);
    ui.chkPtt->setChecked(v.ptt);
    // VBR after VAD: where a stored word has both, VBR stays on.
    ui.chkVad->setChecked(v.vad);
    ui.chkVbr->setChecked(v.vbr);
    ui.chkAnc->setChecked(v.anc);
    ui.boxRate->setCurrentIndex(v.rate);
    ui.spinETime->setValue(v.packetMs);
    ui.spinVad->setValue(v.vadGain);
    ui.dialVad->setValue(v.vadGain);
    ui.spinAnc->setValue(v.ancGain);
    ui.dialAnc->setValue(v.ancGain);
    ui.chkAdj->setChecked(v.adjust);
    ui.spinDTime->setValue(v.bufferMs);
}

void Voc::Store()
{
    VocModel::Values v;
    v.ptt = ui.chkPtt->isChecked();
    v.vad = ui.chkVad->isChecked();
    v.vbr = ui.chkVbr->isChecked();
    v.anc = ui.chkAnc->isChecked();
    v.rate = ui.boxRate->currentIndex();
    v.packetMs = ui.spinETime->value();
    v.vadGain = ui.dialVad->value();
    v.ancGain = ui.dialAnc->value();
    v.adjust = ui.chkAdj->isChecked();
    v.bufferMs = ui.spinDTime->value();
    VocModel::store(enc, dec, v);
}

void Voc::connectControls()
{
    connect(ui.chkVad, &QCheckBox::toggled, this, &Voc::VadSet);
    connect(ui.chkVbr, &QCheckBox::toggled, this, &Voc::VbrSet);

    for (QAbstractButton *b : {ui.chkPtt, ui.chkVad, ui.chkVbr, ui.chkAnc})
        watch(b, EncoderGroup);
    watch(ui.dialVad, EncoderGroup);
    watch(ui.dialAnc, EncoderGroup);
    watch(ui.spinVad, EncoderGroup);
    watch(ui.spinAnc, EncoderGroup);
    watch(ui.spinETime, EncoderGroup);
    watch(ui.boxRate, EncoderGroup);
    watch(ui.chkAdj, DecoderGroup);
    watch(ui.spinDTime, DecoderGroup);

    // The buffer control is never shown, yet loaded, stored and sent like the rest.
    ui.labAdj->hide();
    ui.chkAdj->hide();
    const bool anc = modeAllows(mode(), ModeFeature::VocoderControls);
    ui.labAnc->setVisible(anc);
    ui.chkAnc->setVisible(anc);
    ui.boxAnc->setVisible(anc);
}

void Voc::sendGroups(int mask)
{
    if (mask & EncoderGroup) {
        const auto words = SectionWords::hostWords<VocModel::EncoderWords>(enc);
        thread()->reqParam8(words.data(), VocModel::EncoderSize);
    }
    if (mask & DecoderGroup) {
        const auto words = SectionWords::hostWords<VocModel::DecoderWords>(dec);
        thread()->reqParam9(words.data(), VocModel::DecoderSize);
    }
}
