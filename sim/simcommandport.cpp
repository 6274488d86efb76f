#include "sim/simcommandport.h"

#include <QtEndian>

quint16 simwire::wordAt(const QByteArray &bytes, int offset)
{
    if (offset + 2 > bytes.size())
        return 0;
    return qFromBigEndian<quint16>(bytes.constData() + offset);
}

void simwire::appendWord(QByteArray &bytes, quint16 value)
{
    bytes.append(char(value >> 8));
    bytes.append(char(value & 0xFF));
}

namespace {

using simwire::appendWord;
using simwire::wordAt;

constexpr quint16 CmdHandshake = 0;
constexpr quint16 CmdMemory = 3;

} // namespace

QByteArray SimCommand::acknowledge() const
{
    QByteArray h;
    appendWord(h, code);
    appendWord(h, readCount);
    appendWord(h, writeCount);
    appendWord(h, target);
    return h;
}

SimCommandPort::SimCommandPort()
{
    handlers.insert(CmdHandshake, [](const SimCommand &c) {
        QByteArray reply;
        appendWord(reply, 0);
        appendWord(reply, quint16(c.payload));
        return reply;
    });
}

void SimCommandPort::setHandler(quint16 code, Handler handler)
{
    QMutexLocker lock(&mutex);
    handlers.insert(code, std::move(handler));
}

void SimCommandPort::setTargetHandler(quint16 target, TargetHandler handler)
{
    QMutexLocker lock(&mutex);
    targets.insert(target, std::move(handler));
}

void SimCommandPort::setPayloadSize(quint16 n)
{
    QMutexLocker lock(&mutex);
    payload = n;
}

quint16 SimCommandPort::payloadSize() const
{
    QMutexLocker lock(&mutex);
    return payload;
}

void SimCommandPort::written(quint8, const QByteArray &bytes, InBuffers &in)
{
    // A new command supersedes an answer the host has not read.
    in.clear(ReplyEndpoint);
    if (bytes.size() < 2)
        return;
    SimCommand c;
    c.packet = bytes;
    c.code = wordAt(bytes, 0);
    c.readCount = wordAt(bytes, 2);
    c.writeCount = wordAt(bytes, 4);
    c.target = wordAt(bytes, 6);
    c.body = bytes.mid(8, c.writeCount);
    QMutexLocker lock(&mutex);
    c.payload = payload;
    if (const auto reply = answer(c))
        in.append(ReplyEndpoint, *reply);
}

std::optional<QByteArray> SimCommandPort::answer(const SimCommand &c) const
{
    if (const auto it = handlers.constFind(c.code); it != handlers.constEnd())
        return (*it)(c);
    QByteArray reply = c.acknowledge();
    // A memory-form command shorter than its header is only acknowledged.
    if (c.code == CmdMemory && c.packet.size() >= 8) {
        if (const auto it = targets.constFind(c.target); it != targets.constEnd())
            reply += (*it)(c);
    }
    return reply;
}
