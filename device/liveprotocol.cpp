#include "device/liveprotocol.h"

#include "device/devicelink.h"
#include "device/jobs.h"

#include <QtEndian>

namespace live {

namespace {
QString hex(quint8 b)
{
    return QStringLiteral("0x") + QString::number(b, 16);
}

QByteArray memoryHeader(quint16 writeCount, quint16 target)
{
    QByteArray p(8, '\0');
    qToBigEndian<quint16>(CmdMemory, p.data());
    qToBigEndian<quint16>(0, p.data() + 2);
    qToBigEndian<quint16>(writeCount, p.data() + 4);
    qToBigEndian<quint16>(target, p.data() + 6);
    return p;
}
} // namespace

int parameterCode(int jobType)
{
    if (jobType >= JobParam4 && jobType <= JobParam11)
        return jobType - JobParam4 + 4;
    if (jobType == JobTraceMode)
        return 15;
    return -1;
}

std::optional<Command> fromJob(int jobType, const QByteArray &bytes)
{
    switch (jobType) {
    case JobCodec:
        if (bytes.size() < 2)
            return std::nullopt;
        return Command {Command::Codec, quint8(bytes[0]), quint8(bytes[1]), {}};
    case JobAmp:
        if (bytes.isEmpty())
            return std::nullopt;
        return Command {Command::Amp, 0, quint8(bytes[0]), {}};
    default:
        break;
    }
    const int code = parameterCode(jobType);
    if (code < 0)
        return std::nullopt;
    return Command {Command::Parameter, quint8(code), 0, bytes};
}

QByteArray codecPacket(quint8 reg, quint8 value)
{
    QByteArray p = memoryHeader(2, TargetCodec);
    p.append(char(reg));
    p.append(char(value));
    return p;
}

QByteArray ampPacket(quint8 value)
{
    QByteArray p = memoryHeader(1, TargetAmp);
    p.append(char(value));
    return p;
}

QByteArray parameterPacket(quint8 code, const QByteArray &bytes)
{
    QByteArray p;
    p.append('\0');
    p.append(char(code));
    p.append(bytes);
    return p;
}

QByteArray packet(const Command &c)
{
    switch (c.kind) {
    case Command::Codec:
        return codecPacket(c.code, c.value);
    case Command::Amp:
        return ampPacket(c.value);
    case Command::Parameter:
        break;
    }
    return parameterPacket(c.code, c.bytes);
}

QString parameterText(quint8 code, const QByteArray &bytes)
{
    QString text = QString::number(code) + QLatin1Char('=');
    for (char b : bytes)
        text += hex(quint8(b)) + QStringLiteral("; ");
    return text;
}

QString codecSentText(quint8 reg, quint8 value)
{
    return LinkText::tr("Переданы параметры=>") + QString::number(reg) + QLatin1Char('[')
        + hex(value) + QStringLiteral("]; ");
}

QString ampSentText(quint8 value)
{
    return LinkText::tr("Переданы параметры=>") + hex(value);
}

QString parameterSentText(quint8 code, const QByteArray &bytes)
{
    return LinkText::tr("Переданы параметры: ") + parameterText(code, bytes);
}

QString sentText(const Command &c)
{
    switch (c.kind) {
    case Command::Codec:
        return codecSentText(c.code, c.value);
    case Command::Amp:
        return ampSentText(c.value);
    case Command::Parameter:
        break;
    }
    return parameterSentText(c.code, c.bytes);
}

QString sendErrorText(const Command &c)
{
    switch (c.kind) {
    case Command::Codec:
        return LinkText::tr("Ошибка передачи команды кодека=>");
    case Command::Amp:
        return LinkText::tr("Ошибка передачи команды усилителя=>");
    case Command::Parameter:
        break;
    }
    return LinkText::tr("Ошибка передачи команды: ") + parameterText(c.code, c.bytes)
        + LinkText::tr(" ошибка=");
}

QString ackErrorText(const Command &c)
{
    switch (c.kind) {
    case Command::Codec:
        return LinkText::tr("Ошибка подтверждения команды кодека=>");
    case Command::Amp:
        return LinkText::tr("Ошибка подтверждения команды усилителя=>");
    case Command::Parameter:
        break;
    }
    // A parameter command reports both failures with the same text.
    return sendErrorText(c);
}

} // namespace live
