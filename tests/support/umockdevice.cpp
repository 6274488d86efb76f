// The emulated bus: its sockets as sysfs devices with their nodes, plugged and unplugged as
// their models come and go (what a node answers is in usbdevfsnode.cpp).

#include "umockdevice_p.h" // first: it includes GLib's headers before Qt's

#include "device/usbtransport.h"

using umock::descriptors;

namespace {

// The socket that the single-device calls (setModel(model), model(), isPlugged()) address.
const QString FirstSocket = QStringLiteral("1-1");

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
    port->signalIds.push_back(g_signal_connect_after(port->handler, "handle-ioctl",
                                                     G_CALLBACK(umock::onIoctl), port.get()));
    port->signalIds.push_back(g_signal_connect(port->handler, "client-vanished",
                                               G_CALLBACK(umock::onClientVanished), port.get()));
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
