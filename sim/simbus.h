#pragma once
// A simulated USB bus: simulated devices in sockets named by port path ("1-1", "1-2.3"), as
// SimTransport finds them. A device is listed while it sits in a socket and is plugged in;
// moving it to another socket is pulling it out and plugging it in elsewhere. Thread-safe.

#include "sim/simusbdevice.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>

#include <memory>

class SimBus : public QObject
{
    Q_OBJECT

public:
    struct Socket
    {
        QString path;
        std::shared_ptr<SimUsbDevice> device;
    };

    SimBus();
    ~SimBus() override;

    // Puts the device into the socket at path, after the sockets there are (a device already
    // in that socket is taken out); null empties the socket.
    void insert(const QString &path, std::shared_ptr<SimUsbDevice> device);
    // Pulls the device out of its socket (it leaves the bus, its sessions die) and plugs it
    // into the socket at `to`.
    void move(const QString &from, const QString &to);

    // The device in the socket at path, plugged in or not; null for an empty socket.
    std::shared_ptr<SimUsbDevice> at(const QString &path) const;
    // The first socket's device, plugged in or not; null for an empty bus.
    std::shared_ptr<SimUsbDevice> first() const;
    // The plugged-in devices of this identity, in the order of their sockets.
    QList<Socket> listed(quint16 vendor, quint16 product) const;

Q_SIGNALS:
    // A device arrived or left (a plug, an unplug, or a change of socket). May be emitted
    // from any thread.
    void changed();

private:
    mutable QMutex mutex; // guards sockets
    QList<Socket> sockets;
};
