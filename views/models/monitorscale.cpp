#include "views/models/monitorscale.h"

#include <algorithm>
#include <cmath>

namespace monitorscale {

qint32 sampleAtY(double y)
{
    // y carries the sample with an error far below half a unit: rounding recovers it.
    const double v = std::round((1.0 - y) * 2147483647.0);
    return qint32(std::clamp(v, -2147483648.0, 2147483647.0));
}

QPoint pointAt(QPointF centre)
{
    return {int(std::lround(centre.x() - 32767.0)), int(std::lround(32768.0 - centre.y()))};
}

QString axisTitle(char axis, double factor)
{
    return QString(QLatin1Char(axis)) + QStringLiteral("=1x")
        + QString::number(factor, 'g', TitlePrecision);
}

int yDecimals(double factor)
{
    // The factor comes out of a division of view coordinates: a zoom of 100 can be
    // 99.999999999999915, whose logarithm truncates to 1 while the title reads 100. Taken at
    // the precision of the title, the decimals follow what the user reads.
    const double shown = QString::number(factor, 'g', TitlePrecision).toDouble();
    return int(std::trunc(std::log10(shown))) + 2;
}

QString axisLabel(double value, char format, int precision)
{
    QString text = QString::number(value, format, precision);
    if (text.startsWith(QLatin1Char('-')) && text.toDouble() == 0.0)
        text.remove(0, 1);
    return text;
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
