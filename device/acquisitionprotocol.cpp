#include "device/acquisitionprotocol.h"

#include "device/devicelink.h"

#include <QtEndian>

#include <algorithm>

namespace acquisition {

QByteArray commandPacket(quint16 code)
{
    QByteArray p(2, '\0');
    qToBigEndian<quint16>(code, p.data());
    return p;
}

bool decodeReport(const QByteArray &reply, TReport &record)
{
    if (reply.size() < ReportReplySize)
        return false;
    const auto *bytes = reinterpret_cast<const uchar *>(reply.constData()) + 2;
    for (int i = 0; i < int(std::size(record.w)); ++i)
        record.w[i] = qFromBigEndian<quint16>(bytes + 2 * i);
    return true;
}

bool acceptTrace(quint16 *buffer, int received)
{
    // A reply shorter than the header leaves stale words behind it: they are cleared, so
    // that neither the echo nor the channel comes from an earlier reply.
    auto *bytes = reinterpret_cast<uchar *>(buffer);
    std::fill(bytes + std::clamp(received, 0, 4), bytes + 4, uchar(0));
    buffer[0] = qFromBigEndian<quint16>(bytes);
    buffer[1] = qFromBigEndian<quint16>(bytes + 2);
    if (buffer[0] != CmdTrace)
        return false;
    buffer[0] = quint16(received);
    return true;
}

QString sendErrorText(quint16 code, int n)
{
    return LinkText::tr("Ошибка передачи команды: ") + QString::number(code)
        + LinkText::tr(" ошибка=") + QString::number(n);
}

QString receiveErrorText(quint16 code, int n)
{
    return LinkText::tr("Ошибка приема команды: ") + QString::number(code)
        + LinkText::tr(" ошибка=") + QString::number(n);
}

QString echoErrorText(quint16 code, int echo)
{
    return LinkText::tr("Ошибка ID команды: ") + QString::number(code) + LinkText::tr(" ошибка=")
        + QString::number(echo);
}

QString traceStoppedText(int echoes)
{
    return LinkText::tr("Трассировка остановлена: ") + QString::number(echoes)
        + LinkText::tr(" ответов подряд с чужим ID команды");
}

} // namespace acquisition
