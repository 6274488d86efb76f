#include "config/imagefields.h"

#include "config/image.h"
#include "config/infofields.h"
#include "config/windows.h"
#include "pages/models/ampmodel.h"
#include "pages/models/attenuation.h"
#include "pages/models/codecmodel.h"
#include "pages/models/inputmodel.h"
#include "pages/models/linkmodel.h"
#include "pages/models/modemmodel.h"
#include "pages/models/outputmodel.h"
#include "pages/models/sectionwords.h"
#include "pages/models/vocmodel.h"

#include <QCoreApplication>
#include <QHash>

namespace {

const QString Db = QStringLiteral("dB");
const QString Ms = QStringLiteral("ms");

QString onOff(bool on)
{
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

QString number(double x)
{
    return QString::number(x, 'g', 6);
}

QString hexByte(int v)
{
    return QStringLiteral("0x")
        + QString::number(v, 16).rightJustified(2, QLatin1Char('0')).toUpper();
}

void add(QList<ImageField> &f, const char *name, const QString &value, const QString &unit = {})
{
    f.append({QLatin1String(name), value, unit});
}

// The page models read from a section that they may clamp; they get a copy of the image.
void codecFields(TK440 &image, QList<ImageField> &f)
{
    const quint8 *s = image.b + TK440::CodecOffset;
    for (int i = 0; i < CodecModel::Pairs; ++i) {
        const int reg = s[2 * i + 1];
        f.append({QStringLiteral("reg%1").arg(reg), hexByte(s[2 * i]), {}});
    }
}

void inputFields(TK440 &image, InputModel::Input input, QList<ImageField> &f)
{
    using namespace InputModel;
    const Values v = load(image.b + profile(input).offset);
    add(f, "line1", onOff(v.line1On));
    add(f, "line1.level", number(lineDb(v.line1)), Db);
    add(f, "line2", onOff(v.line2On));
    add(f, "line2.level", number(lineDb(v.line2)), Db);
    add(f, "amp", onOff(v.ampOn));
    add(f, "gain", number(gainDb(v.gain)), Db);
    add(f, "agc", onOff(v.agc));
    add(f, "agc.level", number(agcLevelDb(v.agcLevel)), Db);
    add(f, "agc.gain", number(gainDb(v.agcGain)), Db);
    add(f, "attack", attackText(v.attack), Ms);
    add(f, "decay", decayText(v.decay), Ms);
    add(f, "noise.level", noiseLevelText(v.noiseLevel), v.noiseLevel > 0 ? Db : QString());
    add(f, "noise.gate", QString::number(v.gate));
    add(f, "clip", onOff(v.clip));
    add(f, "detect.noise", noiseDelayText(v.detNoise), Ms);
    add(f, "detect.signal", signalDelayText(v.detSignal), Ms);
}

void outputFields(TK440 &image, OutputModel::Output output, QList<ImageField> &f)
{
    using namespace OutputModel;
    const Profile &pr = profile(output);
    const quint8 *s = image.b + pr.offset;
    const struct
    {
        const char *name;
        int pair;
    } channels[] = {{"pga1", PairPga1}, {"dac1", PairDac1}, {"pga2", PairPga2}, {"dac2", PairDac2}};
    for (const auto &c : channels) {
        const Channel ch = loadChannel(s[2 * c.pair]);
        const QString stem = QLatin1String(c.name);
        f.append({stem, onOff(ch.routed), {}});
        f.append({stem + QStringLiteral(".level"), Attenuation::text(ch.step),
                  ch.step < Attenuation::OffStep ? Db : QString()});
    }
    const Amplifier a = loadAmplifier(pr, s[2 * PairAmp]);
    add(f, "amp", onOff(a.on));
    add(f, "amp.gain", QString::number(a.gain), Db);
    if (output == Output::Recorder) {
        const Recorder::Values r = Recorder::load(image.b + TK440::OutRec2Offset);
        add(f, "level", onOff(r.flags & Recorder::LevelOn));
        add(f, "level.value", QString::number(r.level));
        add(f, "ptt", onOff(r.flags & Recorder::Ptt));
        add(f, "tx.lamp", onOff(r.flags & Recorder::TxLamp));
        add(f, "rx.lamp", onOff(r.flags & Recorder::RxLamp));
    }
}

void ampFields(TK440 &image, QList<ImageField> &f)
{
    const AmpModel::Values v = AmpModel::load(image.b + TK440::AmpOffset);
    add(f, "gain", AmpModel::gainText(v.gain), Db);
    add(f, "modulation",
        QString::fromUtf8(v.pwm ? QT_TRANSLATE_NOOP("ImageFields", "ШИМ")
                                : QT_TRANSLATE_NOOP("ImageFields", "СДМ")));
}

void vocoderFields(TK440 &image, QList<ImageField> &f)
{
    const VocModel::Values v =
        VocModel::load(image.b + TK440::VocOffset, image.b + TK440::Voc2Offset);
    const QStringList rates = VocModel::rateTexts();
    add(f, "ptt", onOff(v.ptt));
    add(f, "vad", onOff(v.vad));
    add(f, "vbr", onOff(v.vbr));
    add(f, "anc", onOff(v.anc));
    const QString rate = rates.value(v.rate).trimmed();
    add(f, "rate", rate, v.rate > 0 ? QStringLiteral("kbit/s") : QString());
    add(f, "packet", QString::number(v.packetMs), Ms);
    add(f, "vad.gain", QString::number(v.vadGain));
    add(f, "anc.gain", QString::number(v.ancGain));
    add(f, "buffer.adjust", onOff(v.adjust));
    add(f, "buffer", QString::number(v.bufferMs), Ms);
}

void linkFields(TK440 &image, QList<ImageField> &f)
{
    const LinkModel::Values v = LinkModel::load(image.b + TK440::LinkOffset);
    add(f, "n1", QString::number(v.n1Bytes), QStringLiteral("bytes"));
    add(f, "n2", QString::number(v.n2));
    add(f, "n3", QString::number(v.n3));
    add(f, "k", QString::number(v.k));
    add(f, "t0", QString::number(v.t0Ms), Ms);
    add(f, "t1", QString::number(v.t1Ms), Ms);
    add(f, "t2", QString::number(v.t2Ms), Ms);
    add(f, "t3", QString::number(v.t3Ms), Ms);
    add(f, "loss", QString::number(LinkModel::lossMs(v.t3Ms, v.n3)), Ms);
    add(f, "ack", onOff(v.ack));
    add(f, "adaptive", onOff(v.adaptive));
}

void modemFields(TK440 &image, QList<ImageField> &f)
{
    using namespace ModemModel;
    const Values v = load(image.b + TK440::ModemOffset);
    const auto fixed = [](quint16 w) {
        return QString::number(fixedValue(w), 'f', ShownDecimals);
    };
    add(f, "tone.level", Attenuation::text(v.toneLevel),
        v.toneLevel < Attenuation::OffStep ? Db : QString());
    add(f, "out.level", Attenuation::text(v.outLevel),
        v.outLevel < Attenuation::OffStep ? Db : QString());
    add(f, "out.agc", onOff(v.outAgc));
    add(f, "out.ref", QString::number(v.outRef));
    add(f, "out.gerr", fixed(v.outGErr));
    add(f, "inp.tone", fixed(v.inpTone));
    // The page's gain dial ends at step 119 (59.5 dB): a higher stored step shows as that.
    constexpr int MaxGainStep = 119;
    add(f, "inp.gain", gainText(qMin(v.inpGain, MaxGainStep)), Db);
    add(f, "inp.agc", onOff(v.inpAgc));
    add(f, "inp.ref", QString::number(v.inpRef));
    add(f, "inp.gerr", fixed(v.inpGErr));
}

void infoFields(const TK440 &image, QList<ImageField> &f)
{
    const InfoFields info = readInfoFields(image.b + TK440::InfoOffset);
    add(f, "serial", serialText(info.serial));
    add(f, "date", dateText(info.day, info.month, info.year));
    add(f, "description", decodeDescription(info.desc));
}

void identityFields(const TK440 &image, QList<ImageField> &f)
{
    const quint8 *id = image.b + TK440::IdentOffset;
    add(f, "model", modelName(image.model()));
    add(f, "version", versionText(id));
    add(f, "cpu.serial", cpuSerialText(id));
    add(f, "cpu.id", cpuIdText(id));
}

// The fields of a page row, from a scratch copy of the image.
bool pageFields(const WindowRow &row, TK440 &image, QList<ImageField> &f)
{
    using In = InputModel::Input;
    using Out = OutputModel::Output;
    switch (row.id) {
    case WindowId::Codec:
        codecFields(image, f);
        return true;
    case WindowId::InputAmplifier:
        inputFields(image, In::Receiver, f);
        return true;
    case WindowId::MicInput:
    case WindowId::ReceiverInput:
        inputFields(image, In::Radio, f);
        return true;
    case WindowId::OutputAmplifier:
        outputFields(image, Out::Transmitter, f);
        return true;
    case WindowId::ReceiverOutput:
    case WindowId::MicOutput:
        outputFields(image, Out::Radio, f);
        return true;
    case WindowId::HeadsetOutput:
        outputFields(image, Out::Headset, f);
        return true;
    case WindowId::AccessoryOutput:
        outputFields(image, Out::Accessory, f);
        return true;
    case WindowId::Recorder:
        outputFields(image, Out::Recorder, f);
        return true;
    case WindowId::Amplifier:
        ampFields(image, f);
        return true;
    case WindowId::Vocoder:
        vocoderFields(image, f);
        return true;
    case WindowId::Protocol:
        linkFields(image, f);
        return true;
    case WindowId::Modem:
        modemFields(image, f);
        return true;
    default:
        return false;
    }
}

const QString IdentityTitle = QString::fromUtf8(QT_TRANSLATE_NOOP("WindowTitle", "Идентификация"));

} // namespace

QList<ImageSection> describeImage(const TK440 &original)
{
    TK440 image = original;
    QList<ImageSection> out;

    ImageSection identity {IdentityTitle, {}, {{TK440::IdentOffset, TK440::IdentSize}}};
    identityFields(image, identity.fields);
    out.append(identity);

    const WindowRow &infoRow = windowRow(WindowId::Info);
    ImageSection info {infoRow.titleText(), {}, infoRow.sectionList()};
    infoFields(image, info.fields);
    out.append(info);

    const int allModes = int(OperatingMode::ServiceAll);
    for (const WindowRow *row : deviceTreeRows(image.model(), allModes)) {
        if (row->kind != WindowKind::Page)
            continue;
        ImageSection section {row->titleText(), {}, row->sectionList()};
        if (pageFields(*row, image, section.fields))
            out.append(section);
    }
    return out;
}

QString identityTitle()
{
    return IdentityTitle;
}

QString displayedText(const QString &text)
{
    // The words among the values: the modulation types above, and the step that switches a
    // level off (the pages translate it in their own contexts).
    static const char *const valueWords[] = {QT_TRANSLATE_NOOP("ImageFields", "Откл.")};
    Q_UNUSED(valueWords);
    const QByteArray source = text.toUtf8();
    const QString title = QCoreApplication::translate("WindowTitle", source.constData());
    if (title != text)
        return title;
    return QCoreApplication::translate("ImageFields", source.constData());
}
