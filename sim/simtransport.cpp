#include "sim/simtransport.h"

#include "config/crc16.h"
#include "config/image.h"
#include "config/tk440.h"

namespace {
std::shared_ptr<SimBus> busWith(std::shared_ptr<SimUsbDevice> device)
{
    auto bus = std::make_shared<SimBus>();
    bus->insert(QStringLiteral("1-1"), std::move(device));
    return bus;
}
} // namespace

SimTransport::SimTransport(std::shared_ptr<SimBus> bus)
    : simBus(std::move(bus))
{
    // Plug and unplug reach the owner like a hot-plug event, once it watches.
    connect(
        simBus.get(), &SimBus::changed, this,
        [this] {
            if (watching)
                Q_EMIT deviceChanged();
        },
        Qt::DirectConnection);
}

SimTransport::SimTransport(std::shared_ptr<SimUsbDevice> device)
    : SimTransport(busWith(std::move(device)))
{ }

SimTransport::~SimTransport() = default;

SimUsbDevice *SimTransport::device() const
{
    if (sim)
        return sim.get();
    const std::shared_ptr<SimUsbDevice> d =
        chosenPath.isEmpty() ? simBus->first() : simBus->at(chosenPath);
    return d.get();
}

std::shared_ptr<SimUsbDevice> SimTransport::addressed(quint16 vendor, quint16 product) const
{
    if (!chosenPath.isEmpty()) {
        std::shared_ptr<SimUsbDevice> d = simBus->at(chosenPath);
        return d && d->hostMatches(vendor, product) ? d : nullptr;
    }
    const QList<SimBus::Socket> listed = simBus->listed(vendor, product);
    return listed.isEmpty() ? nullptr : listed.first().device;
}

int SimTransport::open(quint16 vendor, quint16 product)
{
    close();
    std::shared_ptr<SimUsbDevice> d = addressed(vendor, product);
    if (!d)
        return NotListed;
    const int r = d->hostOpen(&session);
    if (r < 0)
        return r;
    sim = std::move(d);
    return 0;
}

bool SimTransport::isOpen() const
{
    return sim != nullptr;
}

int SimTransport::productString(QByteArray *out, int maxLength)
{
    if (!sim)
        return usb::ErrNoDevice;
    return sim->hostProductString(session, out, maxLength);
}

int SimTransport::setConfiguration(int configuration)
{
    if (!sim)
        return usb::ErrNoDevice;
    return sim->hostSetConfiguration(session, configuration);
}

int SimTransport::claimInterface(int interface)
{
    if (!sim)
        return usb::ErrNoDevice;
    const int r = sim->hostClaim(session, interface);
    if (r == 0)
        claimed = interface;
    return r;
}

int SimTransport::prepareEndpoint(quint8 endpoint)
{
    if (!sim || claimed < 0)
        return usb::ErrNoDevice;
    return sim->hostHasEndpoint(endpoint) ? 0 : usb::ErrNotFound;
}

int SimTransport::bulkWrite(quint8 endpoint, const char *data, int size, int timeoutMs)
{
    if (!sim)
        return usb::ErrNoDevice;
    return sim->hostBulkOut(session, endpoint & 0x7F, data, size, timeoutMs);
}

int SimTransport::bulkRead(quint8 endpoint, char *data, int size, int timeoutMs)
{
    if (!sim)
        return usb::ErrNoDevice;
    return sim->hostBulkIn(session, endpoint | 0x80, data, size, timeoutMs);
}

void SimTransport::close()
{
    if (!sim)
        return;
    if (claimed >= 0)
        sim->hostRelease(session, claimed);
    claimed = -1;
    sim.reset();
}

bool SimTransport::isListed(quint16 vendor, quint16 product)
{
    ++listCalls;
    if (sim)
        return sim->hostSessionAlive(session);
    return addressed(vendor, product) != nullptr;
}

bool SimTransport::watch(quint16, quint16)
{
    watching = true;
    return true;
}

QList<UsbPortInfo> SimTransport::list(quint16 vendor, quint16 product)
{
    QList<UsbPortInfo> out;
    for (const SimBus::Socket &s : simBus->listed(vendor, product)) {
        // Tried for opening as the libusb backend does; the open device counts as openable.
        quint32 probe = 0;
        const int r = s.device == sim ? 0 : s.device->hostOpen(&probe);
        out.append({s.path, qMin(r, 0)});
    }
    return out;
}

void SimTransport::setPortPath(const QString &path)
{
    chosenPath = path;
}

QString SimTransport::portPath() const
{
    return chosenPath;
}

std::shared_ptr<SimController> makeSimulatedController(const QString &model)
{
    quint16 code = 0;
    if (model.compare(QLatin1String("RA"), Qt::CaseInsensitive) == 0)
        code = SimController::ModelRA;
    else if (model.compare(QLatin1String("RB"), Qt::CaseInsensitive) == 0)
        code = SimController::ModelRB;
    else
        return nullptr;
    auto sim = std::make_shared<SimController>();
    sim->setModel(code);
    // A configuration that reads back intact: zero sections, serial 1 made on 1 January 2024,
    // in the form the controller keeps it (word area in wire order, checksum at offset 0).
    TK440 image {};
    image.setWord(TK440::SerialOffset, 1);
    image.setWord(TK440::YearOffset, 2024);
    image.b[TK440::MonthOffset] = 1;
    image.b[TK440::DayOffset] = 1;
    toDeviceForm(Crc16(), image);
    sim->setMemory(0, QByteArray(image.data(), TK440::IdentOffset));
    return sim;
}

std::unique_ptr<UsbTransport> makeSimulatedTransport(std::shared_ptr<SimController> model)
{
    return std::make_unique<SimTransport>(std::move(model));
}

std::unique_ptr<UsbTransport> makeSimulatedTransport(std::shared_ptr<SimBus> bus)
{
    return std::make_unique<SimTransport>(std::move(bus));
}
