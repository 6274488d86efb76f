#include "device/controllers.h"

#include "config/image.h"
#include "config/infofields.h"
#include "device/configexchange.h"
#include "device/connection.h"
#include "device/connectionlink.h"

#include <cstring>

namespace {
// The identification as the image holds it (its last 14 bytes), which the Info page reads.
struct IdentBytes
{
    explicit IdentBytes(const TDev &id) { std::memcpy(bytes, &id, sizeof id); }
    quint8 bytes[sizeof(TDev)];
};
} // namespace

QString ControllerIdentity::modelText() const
{
    return modelName(id.model);
}

QString ControllerIdentity::serialText() const
{
    return cpuSerialText(IdentBytes(id).bytes);
}

QString ControllerIdentity::cpuIdText() const
{
    return ::cpuIdText(IdentBytes(id).bytes);
}

QString ControllerIdentity::versionText() const
{
    return ::versionText(IdentBytes(id).bytes);
}

std::optional<ControllerIdentity> identifyController(std::unique_ptr<UsbTransport> transport)
{
    ControllerIdentity c;
    c.path = transport->portPath();
    // The connection logs why it could not open or handshake, in the terminal's own words.
    QString failure;
    DeviceConnection connection({[&failure](const QString &line) {
                                     if (failure.isEmpty())
                                         failure = line;
                                 },
                                 [](bool) {
                                 }});
    connection.setTransport(std::move(transport));
    connection.open(usb::ConfigNormal);
    connection.handshake();
    if (!connection.isReady()) {
        connection.release();
        if (failure.isEmpty())
            return std::nullopt; // not listed there any more
        c.reason = failure;
        return c;
    }
    // The connection announced the controller; only the identification's own line counts now.
    failure.clear();
    ConnectionLink link(connection, {{}, [&failure](const QString &line) { failure = line; }, {}});
    if (!configuration::identify(link, &c.id))
        c.reason = failure;
    connection.release();
    return c;
}

QList<ControllerIdentity> identifyControllers(const UsbTransport::Factory &makeTransport)
{
    QList<UsbPortInfo> ports;
    {
        const std::unique_ptr<UsbTransport> bus = makeTransport();
        ports = bus->list(usb::VendorId, usb::ProductId);
    }
    QList<ControllerIdentity> out;
    for (const UsbPortInfo &port : ports) {
        std::unique_ptr<UsbTransport> transport = makeTransport();
        transport->setPortPath(port.path);
        if (std::optional<ControllerIdentity> c = identifyController(std::move(transport)))
            out.append(*c);
    }
    return out;
}
