#pragma once
// Widget-free side of the LF amplifier page: the gain table and the amplifier section's
// defaults and normalisation.

#include <QString>
#include <QtGlobal>

namespace AmpModel {

// Section bytes (4 bytes at image offset 118).
constexpr int GainByte = 1;
constexpr int ModByte = 3;

constexpr int GainSteps = 64;
constexpr quint8 GainMask = 0x3F;
constexpr quint8 DefaultGain = 42; // 15.0 dB

// Modulation codes of byte 3.
constexpr quint8 ModSigmaDelta = 214; // 0xD6, "СДМ"
constexpr quint8 ModPwm = 213; // 0xD5, "ШИМ"

// Gain in dB of a step; steps above 63 give the top of the table, negative ones the bottom.
double gainDb(int step);
// The gain as the page shows it: general notation, up to 6 significant digits, decimal point.
QString gainText(int step);

// What the controls show for a section.
struct Values
{
    int gain = 0; // 0..63
    bool pwm = false; // false: sigma-delta
};

// Clears the reserved bytes 0 and 2 (done at every construction of the page).
void clearReserved(quint8 *section);
// Writes the section of a new image: reserved bytes 0, gain step 42, sigma-delta.
void writeDefaults(quint8 *section);
// Reads the controls' values; a modulation byte other than 213 or 214 is replaced by 214
// in the section, since the controller knows only those two codes.
Values load(quint8 *section);
// Writes gain and modulation; bytes 0 and 2 are left alone.
void store(quint8 *section, const Values &v);

} // namespace AmpModel
