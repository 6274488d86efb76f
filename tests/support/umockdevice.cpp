// GLib's headers use "signals" as a name, which Qt defines as a macro: include them first.
#include <umockdev.h>

#include "umockdevice.h"

#include "device/usbtransport.h"
#include "sim/simcontroller.h"

#include <QFile>
#include <QHash>
#include <QMap>
#include <QMutex>
#include <QStringList>
#include <QThreadPool>

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <vector>

namespace {

// The socket that the single-device calls (setModel(model), model(), isPlugged()) address.
const QString FirstSocket = QStringLiteral("1-1");

constexpr quint8 ManufacturerIndex = 1;
constexpr quint8 ProductIndex = 2;
constexpr int ProductRequestLength = 127; // what one string descriptor can hold, and more

// Standard descriptors: the device, then its configurations (1 and 2), each with interface 0
// (vendor class) and its bulk endpoints.
QByteArray descriptors(const QMap<int, QList<quint8>> &endpoints, quint16 vendor, quint16 product,
                       quint8 deviceClass = 0x00)
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

struct Urb
{
    quint64 id = 0;
    UMockdevIoctlData *urb = nullptr; // owned reference
    UMockdevIoctlData *buffer = nullptr; // owned reference
    usbdevfs_urb *header() const { return reinterpret_cast<usbdevfs_urb *>(urb->data); }
    void release()
    {
        g_clear_object(&buffer);
        g_clear_object(&urb);
    }
};

} // namespace

struct Port;

// One socket of the emulated bus: its port path, the sysfs device and node that a device
// plugged into it gets, and the model plugged there.
struct Socket
{
    QString path; // "1-2", "1-4.1"
    QByteArray sysPath; // "/sys/devices/usb1/1-4/1-4.1"
    QByteArray devNode; // "/dev/bus/usb/001/005"
    int bus = 1;
    int devnum = 0;
    std::shared_ptr<SimController> model;
    QMetaObject::Connection modelConnection;
    std::vector<std::unique_ptr<Port>> ports; // every plug so far; the last one is current
    bool plugged = false;
};

// One plug of the device: its ioctl handler, the openings of its node and the URBs in flight.
struct Port
{
    UmockDevice::Private *owner = nullptr;
    Socket *socket = nullptr;
    UMockdevIoctlBase *handler = nullptr;
    std::vector<gulong> signalIds;
    bool gone = false; // unplugged: every request but reaping fails with ENODEV
    QHash<UMockdevIoctlClient *, quint32> sessions; // the model's session of each opening
    std::deque<Urb> pending; // submitted, the model has not answered yet
    std::deque<Urb> done; // answered, to be reaped
    std::deque<Urb> discarded; // cancelled by the host, to be reaped with -ENOENT
};

struct UmockDevice::Private
{
    UmockDevice *q = nullptr;
    UMockdevTestbed *testbed = nullptr;
    QString root;
    // Runs the model's host-side calls, which block as a transfer does, off umockdev's thread.
    QThreadPool pool;

    // Guards everything below. Never held across a call into the testbed (such calls may wait
    // for umockdev's thread, which takes it).
    mutable QMutex mutex;
    std::vector<std::unique_ptr<Socket>> sockets; // made on first use, kept to the end
    QStringList hubs; // port paths of the hubs added on the way to a socket
    int nextDevnum = 2;
    QMap<int, QList<quint8>> endpoints {{1, {0x06}}, {2, {0x01, 0x81, 0x82}}};
    QHash<quint8, int> hostTimeouts;
    int discardedCount = 0;
    quint64 nextUrbId = 1;

    Socket *socket(const QString &path); // mutex held
    void addHubs(const QString &path);
    // Add the device with an "add" uevent / send "remove", then take it off the bus.
    void plug(Socket *socket);
    void unplug(Socket *socket);

    gboolean handle(Port *port, UMockdevIoctlClient *client);
    quint32 session(Port *port, UMockdevIoctlClient *client);
    void submit(Port *port, UMockdevIoctlClient *client, UMockdevIoctlData *arg);
    void finish(Port *port, quint64 id, int result, const QByteArray &data);
    void reap(Port *port, UMockdevIoctlClient *client, UMockdevIoctlData *arg);
    void control(Port *port, UMockdevIoctlClient *client, Urb &urb);
    void setConfigurationAttribute(const Socket *socket, unsigned configuration);
};

