#pragma once
// Attenuation steps of the codec's mixer channels and output stages as the pages show them.

#include <QString>

namespace Attenuation {
// Steps 0..117 attenuate; 118 and above switch the channel off.
constexpr int OffStep = 118;

// Attenuation in dB of step v (0 or negative); v >= OffStep has none (the channel is off).
double db(int v);
// The text of step v: the attenuation in general notation with up to 6 significant digits and
// a point ("-18", "-19.1", "0"), or "Откл." from OffStep on.
QString text(int v);
} // namespace Attenuation
