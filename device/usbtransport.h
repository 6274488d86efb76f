#pragma once
// The link to the controller on USB: the few operations the worker thread needs, behind one
// interface with a libusb backend, a simulated controller and a tracing decorator.

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace usb {

constexpr quint16 VendorId = 0x0451;
constexpr quint16 ProductId = 0x9001;
constexpr int ConfigNormal = 2;
constexpr int ConfigBoot = 1;
constexpr int Interface = 0;

constexpr quint8 Ep0 = 0x00; // control endpoint (string descriptors)
constexpr quint8 Ep1Out = 0x01; // command packets
constexpr quint8 Ep1In = 0x81; // replies
constexpr quint8 Ep2In = 0x82; // monitor stream
constexpr quint8 Ep6Out = 0x06; // boot-mode firmware stream

constexpr int TimeoutMs = 1000;

// Error numbers as the transport reports them: negative errno values.
enum Error : int {
    ErrNotFound = -2, // ENOENT
    ErrInterrupted = -4, // EINTR
    ErrIo = -5, // EIO
    ErrNoDevice = -6, // ENXIO
    ErrNoMem = -12, // ENOMEM
    ErrAccess = -13, // EACCES
    ErrBusy = -16, // EBUSY
    ErrInvalid = -22, // EINVAL
    ErrPipe = -32, // EPIPE
    ErrOther = -34, // ERANGE
    ErrNotSupported = -38, // ENOSYS
    ErrOverflow = -75, // EOVERFLOW
    ErrTimeout = -110, // ETIMEDOUT
};

// Both mean that the controller has left the bus: -5 from a transfer cut off by the removal,
// -6 from any operation on a handle whose device is gone.
constexpr bool isRemovalError(int n)
{
    return n == ErrIo || n == ErrNoDevice;
}

// "Ep1out", "Ep1in", "Ep2in", "Ep6out", "Ep0", or "Ep<hex>" for any other endpoint.
QString endpointName(quint8 ep);

} // namespace usb

// One device of the identity on the bus, as UsbTransport::list() finds it.
struct UsbPortInfo
{
    // Port path: the bus number, then the hub ports that lead to the device ("1-2.3"). It
    // stays the same while the device stays in its socket, whatever it is or was before.
    QString path;
    // 0 when the device can be opened, else why not (a negative error number: -13 without
    // access rights).
    int openError = 0;
};

// One USB device link. Apart from deviceChanged(), every operation is called by one thread at
// a time (the owner serialises them); implementations need not lock.
class UsbTransport : public QObject
{
    Q_OBJECT

public:
    // Result of open() when no device with the identity is listed.
    static constexpr int NotListed = 1;

    ~UsbTransport() override;

    // Opens the device with this identity at the chosen port path (the first listed one while
    // none is chosen). 0: open; NotListed: none listed there; negative: listed but could not
    // be opened (for instance -13 without access rights).
    virtual int open(quint16 vendor, quint16 product) = 0;
    virtual bool isOpen() const = 0;
    // Reads the product string (ASCII) into out, at most maxLength - 1 characters.
    // Returns its length (> 0) or 0 / an error number; out is untouched then.
    virtual int productString(QByteArray *out, int maxLength) = 0;
    virtual int setConfiguration(int configuration) = 0;
    virtual int claimInterface(int interface) = 0;
    // Checks that the claimed interface has the endpoint: 0, or a negative error number.
    virtual int prepareEndpoint(quint8 endpoint) = 0;
    // Synchronous bulk transfers: bytes moved (>= 0) or a negative error number.
    virtual int bulkWrite(quint8 endpoint, const char *data, int size, int timeoutMs) = 0;
    virtual int bulkRead(quint8 endpoint, char *data, int size, int timeoutMs) = 0;
    // Releases interface 0 and closes; harmless when not open.
    virtual void close() = 0;
    // Whether a device with this identity is on the bus now (at the chosen port path, if
    // any). While a device is open: whether that very device still is (one unplugged and
    // plugged in again is a new device).
    virtual bool isListed(quint16 vendor, quint16 product) = 0;

    // Every device with this identity on the bus, in the order open() considers them; each is
    // tried for opening and closed again (the open one counts as openable).
    virtual QList<UsbPortInfo> list(quint16 vendor, quint16 product) = 0;
    // The device that open() and isListed() address from now on: the one at this port path,
    // or with an empty path the first one listed. Takes effect at the next open().
    virtual void setPortPath(const QString &path) = 0;
    virtual QString portPath() const = 0;

    // Starts reporting arrival and departure of devices with this identity through
    // deviceChanged(). Returns false where the platform cannot: the owner polls instead.
    // Called once, like the other operations.
    virtual bool watch(quint16 vendor, quint16 product) = 0;

    // Makes the transport a worker thread uses; start-up builds one from the command line
    // (the simulated controller, the trace) and hands it to the main window.
    using Factory = std::function<std::unique_ptr<UsbTransport>()>;

Q_SIGNALS:
    // A device of the watched identity arrived or left. May be emitted from any thread.
    void deviceChanged();
};

// The real backend on libusb-1.0.
std::unique_ptr<UsbTransport> makeLibusbTransport();

// Wraps a transport and appends one line per transfer to a text file (see tracingtransport.h).
std::unique_ptr<UsbTransport> makeTracingTransport(std::unique_ptr<UsbTransport> inner,
                                                   const QString &fileName);
