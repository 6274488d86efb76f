// Live commands (jobs 5 to 14 and 19): one packet to endpoint 0x01, one acknowledgement from
// endpoint 0x81 whose content is ignored. Failures only go to the log; the connection stays.

#include "device/livecommands.h"

#include "config/modes.h"

#include "device/tthread.h"

#include <QCoreApplication>
#include <QtEndian>

#include <cstring>

namespace live {

namespace {
QString tr(const char *text)
{
    return QCoreApplication::translate("TThread", text);
}

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
    if (jobType >= TThread::JobParam4 && jobType <= TThread::JobParam11)
        return jobType - TThread::JobParam4 + 4;
    if (jobType == TThread::JobTraceMode)
        return 15;
    return -1;
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

QString parameterText(quint8 code, const QByteArray &bytes)
{
    QString text = QString::number(code) + QLatin1Char('=');
    for (char b : bytes)
        text += hex(quint8(b)) + QStringLiteral("; ");
    return text;
}

QString codecSentText(quint8 reg, quint8 value)
{
    return tr("Переданы параметры=>") + QString::number(reg) + QLatin1Char('[') + hex(value)
        + QStringLiteral("]; ");
}

QString ampSentText(quint8 value)
{
    return tr("Переданы параметры=>") + hex(value);
}

QString parameterSentText(quint8 code, const QByteArray &bytes)
{
    return tr("Переданы параметры: ") + parameterText(code, bytes);
}

} // namespace live

bool TThread::sendLive(const QByteArray &packet, const QString &sendError, const QString &ackError)
{
    // The controller announced how much one transfer may carry; a packet that does not fit
    // the transfer buffer is not sent (it would overrun the buffer).
    if (packet.size() > bufSize) {
        Q_EMIT mes(sendError + QString::number(usb::ErrOverflow));
        return false;
    }
    std::memcpy(buf.get(), packet.constData(), size_t(packet.size()));
    int n = usbWrite(usb::Ep1Out, buf.get(), int(packet.size()));
    if (n < 0) {
        Q_EMIT mes(sendError + QString::number(n));
        return false;
    }
    // Any acknowledgement, even an empty one, will do; only a failed read is reported.
    n = usbRead(usb::Ep1In, buf.get(), bufSize);
    if (n < 0) {
        Q_EMIT mes(ackError + QString::number(n));
        return false;
    }
    return true;
}

void TThread::liveCommand(const TJob &job)
{
    if (!hasDevice() || !buf)
        return;
    const QByteArray bytes =
        job.data ? QByteArray(job.data.get(), qsizetype(job.size)) : QByteArray();
    switch (job.type) {
    case JobCodec: {
        if (bytes.size() < 2)
            return;
        const quint8 reg = quint8(bytes[0]);
        const quint8 value = quint8(bytes[1]);
        if (sendLive(live::codecPacket(reg, value), tr("Ошибка передачи команды кодека=>"),
                     tr("Ошибка подтверждения команды кодека=>"))
            && modeAllows(currentMode(), ModeFeature::LiveCommandLog))
            Q_EMIT mes(live::codecSentText(reg, value));
        return;
    }
    case JobAmp: {
        if (bytes.isEmpty())
            return;
        const quint8 value = quint8(bytes[0]);
        if (sendLive(live::ampPacket(value), tr("Ошибка передачи команды усилителя=>"),
                     tr("Ошибка подтверждения команды усилителя=>"))
            && modeAllows(currentMode(), ModeFeature::LiveCommandLog))
            Q_EMIT mes(live::ampSentText(value));
        return;
    }
    default:
        break;
    }
    const int code = live::parameterCode(job.type);
    if (code < 0)
        return;
    const QString failed =
        tr("Ошибка передачи команды: ") + live::parameterText(quint8(code), bytes) + tr(" ошибка=");
    if (sendLive(live::parameterPacket(quint8(code), bytes), failed, failed)
        && modeAllows(currentMode(), ModeFeature::LiveCommandLog))
        Q_EMIT mes(live::parameterSentText(quint8(code), bytes));
}
