#pragma once
// Simulated controllers as real USB devices on an emulated bus (umockdev): sysfs
// descriptors for 0451:9001 and a usbdevfs ioctl handler, so that libusb-1.0's own Linux
// backend runs unchanged and every transfer reaches the same SimController model that
// SimTransport drives directly. The process must run with libumockdev-preload.so.0 preloaded.

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class SimController;
class UsbTransport;

class UmockDevice : public QObject
{
    Q_OBJECT

public:
    // Creates the testbed, an empty emulated bus. Create it before any libusb context (the
    // libusb backend creates its context on first use).
    explicit UmockDevice(QObject *parent = nullptr);
    // Unplugs, then removes the testbed with its temporary folder.
    ~UmockDevice() override;

    // Whether the umockdev preload library is active in this process (asked once the testbed
    // exists); without it libusb sees the real bus and these tests must not run.
    static bool preloaded();

    // Puts a model behind the node of the socket "1-1" and follows its presence: the device is
    // on the emulated bus while the model is plugged (SimController::plug/unplug and a Vanish
    // fault move it). A previous model's device is unplugged first.
    void setModel(std::shared_ptr<SimController> model);
    SimController *model() const;
    // The same for the socket at a port path ("1-2", "1-4.1"; the hubs on the way join the bus
    // as hub devices): each socket has a node of its own with the next device number. Null
    // takes the socket's device off the bus; plugging a model into another socket is
    // re-plugging it there.
    void setModel(const QString &portPath, std::shared_ptr<SimController> model);

    // Endpoints that the configuration descriptors list (defaults: configuration 1 has 0x06,
    // configuration 2 has 0x01, 0x81 and 0x82, as the model). Takes effect at the next plug;
    // mirror SimController::setEndpoints with it.
    void setEndpoints(int configuration, const QList<quint8> &endpoints);

    // The libusb backend, wrapped so that each transfer tells this device its time-out: a
    // device cannot see the host's time-out, but the model's blocking reads need it to end
    // their wait when the host gives up.
    std::unique_ptr<UsbTransport> makeTransport();

    bool isPlugged() const; // the socket "1-1"
    int discardedUrbs() const; // URBs the host cancelled (its time-outs)
    // How long an idle helper thread of the model's blocking calls stays (30 s by default);
    // a test that counts the process's threads shortens it.
    void setIdleThreadExpiry(int ms);
    QString rootDir() const; // the testbed's temporary folder
    QString devNode() const; // of the socket "1-1": "/dev/bus/usb/001/002"

    // The time-out of the host's next transfers on an endpoint (called by makeTransport's
    // wrapper; thread-safe).
    void setHostTimeout(quint8 endpoint, int ms);

    struct Private;

private:
    std::unique_ptr<Private> d;
};
