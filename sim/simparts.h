#pragma once
// Parts of the simulated K-330S behind its endpoints. Each keeps its own state under its own
// lock (the accessors are called from tests' threads, the handlers from the transfer's) and
// registers what it answers on the command port or serves as an endpoint's handler.
//
// To add a part: give it its state and accessors, register its command codes or memory
// targets in attach(), or make it the EndpointHandler of its own endpoint (as the monitor
// stream on 0x82 makes a frame in read() on every read), and install it in SimController's
// constructor.

#include "config/records.h"
#include "sim/endpointhandler.h"

#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QMutex>

#include <array>
#include <functional>

class SimCommandPort;

// Identification (command 1) and the 16 KiB configuration memory (memory target 0x50).
class SimConfigMemory
{
public:
    static constexpr int MemorySize = 0x4000;
    static constexpr quint16 TargetConfig = 0x50;

    SimConfigMemory();
    void attach(SimCommandPort &port);

    // Changes the identification record in one step.
    void changeIdentification(const std::function<void(TDev &)> &change);
    TDev identification() const;
    QByteArray memory(int offset, int size) const;
    void setMemory(int offset, const QByteArray &bytes);

private:
    mutable QMutex mutex; // guards ident and bytes
    TDev ident {0x0300, 0x0201, {0x1234, 0x5678, 0x9abc, 0xdef0}, 0x0042};
    QByteArray bytes;
};

// What the pages' live commands set: codec registers (target 0x18), the amplifier (target
// 0x49) and the parameter commands (codes 4 to 11 and 15; code 12 is taken without a reply).
class SimLiveCommands
{
public:
    static constexpr quint16 TargetCodec = 0x18;
    static constexpr quint16 TargetAmp = 0x49;

    void attach(SimCommandPort &port);

    quint8 codecRegister(quint8 reg) const;
    quint8 amplifier() const;
    // Bytes after the code of the last parameter command with this code; empty while none
    // has arrived.
    QByteArray parameter(quint8 code) const;

private:
    mutable QMutex mutex; // guards codec, amp and params
    std::array<quint8, 256> codec {};
    quint8 amp = 0;
    QHash<quint8, QByteArray> params;
};

// The firmware stream of boot mode: everything written to endpoint 0x06, handed on to the
// store (the serial flash) at its place in the stream.
class SimBootStream : public EndpointHandler
{
public:
    static constexpr quint8 Endpoint = 0x06;
    using Store = std::function<void(int offset, const QByteArray &bytes)>;

    explicit SimBootStream(Store store = {})
        : store(std::move(store))
    { }

    void written(quint8 endpoint, const QByteArray &bytes, InBuffers &in) override;
    QByteArray received() const;

private:
    Store store;
    mutable QMutex mutex; // guards stream
    QByteArray stream;
};

// The 128 KiB serial flash behind command 2 with target 4, driven instruction by instruction
// as an SPI NOR part: the status register's busy bit (bit 0) stays set for the erase and
// program times, each program or erase needs the write-enable latch (bit 1) and consumes it,
// an erase sets its 32 KiB sector to 0xFF, a page program only clears bits and wraps inside its
// 256-byte page. Instructions other than the status read are ignored while busy.
class SimSerialFlash
{
public:
    static constexpr int Size = 0x20000;
    static constexpr int SectorSize = 0x8000;
    static constexpr int PageSize = 256;
    static constexpr quint16 CmdFlash = 2;
    static constexpr quint16 TargetFlash = 4;

    SimSerialFlash();
    void attach(SimCommandPort &port);

    QByteArray contents(int offset = 0, int size = Size) const;
    void setContents(int offset, const QByteArray &bytes);
    // Busy times after a sector erase and a page program; 0 (the default): ready at once.
    void setTimes(int eraseMs, int programMs);
    // The busy bit never clears.
    void setStuckBusy(bool stuck);
    // The read data instruction returns the byte at this address inverted; -1: none.
    void corruptReadAt(int address);

private:
    QByteArray instruction(const QByteArray &body, int readCount, int payload); // mutex held
    bool busy() const; // mutex held

    mutable QMutex mutex; // guards the members below
    QByteArray bytes;
    bool writeEnabled = false;
    qint64 busyUntil = 0; // on clock
    QElapsedTimer clock;
    int eraseMs = 0;
    int programMs = 0;
    bool stuck = false;
    int corrupt = -1;
};

// Statistics: link, audio, modem and Bus+ counters that grow with the time since the last
// reset (code 12), answered as the 86-byte report of code 13.
class SimStatistics
{
public:
    void attach(SimCommandPort &port);

    // The record code 13 would carry now, host-order words.
    TReport record() const;
    int resets() const;

private:
    TReport recordLocked() const;

    mutable QMutex mutex; // guards since and resetCount
    QElapsedTimer since; // running time since the last reset
    int resetCount = 0;
};

// Protocol trace: while the trace mode (code 15) is non-zero, the controller captures one line
// every LinePeriodMs, turn about on the channels of the mask (bit 0 Bus+ receive, 1 Bus+
// transmit, 2 Link receive, 3 Link transmit). Code 16 answers the oldest captured line: 00 10,
// the channel code, the bytes; the header alone when nothing waits.
class SimTrace
{
public:
    static constexpr int LinePeriodMs = 5;
    static constexpr int MaxPending = 512; // lines beyond this are not captured

    struct Line
    {
        quint16 channel;
        QByteArray bytes;
    };

    void attach(SimCommandPort &port);

    quint16 mode() const;
    // Every line answered so far, in order.
    QList<Line> sent() const;
    // Puts a line ahead of the captured ones, on any channel code (a channel error too).
    void inject(const Line &line);
    // Answers code 16 with this first word instead of 16 while set (0: the right echo).
    void setWrongEcho(quint16 echo);

private:
    void captureLocked();

    mutable QMutex mutex; // guards the members below
    quint16 mask = 0;
    QElapsedTimer running;
    qint64 captured = 0; // lines captured since the mode was set
    quint32 serial = 0; // running number written into the lines
    QList<Line> pending;
    QList<Line> answered;
    quint16 wrongEcho = 0;
};
