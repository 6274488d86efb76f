#pragma once
// The USB side of a simulated device: identity, product string, presence on the bus and the
// sessions that die with it, configurations and their endpoints, scripted faults and a record
// of every transfer. What the endpoints carry is up to the EndpointHandlers installed on them
// (see simcontroller.h for the K-330S's parts).
//
// The device knows nothing of the host's USB library: adapters (SimTransport, an emulated
// usbdevfs node) call its host-side operations. All members are thread-safe.

#include "sim/endpointhandler.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QObject>

#include <condition_variable>

class SimUsbDevice : public QObject
{
    Q_OBJECT

public:
    // What happens to one scripted transfer instead of its normal course.
    struct Fault
    {
        enum Kind {
            Error, // fails with the error number `value`; nothing is moved
            Short, // moves only the first `value` bytes (a read drops the rest of its reply)
            Empty, // moves nothing and returns 0 (a read drops its reply)
            Timeout, // nothing is moved; -110 after the transfer's time-out
            Vanish, // the device leaves the bus now; the transfer fails with `value`
            Replace, // a read returns `data` instead of the pending reply
            Delay, // waits `value` ms, then goes on normally
            Patch, // a read returns its reply with `data` written over it from byte `value`
                   // on (within the reply's length); a write goes on normally
        };
        Kind kind = Error;
        int value = 0;
        QByteArray data;

        static Fault error(int n) { return {Error, n, {}}; }
        static Fault shortened(int bytes) { return {Short, bytes, {}}; }
        static Fault empty() { return {Empty, 0, {}}; }
        static Fault timeout() { return {Timeout, 0, {}}; }
        static Fault vanish(int n = -6) { return {Vanish, n, {}}; }
        static Fault replace(const QByteArray &bytes) { return {Replace, 0, bytes}; }
        static Fault delay(int ms) { return {Delay, ms, {}}; }
        // A reply whose header names another command: patch(0, <its first word>).
        static Fault patch(int offset, const QByteArray &bytes) { return {Patch, offset, bytes}; }
    };

    // One transfer as the device saw it. data: the bytes moved (the written bytes the device
    // took, or the bytes returned by a read).
    struct Transfer
    {
        quint8 endpoint = 0; // 0x00 for control requests
        int requested = 0;
        int timeoutMs = 0;
        int result = 0; // bytes moved or a negative error number
        QByteArray data;
        bool isIn() const { return endpoint & 0x80; }
    };

    // Set-up steps a host performs before transfers; each can be made to fail.
    enum Step { StepOpen, StepProductString, StepSetConfiguration, StepClaim };

    explicit SimUsbDevice(QObject *parent = nullptr);
    ~SimUsbDevice() override;

    // Identity.
    void setIdentity(quint16 vendor, quint16 product);
    quint16 vendorId() const { return locked(vendor); }
    quint16 productId() const { return locked(product); }
    void setProductString(const QByteArray &text);
    QByteArray productString() const { return locked(productText); }

    // Endpoints: a handler (not owned; null removes it) serves one endpoint from now on.
    // Remove it before it goes: once removed, no call into it is in progress.
    void setEndpointHandler(quint8 endpoint, EndpointHandler *handler);
    // Data that the next reads of an IN endpoint return, in order, before anything its
    // handler makes.
    void queueRead(quint8 endpoint, const QByteArray &bytes);

    // Presence on the bus. Both raise attachmentChanged, as a real hot-plug event would.
    void plug();
    void unplug();
    bool isPlugged() const { return locked(plugged); }
    int activeConfiguration() const { return locked(configuration); }

    // Faults.
    void failStep(Step step, int error); // 0 lets the step succeed again
    // The device leaves the bus when the host next reaches this step, which fails with `error`.
    void vanishAtStep(Step step, int error);
    void setEndpoints(int configuration, const QList<quint8> &endpoints);
    void failTransfer(int k, const Fault &fault); // the k-th bulk transfer from now; 1 = next
    void failNext(quint8 endpoint, const Fault &fault); // the next bulk transfer on endpoint
    void clearFaults();
    // How long a transfer that times out really waits; -1: its own time-out (default).
    void setTimeoutWait(int ms);

