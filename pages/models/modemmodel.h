#pragma once
// Widget-free side of the modem page "Соединение": the modem section's fields, defaults and
// the conversions the page shows (gain text, automatic error gain, 8.8 fixed point).

#include <QString>
#include <QtGlobal>

namespace ModemModel {

// The section: 18 bytes at image offset 164, nine little-endian words.
constexpr int Size = 18;
constexpr int Words = Size / 2;
enum Word { Flags, ToneLevel, OutLevel, OutRef, OutGErr, InpTone, InpGain, InpRef, InpGErr };

constexpr int StepMask = 0x7F; // level and gain steps use 7 bits
constexpr int RefMask = 0x7FFF; // references use 15 bits
constexpr int AutoGainBase = 2569; // the reference at which the automatic error gain is 1.0

// What the controls show for a section.
struct Values
{
    bool outAgc = false;
    bool inpAgc = false;
    int toneLevel = 0; // attenuation step
    int outLevel = 0; // attenuation step
    int outRef = 0;
    quint16 outGErr = 0; // 8.8 fixed point
    quint16 inpTone = 0; // 8.8 fixed point
    int inpGain = 0; // gain step, 0.5 dB each
    int inpRef = 0;
    quint16 inpGErr = 0; // 8.8 fixed point
};

// Writes the section of a new image.
void writeDefaults(quint8 *section);
// Reads the fields, masked to the bits they use.
Values load(const quint8 *section);
// Writes all nine words; flags bits other than the two gain settings become 0.
void store(quint8 *section, const Values &v);

// The input gain of step v in dB with one decimal: "0.0" to "59.5".
QString gainText(int v);

// Automatic error gain for reference r in 8.8 fixed point: trunc(2569 / r * 256), saturated
// at 65535 (255.996) where that does not fit in 16 bits (r = 1..10); 0 for r <= 0.
quint16 autoErrorGain(int r);

// Decimals the page shows fixed-point values with.
constexpr int ShownDecimals = 3;
// The 8.8 word of a value as the spin box holds it (rounded to ShownDecimals): trunc(x * 256),
// except that a value which is the shown form of a multiple of 1/256 gives that multiple,
// so that showing a word and reading it back never loses a step. Clamped to 0..65535.
quint16 fixedWord(double x);
inline double fixedValue(quint16 word)
{
    return word / 256.0;
}

} // namespace ModemModel
