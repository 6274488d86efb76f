#pragma once
// Inside the emulated bus: its sockets, the plugs of a device into a socket with their usbdevfs
// ioctl handler, and the URBs in flight. Shared by umockdevice.cpp (the bus, its sysfs
// devices) and usbdevfsnode.cpp (what a device node answers).

// GLib's headers use "signals" as a name, which Qt defines as a macro: include them first.
#include <umockdev.h>

#include "umockdevice.h"

#include "sim/simcontroller.h"

#include <QHash>
#include <QMap>
#include <QMutex>
#include <QStringList>
#include <QThreadPool>

#include <linux/usbdevice_fs.h>

#include <deque>
#include <vector>

namespace umock {

// Standard descriptors: the device, then its configurations (1 and 2), each with interface 0
// (vendor class) and its bulk endpoints.
QByteArray descriptors(const QMap<int, QList<quint8>> &endpoints, quint16 vendor, quint16 product,
                       quint8 deviceClass = 0x00);

// The handlers of a plug's ioctl object ("handle-ioctl", "client-vanished"); user is the Port.
gboolean onIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer user);
void onClientVanished(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer user);

struct Urb
{
    quint64 id = 0;
    UMockdevIoctlData *urb = nullptr; // owned reference
    UMockdevIoctlData *buffer = nullptr; // owned reference
    usbdevfs_urb *header() const { return reinterpret_cast<usbdevfs_urb *>(urb->data); }
    void release()
    {
        g_clear_object(&buffer);
        g_clear_object(&urb);
    }
};

struct Port;

// One socket of the emulated bus: its port path, the sysfs device and node that a device
// plugged into it gets, and the model plugged there.
struct Socket
{
    QString path; // "1-2", "1-4.1"
    QByteArray sysPath; // "/sys/devices/usb1/1-4/1-4.1"
    QByteArray devNode; // "/dev/bus/usb/001/005"
    int bus = 1;
    int devnum = 0;
    std::shared_ptr<SimController> model;
    QMetaObject::Connection modelConnection;
    std::vector<std::unique_ptr<Port>> ports; // every plug so far; the last one is current
    bool plugged = false;
};

// One plug of the device: its ioctl handler, the openings of its node and the URBs in flight.
struct Port
{
    UmockDevice::Private *owner = nullptr;
    Socket *socket = nullptr;
    UMockdevIoctlBase *handler = nullptr;
    std::vector<gulong> signalIds;
    bool gone = false; // unplugged: every request but reaping fails with ENODEV
    QHash<UMockdevIoctlClient *, quint32> sessions; // the model's session of each opening
    std::deque<Urb> pending; // submitted, the model has not answered yet
    std::deque<Urb> done; // answered, to be reaped
    std::deque<Urb> discarded; // cancelled by the host, to be reaped with -ENOENT
};

} // namespace umock

using umock::Port;
using umock::Socket;
using umock::Urb;

struct UmockDevice::Private
{
    UmockDevice *q = nullptr;
    UMockdevTestbed *testbed = nullptr;
    QString root;
    // Runs the model's host-side calls, which block as a transfer does, off umockdev's thread.
    QThreadPool pool;

    // Guards everything below. Never held across a call into the testbed (such calls may wait
    // for umockdev's thread, which takes it).
    mutable QMutex mutex;
    std::vector<std::unique_ptr<Socket>> sockets; // made on first use, kept to the end
    QStringList hubs; // port paths of the hubs added on the way to a socket
    int nextDevnum = 2;
    QMap<int, QList<quint8>> endpoints {{1, {0x06}}, {2, {0x01, 0x81, 0x82}}};
    QHash<quint8, int> hostTimeouts;
    int discardedCount = 0;
    quint64 nextUrbId = 1;

    Socket *socket(const QString &path); // mutex held
    void addHubs(const QString &path);
    // Add the device with an "add" uevent / send "remove", then take it off the bus.
    void plug(Socket *socket);
    void unplug(Socket *socket);

    gboolean handle(Port *port, UMockdevIoctlClient *client);
    quint32 session(Port *port, UMockdevIoctlClient *client);
    void submit(Port *port, UMockdevIoctlClient *client, UMockdevIoctlData *arg);
    void finish(Port *port, quint64 id, int result, const QByteArray &data);
    void reap(Port *port, UMockdevIoctlClient *client, UMockdevIoctlData *arg);
    void control(Port *port, UMockdevIoctlClient *client, Urb &urb);
    void setConfigurationAttribute(const Socket *socket, unsigned configuration);
};
