#pragma once
// The controller's command port: packets written to endpoint 0x01, replies read from 0x81.
// It answers the handshake itself (the payload size N) and hands every other command to the
// part registered for its code, or for a memory-form command (code 3) to the part registered
// for its target; what nobody handles is acknowledged with its own header.

#include "sim/endpointhandler.h"

#include <QMutex>

#include <functional>

// Words on the wire are big-endian.
namespace simwire {
quint16 wordAt(const QByteArray &bytes, int offset); // 0 where the bytes end before the word
void appendWord(QByteArray &bytes, quint16 value);
} // namespace simwire

// One command packet, its header words read out.
struct SimCommand
{
    QByteArray packet; // as written
    quint16 code = 0;
    quint16 readCount = 0; // header words 1 to 3; 0 where the packet is shorter
    quint16 writeCount = 0;
    quint16 target = 0;
    QByteArray body; // memory form: the write-count bytes after the header
    int payload = 0; // N: the most data one reply carries

    // The 8-byte acknowledgement: the packet's own header words.
    QByteArray acknowledge() const;
};

class SimCommandPort : public EndpointHandler
{
public:
    static constexpr quint8 CommandEndpoint = 0x01;
    static constexpr quint8 ReplyEndpoint = 0x81;

    // The reply to a command; none: nothing is sent back. Called with the device and the port
    // locked: a handler must not call the port.
    using Handler = std::function<std::optional<QByteArray>(const SimCommand &command)>;
    // The data after the acknowledgement header of a memory-form command.
    using TargetHandler = std::function<QByteArray(const SimCommand &command)>;

    SimCommandPort();

    // Both thread-safe; a later registration replaces an earlier one.
    void setHandler(quint16 code, Handler handler);
    void setTargetHandler(quint16 target, TargetHandler handler);

    void setPayloadSize(quint16 n); // N of the handshake reply; 512 by default
    quint16 payloadSize() const;

    void written(quint8 endpoint, const QByteArray &bytes, InBuffers &in) override;

private:
    std::optional<QByteArray> answer(const SimCommand &command) const; // mutex held

    mutable QMutex mutex; // guards the members below
    quint16 payload = 512;
    QHash<quint16, Handler> handlers;
    QHash<quint16, TargetHandler> targets;
};
