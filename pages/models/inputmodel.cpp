#include "pages/models/inputmodel.h"

#include "config/tk440.h"

#include <QCoreApplication>

#include <cmath>

namespace InputModel {

namespace {
const Profile profiles[] = {
    {Input::Receiver, TK440::ReceiverOffset, {19, 17, 15, 27, 28, 34, 103, 104, 26}, 48},
    {Input::Radio, TK440::InpRadioOffset, {22, 18, 16, 30, 31, 35, 105, 106, 29}, 0},
};

struct Level
{
    double db;
    double step;
};
constexpr Level levels[AgcLevels] = {{-5.5, 2.5}, {-8, 2},  {-10, 2}, {-12, 2},
                                     {-14, 2},    {-17, 3}, {-20, 3}, {-24, 4}};

constexpr quint8 LineFixedBits = 0x84; // bits 7 and 2 of the main-line byte are always 1
constexpr quint8 LineOffByte = 0xFC;
constexpr quint8 Line2FixedBits = 0xF0;
constexpr quint8 Line2OffByte = 0xFF;
constexpr quint8 AmpOffBit = 0x80;
constexpr quint8 AgcBit = 0x80;
constexpr quint8 SpeedFixedBit = 0x80;

quint8 value(const quint8 *section, int pair)
{
    return section[2 * pair];
}

// A delay of 0.25 * 2^code ms, shown as 0 below 0.5 ms.
QString shortDelay(int code)
{
    const double ms = std::ldexp(0.25, code);
    return QString::number(ms < 0.5 ? 0.0 : ms, 'g', 6);
}
} // namespace

const Profile &profile(Input input)
{
    return profiles[int(input)];
}

Values load(const quint8 *section)
{
    Values v;
    const int l1 = (value(section, PairLine1) >> 3) & 15;
    v.line1On = l1 != LineOff;
    v.line1 = qMin(l1, LineSteps);
    const int l2 = value(section, PairLine2) & 15;
    v.line2On = l2 != LineOff;
    v.line2 = qMin(l2, LineSteps);

    const quint8 gain = value(section, PairGain);
    v.ampOn = !(gain & AmpOffBit);
    v.gain = qMin(gain & 0x7F, MaxGain);
    v.agcGain = qMin(value(section, PairAgcGain) >> 1, MaxGain);

    const quint8 noise = value(section, PairNoise);
    v.noiseLevel = (noise >> 1) & 31;
    v.gate = noise >> 6;
    v.clip = noise & 1;

    v.attack = (value(section, PairAttack) >> 2) & 7;
    v.decay = (value(section, PairDecay) >> 2) & 7;
    const quint8 detect = value(section, PairDetect);
    v.detNoise = detect >> 3;
    v.detSignal = detect & 7;

    const quint8 agc = value(section, PairAgc);
    v.agc = agc & AgcBit;
    v.agcLevel = (agc >> 4) & 7;
    return v;
}

void store(quint8 *section, const Values &v)
{
    auto set = [section](int pair, int byte) {
        section[2 * pair] = quint8(byte);
    };
    set(PairLine1, v.line1On ? LineFixedBits | ((v.line1 & 15) << 3) : LineOffByte);
    set(PairLine2, v.line2On ? (v.line2 & 15) | Line2FixedBits : Line2OffByte);
    set(PairGain, (v.gain & 0x7F) | (v.ampOn ? 0 : AmpOffBit));
    set(PairAgcGain, (v.agcGain & 0x7F) * 2);
    set(PairNoise, (v.clip ? 1 : 0) | ((v.noiseLevel & 31) << 1) | ((v.gate & 3) << 6));
    set(PairDetect, (v.detSignal & 7) | ((v.detNoise & 31) << 3));
    set(PairAttack, SpeedFixedBit | ((v.attack & 7) << 2));
    set(PairDecay, SpeedFixedBit | ((v.decay & 7) << 2));
    set(PairAgc, (v.agc ? AgcBit : 0) | ((v.agcLevel & 7) << 4));
}

void writeRegisters(const Profile &profile, quint8 *section)
{
    for (int p = 0; p < Pairs; ++p)
        section[2 * p + 1] = profile.regs[size_t(p)];
}

std::array<quint8, Pairs> defaultValues(const Profile &profile)
{
    return {132, 255, profile.defaultGain, 80, 171, 68, 136, 136, 64};
}

void writeDefaults(const Profile &profile, quint8 *section)
{
    writeRegisters(profile, section);
    const auto values = defaultValues(profile);
    for (int p = 0; p < Pairs; ++p)
        section[2 * p] = values[size_t(p)];
}

double lineDb(int step)
{
    return step * -1.5;
}

int lineStep(double db)
{
    return int(std::trunc(db / -1.5));
}

double gainDb(int step)
{
    return step * 0.5;
}

int gainStep(double db)
{
    return int(std::trunc(db * 2));
}

double agcLevelDb(int code)
{
    return levels[qBound(0, code, AgcLevels - 1)].db;
}

double agcLevelSingleStep(int code)
{
    return levels[qBound(0, code, AgcLevels - 1)].step;
}

int agcLevelCode(double db)
{
    // The upper bound of each code's band, from the lowest level up.
    constexpr double bounds[] = {-20, -17, -14, -12, -10, -8, -6};
    for (int i = 0; i < 7; ++i) {
        if (db < bounds[i])
            return 7 - i;
    }
    return 0;
}

QString decayText(int code)
{
    return QString::number(code >= 7 ? 4000 : 50 << qBound(0, code, 7));
}

QString attackText(int code)
{
    return QString::number(7 << qBound(0, code, 7));
}

QString noiseDelayText(int code)
{
    if (code <= 7)
        return shortDelay(qMax(code, 0));
    return QString::number((code - 7) * 64);
}

QString signalDelayText(int code)
{
    return shortDelay(qBound(0, code, 7));
}

QString noiseLevelText(int code)
{
    if (code <= 0)
        return QCoreApplication::translate("InputModel", "Откл.");
    return QString::number(-(28 + 2 * code));
}

} // namespace InputModel
