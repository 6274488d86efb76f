#include "pages/models/linkmodel.h"

#include "pages/models/sectionwords.h"

namespace LinkModel {

using SectionWords::clamped;
using SectionWords::get;
using SectionWords::set;

namespace {
quint16 timerCode(int ms)
{
    return quint16(qBound(0, ms / TimerUnit, MaxTimerCode));
}
} // namespace

void writeDefaults(quint8 *section, quint16 model)
{
    set(section, N1, MaxN1Code);
    set(section, N2, 10);
    set(section, N3, 4);
    set(section, K, 16);
    set(section, T0, (model & 1) == 0 ? 37 : 0);
    set(section, T1, 12);
    set(section, T2, 2);
    set(section, T3, 50);
    set(section, Loss, lossWord(50, 4)); // 250
    set(section, Flags, 1);
}

Values load(quint8 *section)
{
    Values v;
    v.n1Bytes = (clamped(section, N1, MaxN1Code) + 1) * N1Unit;
    v.n2 = clamped(section, N2, MaxCount);
    v.n3 = clamped(section, N3, MaxCount);
    v.k = clamped(section, K, MaxK);
    const quint16 flags = get(section, Flags);
    v.ack = flags & 1;
    v.adaptive = flags & 2;
    v.t0Ms = clamped(section, T0, MaxTimerCode) * TimerUnit;
    v.t1Ms = clamped(section, T1, MaxTimerCode) * TimerUnit;
    v.t2Ms = clamped(section, T2, MaxTimerCode) * TimerUnit;
    v.t3Ms = clamped(section, T3, MaxTimerCode) * TimerUnit;
    return v;
}

void store(quint8 *section, const Values &v)
{
    const int n3 = qBound(0, v.n3, MaxCount);
    set(section, N1, quint16(qBound(0, v.n1Bytes / N1Unit - 1, MaxN1Code)));
    set(section, N2, quint16(qBound(0, v.n2, MaxCount)));
    set(section, N3, quint16(n3));
    set(section, K, quint16(qBound(0, v.k, MaxK)));
    set(section, T0, timerCode(v.t0Ms));
    set(section, T1, timerCode(v.t1Ms));
    set(section, T2, timerCode(v.t2Ms));
    set(section, T3, timerCode(v.t3Ms));
    set(section, Loss, lossWord(timerCode(v.t3Ms), n3));
    set(section, Flags, quint16((v.ack ? 1 : 0) | (v.adaptive ? 2 : 0)));
}

} // namespace LinkModel
