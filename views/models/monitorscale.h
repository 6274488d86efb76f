#pragma once
// Where the monitoring views put what they draw: the oscilloscope's sample-to-y mapping and
// axis texts, the constellation's dot placement, dot-size clamp and wheel zoom. Widget-free.

#include <QPoint>
#include <QString>

namespace monitorscale {

// Oscilloscope: y of a 32-bit sample on a scene two units high (full scale at 0, zero at 1).
inline double sampleY(qint32 value)
{
    return 1.0 - double(value) / 2147483647.0;
}
// The sample a y on that scene stands for: the inverse of sampleY, exact for every sample.
qint32 sampleAtY(double y);
// Significant digits of the zoom factor in an axis title.
constexpr int TitlePrecision = 6;
// Title of an axis group: "X=1x" or "Y=1x" and the zoom factor scene / visible.
QString axisTitle(char axis, double factor);
// Decimals of the Y labels at this vertical zoom factor: 2 more than the decimal exponent of
// the factor as its title shows it.
int yDecimals(double factor);

// A grid label: value in the format and precision of QString::number, where a value that
// rounds to zero reads without a minus sign ("0.00", never "-0.00").
QString axisLabel(double value, char format, int precision);

// Constellation: centre of point (I, Q) on the 65536-unit square scene.
inline double pointX(qint16 i)
{
    return double(i) + 32767.0;
}
inline double pointY(qint16 q)
{
    return 32768.0 - double(q);
}
// The point (I, Q) a dot centred there stands for: the inverse of pointX and pointY.
QPoint pointAt(QPointF centre);
constexpr double MinPointSize = 1;
constexpr double MaxPointSize = 1000;
// A dot size multiplied by k, kept within MinPointSize..MaxPointSize.
double scaledPointSize(double size, double k);
// "1x" and the dot size with two decimals.
QString pointSizeText(double size);
// View zoom of a wheel turn: (4/3) to the power (-delta / 240); one notch is delta 120.
double wheelFactor(int delta);

} // namespace monitorscale
