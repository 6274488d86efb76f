#include "sim/simbus.h"

SimBus::SimBus() = default;

SimBus::~SimBus() = default;

void SimBus::insert(const QString &path, std::shared_ptr<SimUsbDevice> device)
{
    std::shared_ptr<SimUsbDevice> previous;
    {
        QMutexLocker lock(&mutex);
        for (qsizetype i = 0; i < sockets.size(); ++i) {
            if (sockets[i].path == path) {
                previous = sockets.takeAt(i).device;
                break;
            }
        }
        if (device)
            sockets.append({path, device});
    }
    if (previous)
        disconnect(previous.get(), nullptr, this, nullptr);
    if (device) {
        // A plug or unplug of the device is a change of the bus as a hot-plug event reports it.
        connect(
            device.get(), &SimUsbDevice::attachmentChanged, this,
            [this](bool) { Q_EMIT changed(); }, Qt::DirectConnection);
    }
    if ((previous && previous->isPlugged()) || (device && device->isPlugged()))
        Q_EMIT changed();
}

void SimBus::move(const QString &from, const QString &to)
{
    const std::shared_ptr<SimUsbDevice> device = at(from);
    if (!device)
        return;
    device->unplug();
    insert(from, nullptr);
    insert(to, device);
    device->plug();
}

std::shared_ptr<SimUsbDevice> SimBus::at(const QString &path) const
{
    QMutexLocker lock(&mutex);
    for (const Socket &s : sockets) {
        if (s.path == path)
            return s.device;
    }
    return nullptr;
}

std::shared_ptr<SimUsbDevice> SimBus::first() const
{
    QMutexLocker lock(&mutex);
    return sockets.isEmpty() ? nullptr : sockets.first().device;
}

QList<SimBus::Socket> SimBus::listed(quint16 vendor, quint16 product) const
{
    QList<Socket> all;
    {
        QMutexLocker lock(&mutex);
        all = sockets;
    }
    QList<Socket> out;
    for (const Socket &s : all) {
        if (s.device->hostMatches(vendor, product))
            out.append(s);
    }
    return out;
}
