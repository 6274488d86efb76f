#include "views/models/monitorscale.h"

#include <algorithm>
#include <cmath>

namespace monitorscale {

QString axisTitle(char axis, double factor)
{
    return QString(QLatin1Char(axis)) + QStringLiteral("=1x") + QString::number(factor, 'g', 6);
}

int yDecimals(double factor)
{
    return int(std::trunc(std::log10(factor))) + 2;
}

double scaledPointSize(double size, double k)
{
    return std::clamp(size * k, MinPointSize, MaxPointSize);
}

QString pointSizeText(double size)
{
    return QStringLiteral("1x") + QString::number(size, 'f', 2);
}

double wheelFactor(int delta)
{
    return std::pow(4.0 / 3.0, -double(delta) / 240.0);
}

} // namespace monitorscale
