#pragma once
// The connection to the controller over one transport: opening it in a configuration, the
// handshake that fixes the transfer size, closing, and the check whether the controller is
// still on the bus. Not locked: its owner (the worker) serialises every call.

#include "device/usbtransport.h"

#include <QString>

#include <functional>
#include <memory>

class DeviceConnection
{
public:
    // What the connection tells the program: log lines, and the connection state it announces
    // (only a controller with the expected product string is announced).
    struct Events
    {
        std::function<void(const QString &line)> log;
        std::function<void(bool connected)> announce;
        // The connection closed, whatever the reason (may be empty).
        std::function<void()> closed;
        // Appended to the connect and disconnect lines to name the controller (may be empty).
        std::function<QString()> describe;
    };

    explicit DeviceConnection(Events events);
    ~DeviceConnection();

    // Closes the current transport (an announced connection is announced gone) and takes this
    // one; null leaves the connection without a transport.
    void setTransport(std::unique_ptr<UsbTransport> transport);
    UsbTransport *transport() const { return link.get(); }

    // Open, whether or not the handshake has run.
    bool isOpen() const { return link && link->isOpen(); }
    // Open and handshaken: the exchanges may run.
    bool isReady() const { return isOpen() && transfer > 0; }
    // Bytes one transfer may carry (N + 8); 0 before the handshake.
    int transferSize() const { return transfer; }
    // Port path of the open controller: the one chosen for the transport, else the first
    // openable one listed (which open() took); empty while none is open.
    QString portPath();
    // Product string of the device; kept when a later read of it fails.
    QString product() const { return productName; }

    // Synchronous bulk transfers: bytes moved or a negative error number.
    int write(quint8 endpoint, const char *data, int size, int timeoutMs = usb::TimeoutMs);
    int read(quint8 endpoint, char *data, int size, int timeoutMs = usb::TimeoutMs);

    // Opens the first listed controller in this configuration and claims its interface.
    void open(quint8 configuration);
    // Why the last open() left the connection closed: UsbTransport::NotListed when no
    // controller is listed, else the error number of the step that failed (opening it,
    // setting its configuration, claiming its interface, e.g. usb::ErrAccess or usb::ErrBusy);
    // 0 when it opened.
    int openFailure() const { return failure; }
    // How the opening in boot mode ended.
    enum class BootOpening { Ready, NoController, EndpointFailed };
    // Opens the controller in boot mode (configuration 1) and prepares its firmware stream
    // endpoint; a failed preparation is logged and closes it again. The caller closes it with
    // drop() once the stream has ended, so that the next hot-plug check opens it normally.
    BootOpening openBoot();
    // Prepares the endpoints and runs the handshake; announces a controller of our product.
    void handshake();
    // Closes after a failed step; an announced connection is announced gone.
    void close();
    // The controller has gone: closes and always says so.
    void lost();
    // Closes without a word (shut-down, removal found by the check).
    void drop();
    // Closes without a word and lets the transport go (shut-down).
    void release();
    // The hot-plug check: a connection whose controller left is closed and announced gone; a
    // newly listed controller is opened and handshaken.
    void check();

private:
    // What describe adds, or nothing without it.
    QString named() const { return events.describe ? events.describe() : QString(); }

    Events events;
    std::unique_ptr<UsbTransport> link;
    QString productName;
    int transfer = 0; // N + 8
    int failure = UsbTransport::NotListed; // see openFailure()
    int lastOpenError = 0; // open failure already logged, until the device leaves or opens
    bool announced = false; // connected was the last state announced
};
