// What the node of an emulated device answers: the usbdevfs requests libusb makes, served by
// the model plugged into the node's socket.

#include "umockdevice_p.h" // first: it includes GLib's headers before Qt's

#include "device/usbtransport.h"

#include <QFile>

#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>

using umock::descriptors;

namespace {

constexpr quint8 ManufacturerIndex = 1;
constexpr quint8 ProductIndex = 2;
constexpr int ProductRequestLength = 127; // what one string descriptor can hold, and more

QByteArray stringDescriptor(const QByteArray &ascii)
{
    QByteArray out;
    out.append(char(2 + 2 * ascii.size()));
    out.append(char(3));
    for (char c : ascii) {
        out.append(c);
        out.append('\0');
    }
    return out;
}

// A completed transfer's error number as usbdevfs reports it, chosen so that libusb's own
// mapping gives the same number back. A completed URB can only carry these kinds of failure;
// any other number arrives as an I/O error (-5), as it would from a real device.
int urbStatus(int error)
{
    switch (error) {
    case usb::ErrNoDevice:
        return -ENODEV;
    case usb::ErrPipe:
        return -EPIPE;
    case usb::ErrOverflow:
        return -EOVERFLOW;
    default:
        return -EPROTO;
    }
}

// The errno of a SETCONFIGURATION or CLAIMINTERFACE that libusb turns into this number.
int requestErrno(int error, bool setConfiguration)
{
    switch (error) {
    case usb::ErrNotFound:
        return setConfiguration ? EINVAL : ENOENT;
    case usb::ErrNoDevice: // the kernel's word for a device that has gone
        return ENODEV;
    default:
        return -error;
    }
}

} // namespace

QByteArray umock::descriptors(const QMap<int, QList<quint8>> &endpoints, quint16 vendor,
                              quint16 product, quint8 deviceClass)
{
    const quint8 device[] = {18,
                             1,
                             0x00,
                             0x02, // USB 2.0
                             deviceClass,
                             0x00,
                             0x00,
                             0x40,
                             quint8(vendor),
                             quint8(vendor >> 8),
                             quint8(product),
                             quint8(product >> 8),
                             0x00,
                             0x01,
                             ManufacturerIndex,
                             ProductIndex,
                             0x00,
                             quint8(endpoints.size())};
    QByteArray out(reinterpret_cast<const char *>(device), sizeof device);
    for (auto it = endpoints.begin(); it != endpoints.end(); ++it) {
        const int total = 9 + 9 + 7 * int(it->size());
        const quint8 config[] = {9,    2, quint8(total), quint8(total >> 8), 1, quint8(it.key()), 0,
                                 0x80, 50};
        const quint8 iface[] = {9, 4, 0, 0, quint8(it->size()), 0xFF, 0, 0, 0};
        out.append(reinterpret_cast<const char *>(config), sizeof config);
        out.append(reinterpret_cast<const char *>(iface), sizeof iface);
        for (quint8 ep : *it) {
            const quint8 e[] = {7, 5, ep, 0x02 /* bulk */, 0x00, 0x02 /* 512 bytes */, 0};
            out.append(reinterpret_cast<const char *>(e), sizeof e);
        }
    }
    return out;
}

gboolean umock::onIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer user)
{
    auto *port = static_cast<Port *>(user);
    return port->owner->handle(port, client);
}

void umock::onClientVanished(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer user)
{
    auto *port = static_cast<Port *>(user);
    QMutexLocker lock(&port->owner->mutex);
    port->sessions.remove(client);
}

namespace {

unsigned readUInt(UMockdevIoctlData *arg)
{
    UMockdevIoctlData *d = umockdev_ioctl_data_resolve(arg, 0, sizeof(unsigned), nullptr);
    if (!d)
        return ~0u;
    unsigned value = 0;
    std::memcpy(&value, d->data, sizeof value);
    g_object_unref(d);
    return value;
}

} // namespace

// The model's session of this opening of the node, opened with the first request.
quint32 UmockDevice::Private::session(Port *port, UMockdevIoctlClient *client)
{
    auto it = port->sessions.find(client);
    if (it == port->sessions.end()) {
        quint32 s = 0; // never a live session: the model answers -6
        if (port->socket->model)
            port->socket->model->hostOpen(&s);
        it = port->sessions.insert(client, s);
    }
    return *it;
}

