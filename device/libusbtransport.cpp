#include "device/libusbtransport.h"

#include <QLoggingCategory>

#include <libusb.h>

#include <atomic>
#include <cerrno>
#include <functional>
#include <thread>

Q_LOGGING_CATEGORY(lcUsb, "k330.device.usb")

struct LibusbTransport::Private
{
    libusb_context *ctx = nullptr;
    bool ownsContext = false;
    bool initFailed = false;
    libusb_device_handle *handle = nullptr;
    quint8 productIndex = 0;
    int claimed = -1; // the claimed interface, -1 when none
    QString chosenPath; // the device open() addresses; empty: the first listed

    // Hot-plug: the registered callback and the thread that runs libusb's event handling.
    bool watching = false;
    libusb_hotplug_callback_handle hotplugHandle = 0;
    std::thread events;
    std::atomic<bool> quit {false};

    bool ensureContext()
    {
        if (ctx)
            return true;
        if (initFailed)
            return false;
        const int r = libusb_init(&ctx);
        if (r < 0) {
            qCWarning(lcUsb) << "libusb_init failed:" << libusb_error_name(r);
            ctx = nullptr;
            initFailed = true;
            return false;
        }
        ownsContext = true;
        return true;
    }
};

namespace {

int LIBUSB_CALL hotplugCallback(libusb_context *, libusb_device *, libusb_hotplug_event event,
                                void *user)
{
    auto *self = static_cast<LibusbTransport *>(user);
    qCDebug(lcUsb) << (event == LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED ? "arrived" : "left");
    Q_EMIT self->deviceChanged();
    return 0; // stay registered
}

bool matches(libusb_device *dev, quint16 vendor, quint16 product, libusb_device_descriptor *desc)
{
    return libusb_get_device_descriptor(dev, desc) == 0 && desc->idVendor == vendor
        && desc->idProduct == product;
}

// "1-2.3": the bus, then the ports of the hubs from the root down to the device.
QString portPathOf(libusb_device *dev)
{
    uint8_t ports[8]; // seven tiers at most below the root
    const int n = libusb_get_port_numbers(dev, ports, int(sizeof ports));
    QString path = QString::number(libusb_get_bus_number(dev));
    for (int i = 0; i < n; ++i)
        path += (i == 0 ? QLatin1Char('-') : QLatin1Char('.')) + QString::number(ports[i]);
    return path;
}

// The devices of the identity on the bus, in libusb's order, each with its port path; the
// caller stops the walk by returning true.
void forEachMatch(libusb_context *ctx, quint16 vendor, quint16 product,
                  const std::function<bool(libusb_device *, const libusb_device_descriptor &,
                                           const QString &path)> &visit)
{
    libusb_device **list = nullptr;
    const ssize_t count = libusb_get_device_list(ctx, &list);
    if (count < 0)
        return;
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device_descriptor desc {};
        if (matches(list[i], vendor, product, &desc) && visit(list[i], desc, portPathOf(list[i])))
            break;
    }
    libusb_free_device_list(list, 1);
}

} // namespace

std::unique_ptr<UsbTransport> makeLibusbTransport()
{
    return std::make_unique<LibusbTransport>();
}

LibusbTransport::LibusbTransport(libusb_context *context)
    : d(std::make_unique<Private>())
{
    d->ctx = context;
}

LibusbTransport::~LibusbTransport()
{
    close();
    if (d->watching) {
        d->quit = true;
        // Deregistering wakes the event thread out of its wait.
        libusb_hotplug_deregister_callback(d->ctx, d->hotplugHandle);
        d->events.join();
    }
    if (d->ownsContext)
        libusb_exit(d->ctx);
}

