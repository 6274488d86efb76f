#include "fuzz/scriptlink.h"

#include "device/handshake.h"
#include "device/usbtransport.h"

#include <algorithm>
#include <cstring>

namespace fuzzing {

ScriptLink::ScriptLink(const uint8_t *data, size_t size, int mode)
    : pos(data)
    , end(data + size)
    , operatingMode(mode)
{ }

bool ScriptLink::handshake()
{
    QByteArray reply(handshake::ReplySize, '\0');
    const int n = read(usb::Ep1In, reply.data(), int(reply.size()));
    if (n < 0)
        return false;
    reply.truncate(n);
    const int payload = handshake::payloadSize(reply);
    transfer = payload > 0 ? payload + 8 : 0;
    return transfer > 0;
}

int ScriptLink::write(quint8, const char *, int size)
{
    ++writes;
    return size;
}

int ScriptLink::read(quint8, char *data, int size)
{
    ++reads;
    if (end - pos < 2) {
        pos = end;
        return usb::ErrTimeout;
    }
    const quint16 header = quint16((pos[0] << 8) | pos[1]);
    pos += 2;
    if (header & ErrorFlag)
        return -int(header & 0xFF);
    const int sent = int(std::min<std::ptrdiff_t>(header, end - pos));
    const uint8_t *bytes = pos;
    pos += sent;
    if (sent > size)
        return usb::ErrOverflow;
    if (sent > 0)
        std::memcpy(data, bytes, size_t(sent));
    return sent;
}

void ScriptLink::pause(int ms)
{
    pausedMs += ms;
}

void ScriptLink::log(const QString &line)
{
    // The text is built as the worker builds it; touching it keeps that from being skipped.
    logLines += line.isEmpty() ? 0 : 1;
}

quint8 ScriptLink::takeByte()
{
    return pos < end ? *pos++ : 0;
}

ScriptWriter &ScriptWriter::byte(quint8 b)
{
    out.append(char(b));
    return *this;
}

ScriptWriter &ScriptWriter::reply(const QByteArray &bytes)
{
    return result(int(bytes.size()), bytes.constData());
}

ScriptWriter &ScriptWriter::result(int n, const char *data)
{
    if (n < 0)
        return error(n);
    const int size = std::min(n, 0x7FFF);
    out.append(char(size >> 8));
    out.append(char(size & 0xFF));
    out.append(data, size);
    return *this;
}

ScriptWriter &ScriptWriter::error(int n)
{
    out.append(char(0x80));
    out.append(char(quint8(-n)));
    return *this;
}

} // namespace fuzzing
