#include "pages/output.h"

#include "config/tk440.h"
#include "device/tthread.h"
#include "pages/models/attenuation.h"

#include <QCoreApplication>
#include <QDial>
#include <QGroupBox>
#include <QLineEdit>
#include <QSpinBox>

#include <cstring>

using namespace OutputModel;

namespace {
quint16 readModel(const quint8 *word)
{
    return quint16(word[0] | (word[1] << 8));
}

// A control of the page's form; the forms of all output pages name them alike.
template<class W> W *formChild(QWidget *page, const QString &name)
{
    auto *w = page->findChild<W *>(name);
    Q_ASSERT_X(w, "OutputPage", qPrintable(name));
    return w;
}

// Parameter commands take 16-bit words; the section's bytes may lie at any address.
template<int N> std::array<quint16, N / 2> words(const quint8 *bytes)
{
    std::array<quint16, N / 2> w;
    std::memcpy(w.data(), bytes, N);
    return w;
}
} // namespace

OutputPage::OutputPage(Output output, TThread *thread, const quint8 *model, quint8 *section,
                       QWidget *parent)
    : LivePage(thread, DefaultDebounceMs, parent)
    , profile(OutputModel::profile(output))
    , modelCode(readModel(model))
    , sec(section)
{ }

void OutputPage::init(int mode, bool connected)
{
    struct Stem
    {
        int pair;
        int group;
        const char *name;
    };
    static constexpr Stem stems[] = {{PairDac1, Pair1Group, "Dac1"},
                                     {PairPga1, Pair0Group, "Pga1"},
                                     {PairDac2, 0x04, "Dac2"},
                                     {PairPga2, 0x08, "Pga2"}};
    for (size_t i = 0; i < channels.size(); ++i) {
        const QString stem = QLatin1String(stems[i].name);
        channels[i] = {stems[i].pair, stems[i].group,
                       formChild<QGroupBox>(this, QStringLiteral("box") + stem),
                       formChild<QDial>(this, QStringLiteral("dial") + stem),
                       formChild<QLineEdit>(this, QStringLiteral("line") + stem)};
    }
    boxAmp = formChild<QGroupBox>(this, QStringLiteral("boxAmp"));
    dialAmp = formChild<QDial>(this, QStringLiteral("dialAmp"));
    spinAmp = formChild<QSpinBox>(this, QStringLiteral("spinAmp"));

    writeRegisters(profile, sec);
    if (profile.output == Output::Radio && modelCode != TK440::ModelRA
        && modelCode != TK440::ModelRB) {
        refuse(QCoreApplication::translate("OutputPage", "Модель контроллера не определена"));
        return;
    }
    const Titles titles = channelTitles(profile, modelCode);
    if (!titles.dac1.isEmpty()) {
        channels[0].box->setTitle(titles.dac1);
        channels[1].box->setTitle(titles.pga1);
    }
    setUp(mode, connected);
}

void OutputPage::DialDac1(int v)
{
    channels[0].line->setText(Attenuation::text(v));
}

void OutputPage::DialPga1(int v)
{
    channels[1].line->setText(Attenuation::text(v));
}

void OutputPage::DialDac2(int v)
{
    channels[2].line->setText(Attenuation::text(v));
}

void OutputPage::DialPga2(int v)
{
    channels[3].line->setText(Attenuation::text(v));
}

void OutputPage::DialAmp(int a)
{
    spinAmp->setValue(a);
}

void OutputPage::SpinAmp(int a)
{
    dialAmp->setValue(a);
}

void OutputPage::writeDefaults()
{
    OutputModel::writeDefaults(profile, sec, modelCode);
}

void OutputPage::Load()
{
    for (const Channel &c : channels) {
        const OutputModel::Channel v = loadChannel(sec[2 * c.pair]);
        c.box->setChecked(v.routed);
        c.dial->setValue(v.step);
    }
    const Amplifier a = loadAmplifier(profile, sec[2 * PairAmp]);
    boxAmp->setChecked(a.on);
    dialAmp->setValue(a.gain);
}

void OutputPage::Store()
{
    for (const Channel &c : channels)
        sec[2 * c.pair] = storeChannel({c.box->isChecked(), c.dial->value()});
    sec[2 * PairAmp] = storeAmplifier(profile, {boxAmp->isChecked(), dialAmp->value()});
}

void OutputPage::connectControls()
{
    // The text slot of channel i. (A switch rather than an array of member-function pointers:
    // GCC 12's bounds sanitizer misreads indexes into such an array.)
    const auto textSlot = [](size_t i) -> void (OutputPage::*)(int) {
        switch (i) {
        case 0:
            return &OutputPage::DialDac1;
        case 1:
            return &OutputPage::DialPga1;
        case 2:
            return &OutputPage::DialDac2;
        default:
            return &OutputPage::DialPga2;
        }
    };
    for (size_t i = 0; i < channels.size(); ++i) {
        const auto slot = textSlot(i);
        connect(channels[i].dial, &QDial::valueChanged, this, slot);
        watch(channels[i].dial, channels[i].group);
        watch(channels[i].box, channels[i].group);
        // The form's text belongs to the form's dial position; show the position's own text.
        (this->*slot)(channels[i].dial->value());
    }
    connect(dialAmp, &QDial::valueChanged, this, &OutputPage::DialAmp);
    connect(spinAmp, &QSpinBox::valueChanged, this, &OutputPage::SpinAmp);
    watch(dialAmp, AmpGroup);
    watch(boxAmp, AmpGroup);
}