// The error numbers of the libusb-0.1 interface that the messages show.
int LibusbTransport::errorNumber(int e)
{
    switch (e) {
    case LIBUSB_SUCCESS:
        return 0;
    case LIBUSB_ERROR_IO:
        return -EIO;
    case LIBUSB_ERROR_INVALID_PARAM:
        return -EINVAL;
    case LIBUSB_ERROR_ACCESS:
        return -EACCES;
    case LIBUSB_ERROR_NO_DEVICE:
        return -ENXIO;
    case LIBUSB_ERROR_NOT_FOUND:
        return -ENOENT;
    case LIBUSB_ERROR_BUSY:
        return -EBUSY;
    case LIBUSB_ERROR_TIMEOUT:
        return -ETIMEDOUT;
    case LIBUSB_ERROR_OVERFLOW:
        return -EOVERFLOW;
    case LIBUSB_ERROR_PIPE:
        return -EPIPE;
    case LIBUSB_ERROR_INTERRUPTED:
        return -EINTR;
    case LIBUSB_ERROR_NO_MEM:
        return -ENOMEM;
    case LIBUSB_ERROR_NOT_SUPPORTED:
        return -ENOSYS;
    default:
        return -ERANGE;
    }
}

int LibusbTransport::open(quint16 vendor, quint16 product)
{
    close();
    if (!d->ensureContext())
        return NotListed;
    int result = NotListed;
    forEachMatch(
        d->ctx, vendor, product,
        [&](libusb_device *dev, const libusb_device_descriptor &desc, const QString &path) {
            if (!d->chosenPath.isEmpty() && path != d->chosenPath)
                return false;
            const int r = libusb_open(dev, &d->handle);
            if (r < 0) {
                d->handle = nullptr;
                result = errorNumber(r);
            } else {
                d->productIndex = desc.iProduct;
                result = 0;
            }
            return true;
        });
    return result;
}

bool LibusbTransport::isOpen() const
{
    return d->handle != nullptr;
}

int LibusbTransport::productString(QByteArray *out, int maxLength)
{
    if (!d->handle)
        return -ENXIO;
    QByteArray text(maxLength, '\0');
    const int r = libusb_get_string_descriptor_ascii(
        d->handle, d->productIndex, reinterpret_cast<unsigned char *>(text.data()), maxLength);
    if (r <= 0)
        return r < 0 ? errorNumber(r) : 0;
    text.truncate(qMin(r, maxLength - 1));
    *out = text;
    return int(text.size());
}

int LibusbTransport::setConfiguration(int configuration)
{
    if (!d->handle)
        return -ENXIO;
    return errorNumber(libusb_set_configuration(d->handle, configuration));
}

int LibusbTransport::claimInterface(int interface)
{
    if (!d->handle)
        return -ENXIO;
    const int r = libusb_claim_interface(d->handle, interface);
    if (r == 0)
        d->claimed = interface;
    return errorNumber(r);
}

int LibusbTransport::prepareEndpoint(quint8 endpoint)
{
    if (!d->handle || d->claimed < 0)
        return -ENXIO;
    libusb_config_descriptor *config = nullptr;
    const int r = libusb_get_active_config_descriptor(libusb_get_device(d->handle), &config);
    if (r < 0)
        return errorNumber(r);
    bool found = false;
    for (int i = 0; i < config->bNumInterfaces && !found; ++i) {
        const libusb_interface &iface = config->interface[i];
        for (int a = 0; a < iface.num_altsetting && !found; ++a) {
            const libusb_interface_descriptor &alt = iface.altsetting[a];
            if (alt.bInterfaceNumber != d->claimed)
                continue;
            for (int e = 0; e < alt.bNumEndpoints; ++e) {
                if (alt.endpoint[e].bEndpointAddress == endpoint)
                    found = true;
            }
        }
    }
    libusb_free_config_descriptor(config);
    return found ? 0 : -ENOENT;
}

namespace {
// A time-out that still moved data counts as a short transfer, as the 0.1 interface did.
int bulk(libusb_device_handle *handle, quint8 endpoint, unsigned char *data, int size,
         int timeoutMs)
{
    int moved = 0;
    const int r = libusb_bulk_transfer(handle, endpoint, data, size, &moved, uint(timeoutMs));
    if (r == 0 || (r == LIBUSB_ERROR_TIMEOUT && moved > 0))
        return moved;
    return LibusbTransport::errorNumber(r);
}
} // namespace

