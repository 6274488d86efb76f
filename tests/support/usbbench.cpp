#include "usbbench.h"

#include "sim/simtransport.h"
#include "umockdevice.h"

#include <QTest>

namespace {
std::unique_ptr<UmockDevice> emulatedBus;
}

void UsbBench::addBackendRows()
{
    QTest::addColumn<UsbBench::Backend>("backend");
    QTest::newRow("sim") << Simulated;
    QTest::newRow("libusb") << Libusb;
}

UsbBench::Backend UsbBench::currentBackend()
{
    QFETCH_GLOBAL(UsbBench::Backend, backend);
    return backend;
}

bool UsbBench::startBus(QString *reason)
{
    emulatedBus = std::make_unique<UmockDevice>();
    if (!UmockDevice::preloaded()) {
        emulatedBus.reset();
        *reason = QStringLiteral("libumockdev-preload.so.0 is not preloaded");
        return false;
    }
    return true;
}

void UsbBench::stopBus()
{
    emulatedBus.reset();
}

UmockDevice *UsbBench::bus()
{
    return emulatedBus.get();
}

UsbBench::UsbBench(Backend b)
    : backend(b)
    , model(std::make_shared<SimController>())
    , simBus(std::make_shared<SimBus>())
{
    sockets.insert(QStringLiteral("1-1"), model);
    simBus->insert(QStringLiteral("1-1"), model);
    if (backend == Libusb && emulatedBus)
        emulatedBus->setModel(model);
}

UsbBench::~UsbBench()
{
    if (backend == Libusb && emulatedBus) {
        for (auto it = sockets.cbegin(); it != sockets.cend(); ++it)
            emulatedBus->setModel(it.key(), nullptr);
        emulatedBus->setEndpoints(1, {0x06});
        emulatedBus->setEndpoints(2, {0x01, 0x81, 0x82});
    }
}

std::unique_ptr<UsbTransport> UsbBench::makeTransport()
{
    if (backend == Libusb)
        return emulatedBus ? emulatedBus->makeTransport() : nullptr;
    return std::make_unique<SimTransport>(simBus);
}

void UsbBench::setEndpoints(int configuration, const QList<quint8> &endpoints)
{
    model->setEndpoints(configuration, endpoints);
    if (backend == Libusb && emulatedBus) {
        // The descriptors change with a new plug of the device.
        emulatedBus->setModel(nullptr);
        emulatedBus->setEndpoints(configuration, endpoints);
        emulatedBus->setModel(model);
    }
}

std::shared_ptr<SimController> UsbBench::addController(const QString &path)
{
    auto added = std::make_shared<SimController>();
    sockets.insert(path, added);
    simBus->insert(path, added);
    if (backend == Libusb && emulatedBus)
        emulatedBus->setModel(path, added);
    return added;
}

void UsbBench::moveController(const QString &from, const QString &to)
{
    const std::shared_ptr<SimController> moved = sockets.take(from);
    sockets.insert(to, moved);
    moved->unplug();
    simBus->insert(from, nullptr);
    simBus->insert(to, moved);
    if (backend == Libusb && emulatedBus) {
        emulatedBus->setModel(from, nullptr);
        emulatedBus->setModel(to, moved);
    }
    moved->plug();
}