gboolean UmockDevice::Private::handle(Port *port, UMockdevIoctlClient *client)
{
    const gulong request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData *arg = umockdev_ioctl_client_get_arg(client);
    QMutexLocker lock(&mutex);
    SimController *model = port->socket->model.get();

    // After removal the node answers nothing, except that URBs answered before (or cut off by)
    // the removal can still be reaped.
    const bool isReap = request == USBDEVFS_REAPURBNDELAY || request == USBDEVFS_REAPURB;
    if ((port->gone || !model) && !isReap) {
        umockdev_ioctl_client_complete(client, -1, ENODEV);
        return TRUE;
    }

    switch (request) {
    case USBDEVFS_GET_CAPABILITIES: {
        UMockdevIoctlData *d = umockdev_ioctl_data_resolve(arg, 0, sizeof(quint32), nullptr);
        const quint32 caps = USBDEVFS_CAP_BULK_SCATTER_GATHER | USBDEVFS_CAP_BULK_CONTINUATION
            | USBDEVFS_CAP_NO_PACKET_SIZE_LIM | USBDEVFS_CAP_REAP_AFTER_DISCONNECT
            | USBDEVFS_CAP_ZERO_PACKET;
        std::memcpy(d->data, &caps, sizeof caps);
        g_object_unref(d);
        session(port, client);
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
    }
    case USBDEVFS_SETCONFIGURATION: {
        const unsigned configuration = readUInt(arg);
        const int r = model->hostSetConfiguration(session(port, client), int(configuration));
        if (r < 0) {
            umockdev_ioctl_client_complete(client, -1, requestErrno(r, true));
            return TRUE;
        }
        setConfigurationAttribute(port->socket, configuration);
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
    }
    case USBDEVFS_CLAIMINTERFACE: {
        const int r = model->hostClaim(session(port, client), int(readUInt(arg)));
        umockdev_ioctl_client_complete(client, r < 0 ? -1 : 0, r < 0 ? requestErrno(r, false) : 0);
        return TRUE;
    }
    case USBDEVFS_RELEASEINTERFACE: {
        const int r = model->hostRelease(session(port, client), int(readUInt(arg)));
        umockdev_ioctl_client_complete(client, r < 0 ? -1 : 0, r < 0 ? requestErrno(r, false) : 0);
        return TRUE;
    }
    case USBDEVFS_DISCONNECT_CLAIM:
    case USBDEVFS_CLEAR_HALT:
    case USBDEVFS_RESETEP:
    case USBDEVFS_RESET:
        umockdev_ioctl_client_complete(client, 0, 0);
        return TRUE;
    case USBDEVFS_GETDRIVER:
    case USBDEVFS_IOCTL:
        // No kernel driver is bound to the interface.
        umockdev_ioctl_client_complete(client, -1, ENODATA);
        return TRUE;
    case USBDEVFS_SUBMITURB:
        submit(port, client, arg);
        return TRUE;
    case USBDEVFS_REAPURB:
    case USBDEVFS_REAPURBNDELAY:
        reap(port, client, arg);
        return TRUE;
    case USBDEVFS_DISCARDURB: {
        gulong address = 0;
        std::memcpy(&address, arg->data, qMin(sizeof address, size_t(arg->data_len)));
        for (auto it = port->pending.begin(); it != port->pending.end(); ++it) {
            if (it->urb->client_addr == address) {
                port->discarded.push_back(*it);
                port->pending.erase(it);
                ++discardedCount;
                umockdev_ioctl_client_complete(client, 0, 0);
                return TRUE;
            }
        }
        umockdev_ioctl_client_complete(client, -1, EINVAL);
        return TRUE;
    }
    default:
        umockdev_ioctl_client_complete(client, -1, ENOTTY);
        return TRUE;
    }
}

void UmockDevice::Private::submit(Port *port, UMockdevIoctlClient *client, UMockdevIoctlData *arg)
{
    Urb urb;
    urb.urb = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
    if (!urb.urb) {
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return;
    }
    usbdevfs_urb *h = urb.header();
    if (h->buffer_length > 0) {
        urb.buffer = umockdev_ioctl_data_resolve(urb.urb, G_STRUCT_OFFSET(usbdevfs_urb, buffer),
                                                 gsize(h->buffer_length), nullptr);
        if (!urb.buffer) {
            urb.release();
            umockdev_ioctl_client_complete(client, -1, EFAULT);
            return;
        }
    }
    h->actual_length = 0;
    h->status = 0;
    urb.id = nextUrbId++;

    if (h->type == USBDEVFS_URB_TYPE_CONTROL) {
        control(port, client, urb);
        port->done.push_back(urb);
        umockdev_ioctl_client_complete(client, 0, 0);
        return;
    }
    if (h->type != USBDEVFS_URB_TYPE_BULK) {
        urb.release();
        umockdev_ioctl_client_complete(client, -1, EINVAL);
        return;
    }

    // The model answers as SimTransport's caller would see it, blocking while it waits for
    // data; the URB stays pending meanwhile and libusb keeps polling.
    const quint8 ep = h->endpoint;
    const int size = h->buffer_length;
    const int timeoutMs = hostTimeouts.value(ep, usb::TimeoutMs);
    const QByteArray out = (ep & 0x80) || size <= 0
        ? QByteArray()
        : QByteArray(reinterpret_cast<const char *>(urb.buffer->data), size);
    const quint32 s = session(port, client);
    const quint64 id = urb.id;
    port->pending.push_back(urb);
    umockdev_ioctl_client_complete(client, 0, 0);

    pool.start([this, port, id, ep, size, timeoutMs, out, s, sim = port->socket->model] {
        QByteArray in;
        int r = 0;
        if (ep & 0x80) {
            in.resize(size);
            r = sim->hostBulkIn(s, ep, in.data(), size, timeoutMs);
            in.truncate(qMax(0, r));
        } else {
            r = sim->hostBulkOut(s, ep, out.constData(), size, timeoutMs);
        }
        QMutexLocker lock(&mutex);
        finish(port, id, r, in);
        if (r > 0 && (ep & 0x80) && !port->gone) {
            // The host gave up on this read before the data came: keep it for the next one,
            // as a device keeps unsent data in its endpoint buffer.
            bool found = false;
            for (const Urb &done : port->done)
                found = found || done.id == id;
            if (!found)
                sim->queueRead(ep, in);
        }
    });
}

