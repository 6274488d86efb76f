#pragma once
// The USB transport onto a simulated controller: what the libusb backend does with a real one.

#include "device/usbtransport.h"
#include "sim/simcontroller.h"

#include <atomic>
#include <memory>

class SimTransport : public UsbTransport
{
    Q_OBJECT

public:
    explicit SimTransport(std::shared_ptr<SimUsbDevice> device);
    ~SimTransport() override;

    SimUsbDevice *device() const { return sim.get(); }
    // The controller behind the device; null for a device that is no K-330S.
    SimController *model() const { return qobject_cast<SimController *>(sim.get()); }

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

    // Calls of isListed so far (tests check that a check did or did not look at the bus).
    int listings() const { return listCalls; }

private:
    std::shared_ptr<SimUsbDevice> sim;
    bool opened = false;
    quint32 session = 0;
    int claimed = -1;
    std::atomic<bool> watching {false};
    std::atomic<int> listCalls {0};
};

// A simulated K-330S of the model "RA" or "RB" (case-insensitive), plugged in; null for an
// unknown model name.
std::shared_ptr<SimController> makeSimulatedController(const QString &model);
std::unique_ptr<UsbTransport> makeSimulatedTransport(std::shared_ptr<SimController> model);
