#pragma once
// The USB transport onto simulated controllers: what the libusb backend does with real ones.

#include "device/usbtransport.h"
#include "sim/simbus.h"
#include "sim/simcontroller.h"

#include <atomic>
#include <memory>

class SimTransport : public UsbTransport
{
    Q_OBJECT

public:
    // The devices on a simulated bus.
    explicit SimTransport(std::shared_ptr<SimBus> bus);
    // One device alone on a bus of its own, in the socket "1-1".
    explicit SimTransport(std::shared_ptr<SimUsbDevice> device);
    ~SimTransport() override;

    SimBus *bus() const { return simBus.get(); }
    // The device the transport addresses: the open one, else the one in the chosen socket,
    // else the first socket's; null for an empty socket or bus.
    SimUsbDevice *device() const;
    // The controller behind that device; null for a device that is no K-330S.
    SimController *model() const { return qobject_cast<SimController *>(device()); }

    int open(quint16 vendor, quint16 product) override;
    bool isOpen() const override;
    int productString(QByteArray *out, int maxLength) override;
    int setConfiguration(int configuration) override;
    int claimInterface(int interface) override;
    int prepareEndpoint(quint8 endpoint) override;
    int bulkWrite(quint8 endpoint, const char *data, int size, int timeoutMs) override;
    int bulkRead(quint8 endpoint, char *data, int size, int timeoutMs) override;
    void close() override;
    bool isListed(quint16 vendor, quint16 product) override;
    bool watch(quint16 vendor, quint16 product) override;
    QList<UsbPortInfo> list(quint16 vendor, quint16 product) override;
    void setPortPath(const QString &path) override;
    QString portPath() const override;

    // Calls of isListed so far (tests check that a check did or did not look at the bus).
    int listings() const { return listCalls; }

private:
    // The device open() would take now: the chosen socket's or the first listed one.
    std::shared_ptr<SimUsbDevice> addressed(quint16 vendor, quint16 product) const;

    std::shared_ptr<SimBus> simBus;
    std::shared_ptr<SimUsbDevice> sim; // the open device; null while closed
    QString chosenPath;
    quint32 session = 0;
    int claimed = -1;
    std::atomic<bool> watching {false};
    std::atomic<int> listCalls {0};
};

// A simulated K-330S of the model "RA" or "RB" (case-insensitive), plugged in; null for an
// unknown model name.
std::shared_ptr<SimController> makeSimulatedController(const QString &model);
std::unique_ptr<UsbTransport> makeSimulatedTransport(std::shared_ptr<SimController> model);
std::unique_ptr<UsbTransport> makeSimulatedTransport(std::shared_ptr<SimBus> bus);
