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
{
    if (backend == Libusb && emulatedBus)
        emulatedBus->setModel(model);
}

UsbBench::~UsbBench()
{
    if (backend == Libusb && emulatedBus) {
        emulatedBus->setModel(nullptr);
        emulatedBus->setEndpoints(1, {0x06});
        emulatedBus->setEndpoints(2, {0x01, 0x81, 0x82});
    }
}

std::unique_ptr<UsbTransport> UsbBench::makeTransport()
{
    if (backend == Libusb)
        return emulatedBus ? emulatedBus->makeTransport() : nullptr;
    return std::make_unique<SimTransport>(model);
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