    // Record of transfers.
    QList<Transfer> transfers() const { return locked(log); }
    // Data of the transfers on one endpoint that moved at least one byte.
    QList<QByteArray> moved(quint8 endpoint) const;
    int transferCount() const { return locked(bulkCount); } // bulk transfers so far
    void clearTransfers();
    // Whether transfers are recorded (on by default); a long stream turns it off to keep the
    // record from growing.
    void setRecording(bool on);

    // --- Host side: what a USB stack asks of the device. `session` identifies the opening;
    // it dies when the device leaves the bus (then every call fails with -6). ---
    bool hostMatches(quint16 vendor, quint16 product) const;
    int hostOpen(quint32 *session);
    bool hostSessionAlive(quint32 session) const;
    int hostProductString(quint32 session, QByteArray *out, int maxLength);
    int hostSetConfiguration(quint32 session, int configuration);
    int hostClaim(quint32 session, int interface);
    int hostRelease(quint32 session, int interface);
    bool hostHasEndpoint(quint8 endpoint) const;
    int hostBulkOut(quint32 session, quint8 endpoint, const char *data, int size, int timeoutMs);
    int hostBulkIn(quint32 session, quint8 endpoint, char *data, int size, int timeoutMs);

Q_SIGNALS:
    // Emitted by plug() and unplug() (and a Vanish fault or a departure at a set-up step),
    // outside the device's lock.
    void attachmentChanged(bool plugged);

private:
    template<typename T> T locked(const T &member) const
    {
        QMutexLocker lock(&mutex);
        return member;
    }

    struct Pending
    {
        bool has = false;
        Fault fault;
    };
    // Locked: the scripted fault of this transfer, if any; a delay is waited out unlocked.
    Pending takeFault(quint8 endpoint, QMutexLocker<QMutex> &lock);
    int waitTimeout(int timeoutMs); // locked; waits unlocked, returns -110
    // Locked: the data of a read, from the buffer or the handler, waiting for it up to the
    // time-out. 0 with out filled, or -6 / -110.
    int awaitData(quint32 session, quint8 endpoint, int size, int timeoutMs, QByteArray *out);
    bool aliveLocked(quint32 s) const { return plugged && s == session; }
    // Locked: -6 for a dead session, else the step's scripted error or 0.
    int stepResult(quint32 session, Step step) const;
    // Locked: when the device is scripted to leave at this step, it leaves and the step's error
    // is returned (the caller emits attachmentChanged(false) after unlocking); else 0.
    int leaveAtStepLocked(Step step);
    void vanishLocked(); // locked; the caller emits attachmentChanged(false) after unlocking
    void record(quint8 endpoint, int requested, int timeoutMs, int result, const QByteArray &data);

    mutable QMutex mutex; // guards every member below and every call into a handler
    // Data may have come for a read, or the device left. A standard condition variable over
    // the QMutex: ThreadSanitizer sees it release and retake the mutex (QWaitCondition does
    // that inside the uninstrumented Qt library).
    std::condition_variable_any readable;

    quint16 vendor = 0x0451;
    quint16 product = 0x9001;
    QByteArray productText = "VELK K-330S";

    QHash<quint8, EndpointHandler *> handlers;
    InBuffers buffers;

    bool plugged = true;
    quint32 session = 1; // changes whenever the device leaves or arrives
    int configuration = 1;
    QHash<int, QList<quint8>> endpoints;

    QHash<int, int> stepErrors;
    QHash<int, int> stepDepartures; // by step: the error of the step the device leaves at
    QHash<int, Fault> faultsAt; // by bulk-transfer number
    QHash<quint8, Fault> faultsNext; // by endpoint
    int timeoutWait = -1;
    int bulkCount = 0;

    QList<Transfer> log;
    bool recording = true;
};
