#pragma once
// How the simulated controller's parts meet its USB side: each endpoint may have a handler
// that takes what the host writes (OUT) or makes what the host reads (IN), and the IN
// endpoints' buffers hold data made earlier, waiting for the host's reads.

#include <QByteArray>
#include <QHash>
#include <QList>

#include <optional>

// The IN endpoints' buffers: packets made ahead of the host's reads (command replies, data a
// host gave up on, a test's script), handed out first in, first out.
class InBuffers
{
public:
    void append(quint8 endpoint, const QByteArray &packet) { queues[endpoint].append(packet); }
    void clear(quint8 endpoint) { queues.remove(endpoint); }
    void clearAll() { queues.clear(); }
    std::optional<QByteArray> take(quint8 endpoint)
    {
        auto it = queues.find(endpoint);
        if (it == queues.end() || it->isEmpty())
            return std::nullopt;
        return it->takeFirst();
    }

private:
    QHash<quint8, QList<QByteArray>> queues;
};

// One part's side of an endpoint. The USB side calls it with its own lock held, from whichever
// thread performs the transfer: a handler must not call the device's public members, and
// guards its own state against the test thread's accessors.
class EndpointHandler
{
public:
    virtual ~EndpointHandler();

    // OUT endpoint: the bytes a transfer delivered. Replies go into the IN buffers.
    virtual void written(quint8 endpoint, const QByteArray &bytes, InBuffers &in);
    // IN endpoint whose buffer is empty: the data of this read, made now (at most maxSize bytes
    // fit the host's buffer; more overflows it, as on a real bus). None while the part has
    // nothing to send: the read waits, asking again whenever an OUT transfer or a queued
    // packet wakes it, until its time-out.
    virtual std::optional<QByteArray> read(quint8 endpoint, int maxSize);
    // IN endpoint: milliseconds until read() will have data by itself (a paced stream), so
    // that a waiting read asks again then; -1 (the default): only when something wakes it.
    virtual int msUntilReady(quint8 endpoint);
};
