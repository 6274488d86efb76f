#pragma once
// A simulated controller reached through either transport: SimTransport straight onto the
// model, or the libusb backend through the emulated USB device. Suites that must behave the
// same on both take the backend as a global data column (initTestCase_data).

#include "sim/simbus.h"
#include "sim/simcontroller.h"

#include <QHash>

#include <memory>

class UmockDevice;
class UsbTransport;

class UsbBench
{
public:
    enum Backend { Simulated, Libusb };

    // Global data of a suite: a column "backend" with the rows "sim" and "libusb".
    static void addBackendRows();
    // The current row's backend (inside a test function or init()).
    static Backend currentBackend();

    // Call from initTestCase: sets up the emulated bus (before any libusb context exists).
    // False, with a reason, when the libusb rows cannot run in this process.
    static bool startBus(QString *reason);
    // Call from cleanupTestCase: removes the bus and its temporary folder.
    static void stopBus();
    static UmockDevice *bus();

    // A fresh model, plugged in at the port path "1-1", behind the backend.
    explicit UsbBench(Backend backend);
    // Takes the model off the emulated bus. Destroy transports (and threads) first.
    ~UsbBench();

    // A new transport onto the model; several may exist, as several processes could open
    // the device.
    std::unique_ptr<UsbTransport> makeTransport();

    // Fails the set-up step or removes endpoints on both the model and the descriptors.
    void setEndpoints(int configuration, const QList<quint8> &endpoints);

    // Another fresh model, plugged in at a port path ("1-2", "1-4.1") on the same bus.
    std::shared_ptr<SimController> addController(const QString &path);
    // Pulls the model out of the socket at `from` and plugs it into the socket at `to`.
    void moveController(const QString &from, const QString &to);

    const Backend backend;
    const std::shared_ptr<SimController> model;

private:
    std::shared_ptr<SimBus> simBus; // the simulated backend's bus
    QHash<QString, std::shared_ptr<SimController>> sockets; // every model by its port path
};

Q_DECLARE_METATYPE(UsbBench::Backend)
