#include "pages/models/attenuation.h"

#include <QCoreApplication>

namespace {
// Steps 104..117, where the codec's steps stop being 0.5 dB apart.
constexpr double LowTail[] = {-52.2, -52.7, -53.7, -54.2, -55.3, -56.7, -58.3,
                              -60.2, -62.7, -64.3, -66.2, -68.7, -72.2, -78.3};
} // namespace

namespace Attenuation {

double db(int v)
{
    if (v < 0)
        v = 0;
    if (v <= 37)
        return -0.5 * v;
    if (v <= 71)
        return -(0.5 * v + 0.1);
    if (v <= 98)
        return -(0.5 * v + 0.2);
    if (v <= 103)
        return -(0.5 * v + 0.3);
    if (v < OffStep)
        return LowTail[v - 104];
    return 0.0;
}

QString text(int v)
{
    if (v >= OffStep)
        return QCoreApplication::translate("Attenuation", "Откл.");
    // Step 0 is "0", not "-0".
    const double value = db(v);
    return QString::number(value == 0.0 ? 0.0 : value, 'g', 6);
}

} // namespace Attenuation