void OutputPage::sendGroups(int mask)
{
    auto codec = [this](int pair) {
        thread()->reqCodec(sec[2 * pair + 1], sec[2 * pair]);
    };
    if (mask & Pair1Group) {
        codec(PairDac1);
        const quint8 reg = sec[2 * PairDac1 + 1];
        const quint8 value = sec[2 * PairDac1];
        if (profile.echo == Pair1Echo::Param5)
            thread()->reqParam5(reg, value);
        else if (profile.echo == Pair1Echo::Param6)
            thread()->reqParam6(reg, value);
    }
    for (size_t i = 1; i < channels.size(); ++i) {
        if (mask & channels[i].group)
            codec(channels[i].pair);
    }
    if (mask & AmpGroup)
        codec(PairAmp);
}

Transmitter::Transmitter(TThread *thread, const quint8 *model, quint8 *section, int mode,
                         bool connected, QWidget *parent)
    : OutputPage(Output::Transmitter, thread, model, section, parent)
{
    ui.setupUi(this);
    init(mode, connected);
}

OutRadio::OutRadio(TThread *thread, const quint8 *model, quint8 *section, int mode, bool connected,
                   QWidget *parent)
    : OutputPage(Output::Radio, thread, model, section, parent)
{
    ui.setupUi(this);
    init(mode, connected);
}

OutExt::OutExt(TThread *thread, const quint8 *model, quint8 *section, int mode, bool connected,
               QWidget *parent)
    : OutputPage(Output::Headset, thread, model, section, parent)
{
    ui.setupUi(this);
    init(mode, connected);
}

OutAcc::OutAcc(TThread *thread, const quint8 *model, quint8 *section, int mode, bool connected,
               QWidget *parent)
    : OutputPage(Output::Accessory, thread, model, section, parent)
{
    ui.setupUi(this);
    init(mode, connected);
}

OutRec::OutRec(TThread *thread, const quint8 *model, quint8 *section, quint8 *recorder, int mode,
               bool connected, QWidget *parent)
    : OutputPage(Output::Recorder, thread, model, section, parent)
    , rec(recorder)
{
    ui.setupUi(this);
    init(mode, connected);
}

void OutRec::DialVol(int a)
{
    ui.spinVol->setValue(a);
}

void OutRec::SpinVol(int a)
{
    ui.dialVol->setValue(a);
}

void OutRec::writeDefaults()
{
    OutputPage::writeDefaults();
    Recorder::writeDefaults(rec);
}

void OutRec::Load()
{
    OutputPage::Load();
    const Recorder::Values v = Recorder::load(rec);
    ui.boxVol->setChecked(v.flags & Recorder::LevelOn);
    ui.checkPtt->setChecked(v.flags & Recorder::Ptt);
    ui.checkTx->setChecked(v.flags & Recorder::TxLamp);
    ui.checkRx->setChecked(v.flags & Recorder::RxLamp);
    ui.dialVol->setValue(v.level);
}

void OutRec::Store()
{
    OutputPage::Store();
    quint16 flags = 0;
    if (ui.boxVol->isChecked())
        flags |= Recorder::LevelOn;
    if (ui.checkPtt->isChecked())
        flags |= Recorder::Ptt;
    if (ui.checkTx->isChecked())
        flags |= Recorder::TxLamp;
    if (ui.checkRx->isChecked())
        flags |= Recorder::RxLamp;
    Recorder::store(rec, {flags, ui.dialVol->value()});
}

void OutRec::connectControls()
{
    OutputPage::connectControls();
    connect(ui.dialVol, &QDial::valueChanged, this, &OutRec::DialVol);
    connect(ui.spinVol, &QSpinBox::valueChanged, this, &OutRec::SpinVol);
    for (QAbstractButton *b :
         {static_cast<QAbstractButton *>(ui.checkPtt), static_cast<QAbstractButton *>(ui.checkTx),
          static_cast<QAbstractButton *>(ui.checkRx)})
        watch(b, RecorderGroup);
    watch(ui.boxVol, RecorderGroup);
    watch(ui.dialVol, RecorderGroup);
    ui.boxVol->setVisible(recorderLevelShown(model()));
}

void OutRec::sendGroups(int mask)
{
    OutputPage::sendGroups(mask);
    // The controller takes the recorder's two channel pairs again as words, as the section
    // holds them.
    if (mask & (Pair1Group | Pair0Group))
        thread()->reqParam7(words<4>(section()).data(), 4);
    if (mask & RecorderGroup)
        thread()->reqParam4(words<Recorder::SectionSize>(rec).data(), Recorder::SectionSize);
}
