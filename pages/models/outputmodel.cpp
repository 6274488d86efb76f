#include "pages/models/outputmodel.h"

#include "config/tk440.h"

#include <QCoreApplication>

namespace OutputModel {

namespace {
// clang-format off
const Profile profiles[] = {
    // output, section, registers of pairs 0..4, on, off, on mask, any bit, pair-1 echo
    {Output::Transmitter, TK440::TransmitterOffset, {88, 92, 91, 89, 93}, 9, 0, 9, true,
     Pair1Echo::Param5},
    {Output::Radio, TK440::OutRadioOffset, {84, 82, 81, 85, 86}, 9, 0, 9, true,
     Pair1Echo::Param5},
    {Output::Headset, TK440::OutExtOffset, {63, 61, 60, 64, 65}, 13, 5, 0x0F, false,
     Pair1Echo::Param6},
    {Output::Accessory, TK440::OutAccOffset, {70, 68, 67, 71, 72}, 13, 5, 0x0F, false,
     Pair1Echo::None},
    {Output::Recorder, TK440::OutRecOffset, {49, 47, 46, 50, 51}, 13, 5, 0x0F, false,
     Pair1Echo::None},
};
// clang-format on

constexpr quint8 StepMask = 0x7F;
constexpr quint8 CodeMask = 0x0F;

bool modelBit0(quint16 model)
{
    return model & 1;
}

} // namespace

const Profile &profile(Output output)
{
    return profiles[int(output)];
}

Channel loadChannel(quint8 value)
{
    return {bool(value & RoutedBit), qMin(int(value & StepMask), MaxStep)};
}

quint8 storeChannel(const Channel &c)
{
    return quint8((c.step & StepMask) | (c.routed ? RoutedBit : 0));
}

Amplifier loadAmplifier(const Profile &profile, quint8 value)
{
    const bool on = profile.onAnyBit ? (value & profile.onMask) != 0
                                     : (value & profile.onMask) == profile.onCode;
    return {on, qMin(value >> 4, MaxGain)};
}

quint8 storeAmplifier(const Profile &profile, const Amplifier &a)
{
    return quint8((a.gain << 4) | ((a.on ? profile.onCode : profile.offCode) & CodeMask));
}

void writeRegisters(const Profile &profile, quint8 *section)
{
    for (int p = 0; p < Pairs; ++p)
        section[2 * p + 1] = profile.regs[size_t(p)];
}

std::array<quint8, Pairs> defaultValues(const Profile &profile, quint16 model)
{
    constexpr quint8 Off = MaxStep; // not routed, "Откл."
    const bool b0 = modelBit0(model);
    switch (profile.output) {
    case Output::Transmitter:
        return {Off, 140, Off, Off, 9};
    case Output::Radio:
        return {Off, quint8(model == TK440::ModelRB ? 134 : 128), Off, Off, 9};
    case Output::Headset:
        return {Off, quint8(b0 ? 118 : 128), Off, Off, quint8(b0 ? 5 : 13)};
    case Output::Accessory:
        return {Off, Off, Off, Off, quint8(b0 ? 4 : 5)};
    case Output::Recorder:
        return {128, 128, Off, Off, 13};
    }
    return {};
}

void writeDefaults(const Profile &profile, quint8 *section, quint16 model)
{
    writeRegisters(profile, section);
    const auto values = defaultValues(profile, model);
    for (int p = 0; p < Pairs; ++p)
        section[2 * p] = values[size_t(p)];
}

Titles channelTitles(const Profile &profile, quint16 model)
{
    bool swapped = false;
    switch (profile.output) {
    case Output::Radio:
        swapped = model == TK440::ModelRB;
        break;
    case Output::Headset:
    case Output::Recorder:
        swapped = modelBit0(model);
        break;
    case Output::Transmitter:
    case Output::Accessory:
        return {};
    }
    const QString receiver = QCoreApplication::translate("OutputModel", "Приемник");
    const QString mic = QCoreApplication::translate("OutputModel", "Микрофон");
    return swapped ? Titles {mic, receiver} : Titles {receiver, mic};
}

bool recorderLevelShown(quint16 model)
{
    return !modelBit0(model);
}

namespace Recorder {

namespace {
quint16 word(const quint8 *p)
{
    return quint16(p[0] | (p[1] << 8));
}
void setWord(quint8 *p, quint16 v)
{
    p[0] = quint8(v);
    p[1] = quint8(v >> 8);
}
} // namespace

Values load(const quint8 *section)
{
    return {quint16(word(section) & FlagMask), section[2]};
}

void store(quint8 *section, const Values &v)
{
    setWord(section, v.flags & FlagMask);
    setWord(section + 2, quint16(v.level & 0xFF));
}

void writeDefaults(quint8 *section)
{
    setWord(section, Ptt);
    setWord(section + 2, 127);
    setWord(section + 4, 0);
}

} // namespace Recorder

} // namespace OutputModel
