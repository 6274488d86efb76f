#include "views/models/acquisitionformat.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>

namespace reportformat {

quint32 field32(const TReport &r, int offset)
{
    return quint32(r.w[offset / 2]) << 16 | r.w[offset / 2 + 1];
}

quint16 field16(const TReport &r, int offset)
{
    return r.w[offset / 2];
}

QString agcDb(quint16 word)
{
    const double v = word ? word : 1;
    return QString::number(20.0 * std::log10(v / 256.0), 'f', 3);
}

QString linkDelay(quint32 value)
{
    return QString::number(double(value >> 16) + double(value & 0xFFFF) / 65536.0, 'f', 4);
}

QString jitterLoad(quint32 value)
{
    return QString::number(double(value) / 100.0, 'f', 2);
}

QString outputLevel(quint16 word)
{
    // No minus sign in front of a zero level.
    const int steps = word & 0x7F;
    return QString::number(steps ? -0.5 * steps : 0.0, 'f', 1);
}

QString inputGain(quint16 word)
{
    return QString::number(0.5 * (word & 0x7F), 'f', 1);
}

QList<std::pair<QString, QString>> texts(const TReport &r)
{
    const auto dec = [&r](int offset) {
        return QString::number(field32(r, offset));
    };
    // Totals of both channels, modulo 2^32 like the counters themselves.
    const auto sum = [&r](int a, int b) {
        return QString::number(quint32(field32(r, a) + field32(r, b)));
    };
    return {
        {"sTime", dec(0)},
        {"sLinkDelay", linkDelay(field32(r, 8))},
        {"sConCnt", dec(12)},
        {"sTxdCnt", dec(16)},
        {"sTxdSize", dec(20)},
        {"sTxdRep", dec(24)},
        {"sRxdCnt", dec(28)},
        {"sRxdSize", dec(32)},
        {"sTxvCnt", dec(36)},
        {"sTxvSize", dec(40)},
        {"sRxvCnt", dec(44)},
        {"sRxvSize", dec(48)},
        {"sBusErr", dec(52)},
        {"sBusRep", dec(56)},
        {"sJBufLoad", jitterLoad(field32(r, 60))},
        {"sRxErr", dec(64)},
        {"sAgc", agcDb(field16(r, 68))},
        {"sTxGain", outputLevel(field16(r, 78))},
        {"sRxGain", inputGain(field16(r, 80))},
        {"sNumTx", sum(16, 36)},
        {"sSizeTx", sum(20, 40)},
        {"sNumRx", sum(28, 44)},
        {"sSizeRx", sum(32, 48)},
    };
}

Bars bars(const TReport &r)
{
    return {int(field32(r, 4) & 0xFFFF), field16(r, 70), field16(r, 72), field16(r, 74),
            field16(r, 76)};
}

} // namespace reportformat

namespace traceformat {

namespace {
const char *const labels[4] = {"Bus+ RxD=>", "Bus+ TxD=>", "Link RxD=>", "Link TxD=>"};
}

int capturedBytes(const quint16 *buffer)
{
    // The buffer holds at most TraceBufferSize bytes whatever its count says.
    return std::min<int>(buffer[0], TraceBufferSize) - 4;
}

QString line(const QTime &time, quint16 channel, const uchar *bytes, int count)
{
    QString s = time.toString(QStringLiteral("hh:mm:ss.zzz")) + QStringLiteral("-> ");
    if (!isChannel(channel))
        return s + QCoreApplication::translate("Trace", "ошибка канала=") + QString::number(channel)
            + QStringLiteral(" ; n=") + QString::number(count);
    s += QLatin1String(labels[channel]);
    s.reserve(s.size() + 6 * count);
    static const char digits[] = "0123456789ABCDEF";
    for (int i = 0; i < count; ++i) {
        s += QLatin1String("0x");
        s += QLatin1Char(digits[bytes[i] >> 4]);
        s += QLatin1Char(digits[bytes[i] & 0xF]);
        s += QLatin1String("; ");
    }
    return s;
}

} // namespace traceformat