int LibusbTransport::bulkWrite(quint8 endpoint, const char *data, int size, int timeoutMs)
{
    if (!d->handle)
        return -ENXIO;
    return bulk(d->handle, endpoint & 0x7F,
                reinterpret_cast<unsigned char *>(const_cast<char *>(data)), size, timeoutMs);
}

int LibusbTransport::bulkRead(quint8 endpoint, char *data, int size, int timeoutMs)
{
    if (!d->handle)
        return -ENXIO;
    return bulk(d->handle, endpoint | 0x80, reinterpret_cast<unsigned char *>(data), size,
                timeoutMs);
}

void LibusbTransport::close()
{
    if (!d->handle)
        return;
    if (d->claimed >= 0)
        libusb_release_interface(d->handle, d->claimed);
    d->claimed = -1;
    libusb_close(d->handle);
    d->handle = nullptr;
}

bool LibusbTransport::isListed(quint16 vendor, quint16 product)
{
    if (!d->ensureContext())
        return false;
    libusb_device **list = nullptr;
    const ssize_t count = libusb_get_device_list(d->ctx, &list);
    if (count < 0)
        return false;
    // While open, only the open device itself counts: one unplugged and plugged in again
    // between two checks is a new device, and the old handle is dead.
    libusb_device *own = d->handle ? libusb_get_device(d->handle) : nullptr;
    bool found = false;
    for (ssize_t i = 0; i < count && !found; ++i) {
        libusb_device_descriptor desc {};
        if (own)
            found = list[i] == own;
        else
            found = matches(list[i], vendor, product, &desc)
                && (d->chosenPath.isEmpty() || portPathOf(list[i]) == d->chosenPath);
    }
    libusb_free_device_list(list, 1);
    return found;
}

QList<UsbPortInfo> LibusbTransport::list(quint16 vendor, quint16 product)
{
    QList<UsbPortInfo> out;
    if (!d->ensureContext())
        return out;
    libusb_device *own = d->handle ? libusb_get_device(d->handle) : nullptr;
    forEachMatch(d->ctx, vendor, product,
                 [&](libusb_device *dev, const libusb_device_descriptor &, const QString &path) {
                     UsbPortInfo info {path, 0};
                     libusb_device_handle *probe = nullptr;
                     if (dev != own) {
                         const int r = libusb_open(dev, &probe);
                         if (r < 0)
                             info.openError = errorNumber(r);
                         else
                             libusb_close(probe);
                     }
                     out.append(info);
                     return false;
                 });
    return out;
}

void LibusbTransport::setPortPath(const QString &path)
{
    d->chosenPath = path;
}

QString LibusbTransport::portPath() const
{
    return d->chosenPath;
}

bool LibusbTransport::watch(quint16 vendor, quint16 product)
{
    if (d->watching)
        return true;
    if (!libusb_has_capability(LIBUSB_CAP_HAS_HOTPLUG) || !d->ensureContext())
        return false;
    const int r = libusb_hotplug_register_callback(
        d->ctx,
        libusb_hotplug_event(LIBUSB_HOTPLUG_EVENT_DEVICE_ARRIVED
                             | LIBUSB_HOTPLUG_EVENT_DEVICE_LEFT),
        LIBUSB_HOTPLUG_NO_FLAGS, vendor, product, LIBUSB_HOTPLUG_MATCH_ANY, hotplugCallback, this,
        &d->hotplugHandle);
    if (r != LIBUSB_SUCCESS) {
        qCWarning(lcUsb) << "hot-plug registration failed:" << libusb_error_name(r);
        return false;
    }
    d->watching = true;
    d->events = std::thread([this] {
        while (!d->quit) {
            timeval tv {0, 250000};
            libusb_handle_events_timeout_completed(d->ctx, &tv, nullptr);
        }
    });
    return true;
}