namespace {

gboolean onIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer user)
{
    auto *port = static_cast<Port *>(user);
    return port->owner->handle(port, client);
}

void onClientVanished(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer user)
{
    auto *port = static_cast<Port *>(user);
    QMutexLocker lock(&port->owner->mutex);
    port->sessions.remove(client);
}

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

namespace {

// The libusb backend with a side channel: before each transfer it tells the emulated device
// the time-out, which the model's blocking calls need. Everything else passes through.
class TimedTransport : public UsbTransport
{
public:
    TimedTransport(std::unique_ptr<UsbTransport> inner, UmockDevice *device)
        : inner(std::move(inner))
        , device(device)
    {
        connect(this->inner.get(), &UsbTransport::deviceChanged, this, &UsbTransport::deviceChanged,
                Qt::DirectConnection);
    }
    int open(quint16 vendor, quint16 product) override { return inner->open(vendor, product); }
    bool isOpen() const override { return inner->isOpen(); }
    int productString(QByteArray *out, int maxLength) override
    {
        return inner->productString(out, maxLength);
    }
    int setConfiguration(int configuration) override
    {
        return inner->setConfiguration(configuration);
    }
    int claimInterface(int interface) override { return inner->claimInterface(interface); }
    int prepareEndpoint(quint8 endpoint) override { return inner->prepareEndpoint(endpoint); }
    int bulkWrite(quint8 endpoint, const char *data, int size, int timeoutMs) override
    {
        device->setHostTimeout(endpoint & 0x7F, timeoutMs);
        return inner->bulkWrite(endpoint, data, size, timeoutMs);
    }
    int bulkRead(quint8 endpoint, char *data, int size, int timeoutMs) override
    {
        device->setHostTimeout(endpoint | 0x80, timeoutMs);
        return inner->bulkRead(endpoint, data, size, timeoutMs);
    }
    void close() override { inner->close(); }
    bool isListed(quint16 vendor, quint16 product) override
    {
        return inner->isListed(vendor, product);
    }
    bool watch(quint16 vendor, quint16 product) override { return inner->watch(vendor, product); }
    QList<UsbPortInfo> list(quint16 vendor, quint16 product) override
    {
        return inner->list(vendor, product);
    }
    void setPortPath(const QString &path) override { inner->setPortPath(path); }
    QString portPath() const override { return inner->portPath(); }

private:
    std::unique_ptr<UsbTransport> inner;
    UmockDevice *device;
};

} // namespace

UmockDevice::UmockDevice(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>())
{
    d->q = this;
    d->pool.setMaxThreadCount(16);
    d->testbed = umockdev_testbed_new();
    gchar *root = umockdev_testbed_get_root_dir(d->testbed);
    d->root = QString::fromLocal8Bit(root);
    g_free(root);
    QMutexLocker lock(&d->mutex);
    d->socket(FirstSocket); // the first device number, as a lone device gets it
}

UmockDevice::~UmockDevice()
{
    for (auto &socket : d->sockets) {
        QObject::disconnect(socket->modelConnection);
        d->unplug(socket.get());
    }
    // Model calls still waiting end with the model's time-out or its removal.
    d->pool.waitForDone();
    for (auto &socket : d->sockets) {
        for (auto &port : socket->ports) {
            for (gulong id : port->signalIds)
                g_signal_handler_disconnect(port->handler, id);
            g_object_unref(port->handler);
            for (auto *queue : {&port->pending, &port->done, &port->discarded}) {
                for (Urb &urb : *queue)
                    urb.release();
            }
        }
    }
    // Removes the testbed's temporary folder.
    g_object_unref(d->testbed);
}

bool UmockDevice::preloaded()
{
    return umockdev_in_mock_environment();
}

void UmockDevice::setModel(std::shared_ptr<SimController> model)
{
    setModel(FirstSocket, std::move(model));
}

