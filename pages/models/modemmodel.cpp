#include "pages/models/modemmodel.h"

#include "pages/models/sectionwords.h"

#include <cmath>

namespace ModemModel {

using SectionWords::get;
using SectionWords::set;

void writeDefaults(quint8 *section)
{
    set(section, Flags, 3);
    set(section, ToneLevel, 6);
    set(section, OutLevel, 12);
    set(section, OutRef, 512);
    set(section, OutGErr, autoErrorGain(512)); // 1284
    set(section, InpTone, 1024);
    set(section, InpGain, 119);
    set(section, InpRef, AutoGainBase);
    set(section, InpGErr, autoErrorGain(AutoGainBase)); // 256
}

Values load(const quint8 *section)
{
    Values v;
    const quint16 flags = get(section, Flags);
    v.outAgc = flags & 1;
    v.inpAgc = flags & 2;
    v.toneLevel = get(section, ToneLevel) & StepMask;
    v.outLevel = get(section, OutLevel) & StepMask;
    v.outRef = get(section, OutRef) & RefMask;
    v.outGErr = get(section, OutGErr);
    v.inpTone = get(section, InpTone);
    v.inpGain = get(section, InpGain) & StepMask;
    v.inpRef = get(section, InpRef) & RefMask;
    v.inpGErr = get(section, InpGErr);
    return v;
}

void store(quint8 *section, const Values &v)
{
    set(section, Flags, quint16((v.outAgc ? 1 : 0) | (v.inpAgc ? 2 : 0)));
    set(section, ToneLevel, quint16(v.toneLevel & StepMask));
    set(section, OutLevel, quint16(v.outLevel & StepMask));
    set(section, OutRef, quint16(v.outRef & RefMask));
    set(section, OutGErr, v.outGErr);
    set(section, InpTone, v.inpTone);
    set(section, InpGain, quint16(v.inpGain & StepMask));
    set(section, InpRef, quint16(v.inpRef & RefMask));
    set(section, InpGErr, v.inpGErr);
}

QString gainText(int v)
{
    return QString::number(0.5 * v, 'f', 1);
}

quint16 autoErrorGain(int r)
{
    if (r <= 0)
        return 0;
    // 2569 / r * 256 exactly, in integers; a small reference would not fit in 16 bits.
    const qint64 g = qint64(AutoGainBase) * 256 / r;
    return quint16(qMin<qint64>(g, 0xFFFF));
}

namespace {
// x as a spin box with ShownDecimals decimals holds it.
double shown(double x)
{
    return QString::number(x, 'f', ShownDecimals).toDouble();
}
} // namespace

quint16 fixedWord(double x)
{
    if (!(x > 0))
        return 0;
    if (x >= 65535 / 256.0)
        return 0xFFFF;
    const auto k = qint64(std::trunc(x * 256));
    // A multiple of 1/256 rounded down for display reads back one step low: take it back.
    if (k < 0xFFFF && shown((k + 1) / 256.0) == x)
        return quint16(k + 1);
    return quint16(k);
}

} // namespace ModemModel
