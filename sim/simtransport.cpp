#include "sim/simtransport.h"

#include "config/crc16.h"
#include "config/image.h"
#include "config/tk440.h"

SimTransport::SimTransport(std::shared_ptr<SimUsbDevice> device)
    : sim(std::move(device))
{
    // Plug and unplug reach the owner like a hot-plug event, once it watches.
    connect(
        sim.get(), &SimUsbDevice::attachmentChanged, this,
        [this](bool) {
            if (watching)
                Q_EMIT deviceChanged();
        },
        Qt::DirectConnection);
}

SimTransport::~SimTransport() = default;

int SimTransport::open(quint16 vendor, quint16 product)
{
    close();
    if (!sim->hostMatches(vendor, product))
        return NotListed;
    const int r = sim->hostOpen(&session);
    if (r < 0)
        return r;
    opened = true;
    return 0;
}

bool SimTransport::isOpen() const
{
    return opened;
}

int SimTransport::productString(QByteArray *out, int maxLength)
{
    if (!opened)
        return usb::ErrNoDevice;
    return sim->hostProductString(session, out, maxLength);
}

int SimTransport::setConfiguration(int configuration)
{
    if (!opened)
        return usb::ErrNoDevice;
    return sim->hostSetConfiguration(session, configuration);
}

int SimTransport::claimInterface(int interface)
{
    if (!opened)
        return usb::ErrNoDevice;
    const int r = sim->hostClaim(session, interface);
    if (r == 0)
        claimed = interface;
    return r;
}

int SimTransport::prepareEndpoint(quint8 endpoint)
{
    if (!opened || claimed < 0)
        return usb::ErrNoDevice;
    return sim->hostHasEndpoint(endpoint) ? 0 : usb::ErrNotFound;
}

int SimTransport::bulkWrite(quint8 endpoint, const char *data, int size, int timeoutMs)
{
    if (!opened)
        return usb::ErrNoDevice;
    return sim->hostBulkOut(session, endpoint & 0x7F, data, size, timeoutMs);
}

int SimTransport::bulkRead(quint8 endpoint, char *data, int size, int timeoutMs)
{
    if (!opened)
        return usb::ErrNoDevice;
    return sim->hostBulkIn(session, endpoint | 0x80, data, size, timeoutMs);
}

void SimTransport::close()
{
    if (!opened)
        return;
    if (claimed >= 0)
        sim->hostRelease(session, claimed);
    claimed = -1;
    opened = false;
}

bool SimTransport::isListed(quint16 vendor, quint16 product)
{
    ++listCalls;
    if (opened)
        return sim->hostSessionAlive(session);
    return sim->hostMatches(vendor, product);
}

bool SimTransport::watch(quint16, quint16)
{
    watching = true;
    return true;
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
