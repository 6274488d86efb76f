#include "fuzz/scriptlink.h"

#include "device/handshake.h"
#include "device/usbtransport.h"
#include "sim/simcontroller.h"
#include "sim/simtransport.h"

#include <algorithm>
#include <cstring>

namespace fuzzing {

ScriptLink::ScriptLink(const uint8_t *data, size_t size, int mode)
    : pos(data)
    , end(data + size)
    , operatingMode(mode)
{ }

ScriptLink::ScriptLink(const QByteArray &script, int mode)
    : owned(script)
    , pos(reinterpret_cast<const uint8_t *>(owned.constData()))
    , end(pos + owned.size())
    , operatingMode(mode)
    , recording(true)
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

void ScriptLink::noteWrite(quint8 endpoint, const char *data, int size)
{
    ++writes;
    if (!recording)
        return;
    written.append(QByteArray(data, size));
    endpoints.append(char(endpoint));
}

void ScriptLink::noteRead(quint8 endpoint)
{
    ++reads;
    if (recording)
        endpoints.append(char(endpoint));
}

int ScriptLink::write(quint8 endpoint, const char *data, int size)
{
    noteWrite(endpoint, data, size);
    return writeResults.isEmpty() ? size : writeResults.takeFirst();
}

int ScriptLink::read(quint8 endpoint, char *data, int size)
{
    noteRead(endpoint);
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
    if (recording)
        lines.append(line);
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

RecordingLink::RecordingLink(const QString &model, quint16 payload, ScriptWriter &script)
    : ScriptLink(static_cast<const uint8_t *>(nullptr), 0)
    , sim(makeSimulatedController(model))
    , out(script)
{
    sim->setPayloadSize(payload);
    sim->monitorStream().setFlatOut(true);
    transport = makeSimulatedTransport(sim);
}

RecordingLink::~RecordingLink() = default;

bool RecordingLink::open()
{
    if (transport->open(usb::VendorId, usb::ProductId) != 0
        || transport->setConfiguration(usb::ConfigNormal) < 0
        || transport->claimInterface(usb::Interface) < 0)
        return false;
    write(usb::Ep1Out, handshake::request());
    QByteArray reply(handshake::ReplySize, '\0');
    const int n = read(usb::Ep1In, reply.data(), int(reply.size()));
    reply.truncate(qMax(0, n));
    setTransferSize(handshake::payloadSize(reply) + 8);
    return n >= 0 && transferSize() > 8;
}

int RecordingLink::write(quint8 endpoint, const char *data, int size)
{
    noteWrite(endpoint, data, size);
    return transport->bulkWrite(endpoint, data, size, usb::TimeoutMs);
}

int RecordingLink::read(quint8 endpoint, char *data, int size)
{
    return readFor(endpoint, data, size, usb::TimeoutMs);
}

int RecordingLink::readFor(quint8 endpoint, char *data, int size, int timeoutMs)
{
    noteRead(endpoint);
    const int n = transport->bulkRead(endpoint, data, size, timeoutMs);
    out.result(n, data);
    return n;
}

} // namespace fuzzing
