#pragma once
// Model of a K-330S controller as a USB device: identity, configurations, endpoints and the
// command protocol, with plug/unplug, scripted faults and a record of every transfer.
//
// The model knows nothing of the host's USB library: adapters (SimTransport, an emulated
// usbdevfs node) call its host-side operations. All members are thread-safe.

#include "device/records.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QWaitCondition>

#include <array>
#include <functional>

class SimController : public QObject
{
    Q_OBJECT

public:
    static constexpr int MemorySize = 0x4000; // configuration memory, 16 KiB
    static constexpr quint16 ModelRA = 0x0300;
    static constexpr quint16 ModelRB = 0x0301;
    static constexpr quint16 TargetConfig = 0x50;
    static constexpr quint16 TargetCodec = 0x18;
    static constexpr quint16 TargetAmp = 0x49;

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

    // Answer to a command packet (the whole packet as written); an empty answer queues no
    // reply. Called with the model locked: it must not call the model's public members.
    using Handler = std::function<QByteArray(const QByteArray &packet)>;

    explicit SimController(QObject *parent = nullptr);
    ~SimController() override;

    // Identity and identification.
    void setIdentity(quint16 vendor, quint16 product);
    quint16 vendorId() const;
    quint16 productId() const;
    void setProductString(const QByteArray &text);
    QByteArray productString() const;
    void setPayloadSize(quint16 n); // N of the handshake reply; 512 by default
    quint16 payloadSize() const;
    void setModel(quint16 model);
    void setVersion(quint16 version);
    void setCpuSerial(const std::array<quint16, 4> &serial);
    void setCpuId(quint16 id);
    TDev identification() const;

    // Memories the commands address.
    QByteArray memory(int offset = 0, int size = MemorySize) const;
    void setMemory(int offset, const QByteArray &bytes);
    quint8 codecRegister(quint8 reg) const;
    quint8 amplifier() const;
    // Bytes after the code of the last parameter command with this code (4 to 11, 15);
    // empty while none has arrived.
    QByteArray parameter(quint8 code) const;
    // Value of the last trace-mode command (parameter command 15), 0 before the first.
    quint16 traceMode() const;
    QByteArray bootStream() const; // bytes received on endpoint 0x06

    // Presence on the bus. Both raise attachmentChanged, as a real hot-plug event would.
    void plug();
    void unplug();
    bool isPlugged() const;
    int activeConfiguration() const;

    // Faults.
    void failStep(Step step, int error); // 0 lets the step succeed again
    void setEndpoints(int configuration, const QList<quint8> &endpoints);
    void failTransfer(int k, const Fault &fault); // the k-th bulk transfer from now; 1 = next
    void failNext(quint8 endpoint, const Fault &fault); // the next bulk transfer on endpoint
    void clearFaults();
    // How long a transfer that times out really waits; -1: its own time-out (default).
    void setTimeoutWait(int ms);

    // Protocol extension: the answer to a command code (replaces the built-in one).
    void setHandler(quint16 command, Handler handler);
    // Data that the next reads of an IN endpoint return, in order (for streams).
    void queueRead(quint8 endpoint, const QByteArray &bytes);

    // Record of transfers.
    QList<Transfer> transfers() const;
    // Data of the transfers on one endpoint that moved at least one byte.
    QList<QByteArray> moved(quint8 endpoint) const;
    int transferCount() const; // bulk transfers so far
    void clearTransfers();

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
    // Emitted by plug() and unplug() (and a Vanish fault), outside the model's lock.
    void attachmentChanged(bool plugged);

private:
    struct Pending
    {
        bool has = false;
        Fault fault;
    };
    Pending takeFault(quint8 endpoint); // locked
    int waitTimeout(int timeoutMs); // locked; waits unlocked, returns -110
    void vanishLocked(); // locked; the caller emits attachmentChanged(false) after unlocking
    void record(quint8 endpoint, int requested, int timeoutMs, int result, const QByteArray &data);
    void execute(const QByteArray &packet); // locked: a command packet on endpoint 0x01

    QByteArray answerHandshake(const QByteArray &packet) const;
    QByteArray answerIdentify(const QByteArray &packet) const;
    QByteArray answerMemory(const QByteArray &packet);
    static QByteArray acknowledge(const QByteArray &packet);

    mutable QMutex mutex; // guards every member below
    QWaitCondition readable; // data queued for a read, or the device left

    quint16 vendor = 0x0451;
    quint16 product = 0x9001;
    QByteArray productText = "VELK K-330S";
    quint16 payload = 512;
    TDev ident {ModelRA, 0x0201, {0x1234, 0x5678, 0x9abc, 0xdef0}, 0x0042};
    QByteArray configMemory;
    std::array<quint8, 256> codec {};
    quint8 amp = 0;
    QHash<quint8, QByteArray> params; // last bytes of each parameter command, by code
    QByteArray boot;

    bool plugged = true;
    quint32 session = 1; // changes whenever the device leaves or arrives
    int configuration = 1;
    QHash<int, QList<quint8>> endpoints;

    QHash<int, int> stepErrors;
    QHash<int, Fault> faultsAt; // by bulk-transfer number
    QHash<quint8, Fault> faultsNext; // by endpoint
    int timeoutWait = -1;
    int bulkCount = 0;

    QHash<quint16, Handler> handlers;
    QHash<quint8, QList<QByteArray>> readQueue; // by IN endpoint
    QList<Transfer> log;
};