// Completes a pending bulk URB with the model's answer (mutex held). A URB the host
// discarded in the meantime is left alone.
void UmockDevice::Private::finish(Port *port, quint64 id, int result, const QByteArray &data)
{
    for (auto it = port->pending.begin(); it != port->pending.end(); ++it) {
        if (it->id != id)
            continue;
        // A time-out leaves the URB pending: the host ends it with its own time-out.
        if (result == usb::ErrTimeout)
            return;
        usbdevfs_urb *h = it->header();
        if (result < 0) {
            h->status = urbStatus(result);
        } else {
            const int n = qMin(result, h->buffer_length);
            if ((h->endpoint & 0x80) && n > 0)
                std::memcpy(it->buffer->data, data.constData(), size_t(qMin(n, int(data.size()))));
            h->actual_length = n;
        }
        port->done.push_back(*it);
        port->pending.erase(it);
        return;
    }
}

// Standard GET_DESCRIPTOR requests on endpoint 0; anything else stalls.
void UmockDevice::Private::control(Port *port, UMockdevIoctlClient *client, Urb &urb)
{
    usbdevfs_urb *h = urb.header();
    if (!urb.buffer || h->buffer_length < 8) {
        h->status = -EPIPE;
        return;
    }
    const quint8 *setup = urb.buffer->data;
    const quint8 index = setup[2];
    const quint8 type = setup[3];
    const int length = qMin(int(setup[6] | (setup[7] << 8)), h->buffer_length - 8);
    if (setup[0] != 0x80 || setup[1] != 6 /* GET_DESCRIPTOR */) {
        h->status = -EPIPE;
        return;
    }
    SimController *model = port->socket->model.get();
    QByteArray reply;
    if (type == 3 && index == 0) {
        reply = QByteArray("\x04\x03\x09\x04", 4); // languages: English (US)
    } else if (type == 3 && index == ManufacturerIndex) {
        reply = stringDescriptor("VELK");
    } else if (type == 3 && index == ProductIndex) {
        QByteArray text;
        const int r = model->hostProductString(session(port, client), &text, ProductRequestLength);
        if (r < 0) {
            h->status = urbStatus(r);
            return;
        }
        reply = stringDescriptor(text);
    } else if (type == 1) {
        reply = descriptors(endpoints, model->vendorId(), model->productId()).left(18);
    } else {
        h->status = -EPIPE;
        return;
    }
    const int n = qMin(length, int(reply.size()));
    std::memcpy(urb.buffer->data + 8, reply.constData(), size_t(n));
    h->actual_length = n;
}

void UmockDevice::Private::reap(Port *port, UMockdevIoctlClient *client, UMockdevIoctlData *arg)
{
    Urb urb;
    if (!port->discarded.empty()) {
        urb = port->discarded.front();
        port->discarded.pop_front();
        urb.header()->status = -ENOENT;
    } else if (!port->done.empty()) {
        urb = port->done.front();
        port->done.pop_front();
    }
    if (!urb.urb) {
        umockdev_ioctl_client_complete(client, -1, port->gone ? ENODEV : EAGAIN);
        return;
    }
    UMockdevIoctlData *out = umockdev_ioctl_data_resolve(arg, 0, sizeof(gpointer), nullptr);
    const bool ok = out && umockdev_ioctl_data_set_ptr(out, 0, urb.urb);
    if (out)
        g_object_unref(out);
    urb.release();
    umockdev_ioctl_client_complete(client, ok ? 0 : -1, ok ? 0 : EFAULT);
}

// libusb reads the active configuration from sysfs, where the kernel keeps it. Written as a
// plain file in the testbed folder: the testbed object belongs to the test's thread.
void UmockDevice::Private::setConfigurationAttribute(const Socket *socket, unsigned configuration)
{
    QFile file(root + QString::fromLatin1(socket->sysPath) + QLatin1String("/bConfigurationValue"));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(QByteArray::number(configuration) + '\n');
}
