#include "pages/models/ampmodel.h"

#include <array>

namespace AmpModel {

namespace {
// Gain of the amplifier's 64 steps in dB.
constexpr std::array<double, GainSteps> gainTable = {
    -141.5, -72.8, -70.3, -66.8, -64.3, -60.8, -58.3, -54.7, // 0..7
    -52.2,  -48.7, -46.2, -42.7, -40.2, -36.7, -34.2, -30.6, // 8..15
    -28.1,  -25.6, -23.7, -22.1, -19.6, -17.6, -16,   -13.4, // 16..23
    -11.5,  -9.8,  -7.2,  -5.2,  -3.5,  -1.6,  0.3,   2.5, // 24..31
    3.6,    4.6,   5.6,   6.9,   8,     9.1,   10.1,  11.1, // 32..39
    12.9,   14,    15,    16.6,  18.1,  19.5,  20.5,  21.2, // 40..47
    21.6,   22,    22.4,  22.9,  23.4,  23.9,  24.4,  24.9, // 48..55
    25.4,   25.9,  26.5,  27,    27.6,  28.2,  28.8,  29.5, // 56..63
};
} // namespace

double gainDb(int step)
{
    if (step < 0)
        step = 0;
    if (step >= GainSteps)
        step = GainSteps - 1;
    return gainTable[size_t(step)];
}

QString gainText(int step)
{
    return QString::number(gainDb(step), 'g', 6);
}

void clearReserved(quint8 *section)
{
    section[0] = 0;
    section[2] = 0;
}

void writeDefaults(quint8 *section)
{
    clearReserved(section);
    section[GainByte] = DefaultGain;
    section[ModByte] = ModSigmaDelta;
}

Values load(quint8 *section)
{
    Values v;
    v.gain = section[GainByte] & GainMask;
    v.pwm = section[ModByte] == ModPwm;
    if (!v.pwm)
        section[ModByte] = ModSigmaDelta;
    return v;
}

void store(quint8 *section, const Values &v)
{
    section[GainByte] = quint8(v.gain) & GainMask;
    section[ModByte] = v.pwm ? ModPwm : ModSigmaDelta;
}

} // namespace AmpModel