void UmockDevice::setModel(const QString &portPath, std::shared_ptr<SimController> model)
{
    Socket *socket = nullptr;
    {
        QMutexLocker lock(&d->mutex);
        socket = d->socket(portPath);
    }
    QObject::disconnect(socket->modelConnection);
    d->unplug(socket);
    {
        QMutexLocker lock(&d->mutex);
        socket->model = model;
    }
    if (!model)
        return;
    d->addHubs(portPath);
    // Queued when a Vanish fault fires on a pool thread: the testbed is this thread's.
    socket->modelConnection =
        connect(model.get(), &SimController::attachmentChanged, this,
                [this, socket](bool on) { on ? d->plug(socket) : d->unplug(socket); });
    if (model->isPlugged())
        d->plug(socket);
}

SimController *UmockDevice::model() const
{
    QMutexLocker lock(&d->mutex);
    return d->sockets.front()->model.get();
}

void UmockDevice::setEndpoints(int configuration, const QList<quint8> &endpoints)
{
    QMutexLocker lock(&d->mutex);
    d->endpoints.insert(configuration, endpoints);
}

std::unique_ptr<UsbTransport> UmockDevice::makeTransport()
{
    return std::make_unique<TimedTransport>(makeLibusbTransport(), this);
}

void UmockDevice::setHostTimeout(quint8 endpoint, int ms)
{
    QMutexLocker lock(&d->mutex);
    d->hostTimeouts.insert(endpoint, ms);
}

namespace {

// The sysfs record of a device: "P:" its folder under /sys, "N:" its node under /dev.
QByteArray deviceRecord(const Socket &s, quint16 vendor, quint16 product, const QByteArray &hex)
{
    const QByteArray bus = QByteArray::number(s.bus).rightJustified(3, '0');
    const QByteArray dev = QByteArray::number(s.devnum).rightJustified(3, '0');
    return "P: " + s.sysPath.mid(4) + "\nN: " + s.devNode.mid(5)
        + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nE: DRIVER=usb\nE: BUSNUM=" + bus
        + "\nE: DEVNUM=" + dev + "\nE: DEVNAME=" + s.devNode + "\nA: busnum="
        + QByteArray::number(s.bus) + "\\n\nA: devnum=" + QByteArray::number(s.devnum)
        + "\\n\nA: bConfigurationValue=1\\n\nA: speed=480\\n\nA: idVendor="
        + QByteArray::number(vendor, 16).rightJustified(4, '0')
        + "\\n\nA: idProduct=" + QByteArray::number(product, 16).rightJustified(4, '0')
        + "\\n\nH: descriptors=" + hex + "\n";
}

bool addToTestbed(UMockdevTestbed *testbed, const QByteArray &record)
{
    GError *error = nullptr;
    if (umockdev_testbed_add_from_string(testbed, record.constData(), &error))
        return true;
    qWarning("umockdev: cannot add the device: %s", error ? error->message : "?");
    g_clear_error(&error);
    return false;
}

} // namespace

// The socket at a port path, made on first use with the next device number; its sysfs folder
// lies in those of the hubs on the way ("1-4.1" in "1-4").
Socket *UmockDevice::Private::socket(const QString &path)
{
    for (auto &s : sockets) {
        if (s->path == path)
            return s.get();
    }
    auto s = std::make_unique<Socket>();
    s->path = path;
    s->bus = path.section(QLatin1Char('-'), 0, 0).toInt();
    s->devnum = nextDevnum++;
    QByteArray folder = "/sys/devices/usb" + QByteArray::number(s->bus);
    const QStringList ports = path.section(QLatin1Char('-'), 1).split(QLatin1Char('.'));
    for (qsizetype i = 1; i <= ports.size(); ++i)
        folder += '/' + QByteArray::number(s->bus) + '-' + ports.mid(0, i).join('.').toLatin1();
    s->sysPath = folder;
    s->devNode = QStringLiteral("/dev/bus/usb/%1/%2")
                     .arg(s->bus, 3, 10, QLatin1Char('0'))
                     .arg(s->devnum, 3, 10, QLatin1Char('0'))
                     .toLatin1();
    sockets.push_back(std::move(s));
    return sockets.back().get();
}

// Hubs that lead to the socket, each a device of the hub class on the bus from now on (libusb
// finds a device's port numbers through its parents).
void UmockDevice::Private::addHubs(const QString &path)
{
    const QStringList ports = path.section(QLatin1Char('-'), 1).split(QLatin1Char('.'));
    for (qsizetype i = 1; i < ports.size(); ++i) {
        const QString hub = path.section(QLatin1Char('-'), 0, 0) + QLatin1Char('-')
            + ports.mid(0, i).join(QLatin1Char('.'));
        QByteArray record;
        {
            QMutexLocker lock(&mutex);
            if (hubs.contains(hub))
                continue;
            hubs.append(hub);
            const Socket *s = socket(hub);
            record = deviceRecord(*s, 0x1d6b, 0x0002,
                                  descriptors({{1, {0x81}}}, 0x1d6b, 0x0002, 0x09).toHex());
        }
        addToTestbed(testbed, record);
    }
}

void UmockDevice::Private::plug(Socket *socket)
{
    QByteArray record;
    {
        QMutexLocker lock(&mutex);
        if (socket->plugged || !socket->model)
            return;
        const quint16 vendor = socket->model->vendorId();
        const quint16 product = socket->model->productId();
        record =
            deviceRecord(*socket, vendor, product, descriptors(endpoints, vendor, product).toHex());
    }
    // The node keeps the handler it had; the replugged device gets a fresh one.
    if (!socket->ports.empty())
        umockdev_testbed_detach_ioctl(testbed, socket->devNode.constData(), nullptr);
    auto port = std::make_unique<Port>();
    port->owner = this;
    port->socket = socket;
    port->handler = umockdev_ioctl_base_new();
    port->signalIds.push_back(
        g_signal_connect_after(port->handler, "handle-ioctl", G_CALLBACK(onIoctl), port.get()));
    port->signalIds.push_back(g_signal_connect(port->handler, "client-vanished",
                                               G_CALLBACK(onClientVanished), port.get()));
    UMockdevIoctlBase *handler = port->handler;
    {
        QMutexLocker lock(&mutex);
        socket->ports.push_back(std::move(port));
    }
    // The handler goes first, so that the node answers as soon as the "add" uevent arrives.
    GError *error = nullptr;
    if (!umockdev_testbed_attach_ioctl(testbed, socket->devNode.constData(), handler, &error)) {
        qWarning("umockdev: cannot attach the ioctl handler: %s", error ? error->message : "?");
        g_clear_error(&error);
    }
    if (!addToTestbed(testbed, record))
        return;
    QMutexLocker lock(&mutex);
    socket->plugged = true;
}

void UmockDevice::Private::unplug(Socket *socket)
{
    {
        QMutexLocker lock(&mutex);
        if (!socket->plugged)
            return;
        socket->plugged = false;
        Port *port = socket->ports.back().get();
        port->gone = true;
        // Transfers in flight end as the kernel ends them when a device goes.
        while (!port->pending.empty()) {
            Urb urb = port->pending.front();
            port->pending.pop_front();
            urb.header()->status = -ENODEV;
            port->done.push_back(urb);
        }
    }
    // The uevent first: libusb's hot-plug thread looks the device up as it goes.
    umockdev_testbed_uevent(testbed, socket->sysPath.constData(), "remove");
    umockdev_testbed_remove_device(testbed, socket->sysPath.constData());
}

bool UmockDevice::isPlugged() const
{
    QMutexLocker lock(&d->mutex);
    return d->sockets.front()->plugged;
}

int UmockDevice::discardedUrbs() const
{
    QMutexLocker lock(&d->mutex);
    return d->discardedCount;
}

void UmockDevice::setIdleThreadExpiry(int ms)
{
    d->pool.setExpiryTimeout(ms);
}

QString UmockDevice::rootDir() const
{
    return d->root;
}

QString UmockDevice::devNode() const
{
    QMutexLocker lock(&d->mutex);
    return QString::fromLatin1(d->sockets.front()->devNode);
}
