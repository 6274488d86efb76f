#include "sim/simparts.h"

#include "sim/simcommandport.h"

namespace {

using simwire::appendWord;

constexpr quint16 CmdIdentify = 1;
constexpr quint16 CmdReportReset = 12;
constexpr quint16 CmdReport = 13;
constexpr quint16 CmdTraceMode = 15;
constexpr quint16 CmdTrace = 16;

} // namespace

// --- Configuration memory ---

SimConfigMemory::SimConfigMemory()
    : bytes(MemorySize, char(0xFF))
{ }

void SimConfigMemory::attach(SimCommandPort &port)
{
    port.setHandler(CmdIdentify, [this](const SimCommand &) {
        QMutexLocker lock(&mutex);
        QByteArray reply;
        for (quint16 w : {quint16(CmdIdentify), quint16(sizeof(TDev)), quint16(0), quint16(0),
                          ident.model, ident.version})
            appendWord(reply, w);
        for (quint16 w : ident.cpuSerial)
            appendWord(reply, w);
        appendWord(reply, ident.cpuId);
        return reply;
    });
    port.setTargetHandler(TargetConfig, [this](const SimCommand &c) {
        QByteArray data;
        if (c.body.size() < 2)
            return data;
        QMutexLocker lock(&mutex);
        const int offset = simwire::wordAt(c.body, 0);
        const QByteArray written = c.body.mid(2);
        for (int i = 0; i < written.size() && offset + i < MemorySize; ++i)
            bytes[offset + i] = written[i];
        // A read returns at most one payload of data; past the end the memory reads as 0xFF.
        const int count = qMin<int>(c.readCount, c.payload);
        for (int i = 0; i < count; ++i)
            data.append(offset + i < MemorySize ? bytes[offset + i] : char(0xFF));
        return data;
    });
}

void SimConfigMemory::changeIdentification(const std::function<void(TDev &)> &change)
{
    QMutexLocker lock(&mutex);
    change(ident);
}

TDev SimConfigMemory::identification() const
{
    QMutexLocker lock(&mutex);
    return ident;
}

QByteArray SimConfigMemory::memory(int offset, int size) const
{
    QMutexLocker lock(&mutex);
    return bytes.mid(offset, size);
}

void SimConfigMemory::setMemory(int offset, const QByteArray &data)
{
    QMutexLocker lock(&mutex);
    for (int i = 0; i < data.size() && offset + i < MemorySize; ++i)
        bytes[offset + i] = data[i];
}

// --- Live commands ---

void SimLiveCommands::attach(SimCommandPort &port)
{
    port.setTargetHandler(TargetCodec, [this](const SimCommand &c) {
        if (c.body.size() >= 2) {
            QMutexLocker lock(&mutex);
            codec[quint8(c.body[0])] = quint8(c.body[1]);
        }
        return QByteArray();
    });
    port.setTargetHandler(TargetAmp, [this](const SimCommand &c) {
        if (!c.body.isEmpty()) {
            QMutexLocker lock(&mutex);
            amp = quint8(c.body[0]);
        }
        return QByteArray();
    });
    // Parameter commands: the controller takes the bytes after the code and acknowledges
    // (code 15, the trace mode, belongs to the trace part).
    for (quint8 code : {4, 5, 6, 7, 8, 9, 10, 11})
        port.setHandler(code, [this, code](const SimCommand &c) {
            QMutexLocker lock(&mutex);
            params.insert(code, c.packet.mid(2));
            return std::optional<QByteArray>(c.acknowledge());
        });
}

quint8 SimLiveCommands::codecRegister(quint8 reg) const
{
    QMutexLocker lock(&mutex);
    return codec[reg];
}

quint8 SimLiveCommands::amplifier() const
{
    QMutexLocker lock(&mutex);
    return amp;
}

QByteArray SimLiveCommands::parameter(quint8 code) const
{
    QMutexLocker lock(&mutex);
    return params.value(code);
}

// --- Boot stream ---

void SimBootStream::written(quint8, const QByteArray &bytes, InBuffers &)
{
    QMutexLocker lock(&mutex);
    const int offset = int(stream.size());
    stream.append(bytes);
    if (store)
        store(offset, bytes);
}

QByteArray SimBootStream::received() const
{
    QMutexLocker lock(&mutex);
    return stream;
}

// --- Serial flash ---

SimSerialFlash::SimSerialFlash()
    : bytes(Size, char(0xFF))
{
    clock.start();
}

void SimSerialFlash::attach(SimCommandPort &port)
{
    port.setHandler(CmdFlash, [this](const SimCommand &c) {
        QByteArray reply = c.acknowledge();
        if (c.target == TargetFlash && !c.body.isEmpty()) {
            QMutexLocker lock(&mutex);
            reply += instruction(c.body, c.readCount, c.payload);
        }
        return std::optional<QByteArray>(reply);
    });
}

bool SimSerialFlash::busy() const
{
    return stuck || clock.elapsed() < busyUntil;
}

QByteArray SimSerialFlash::instruction(const QByteArray &body, int readCount, int payload)
{
    const quint8 op = quint8(body[0]);
    if (op == 0x05) // read status register
        return QByteArray(1, char((busy() ? 0x01 : 0) | (writeEnabled ? 0x02 : 0)));
    if (busy())
        return {};
    if (op == 0x06) { // write enable
        writeEnabled = true;
        return {};
    }
    if (body.size() < 4)
        return {};
    const int address = ((quint8(body[1]) << 16) | (quint8(body[2]) << 8) | quint8(body[3])) % Size;
    switch (op) {
    case 0x03: { // read data: at most one payload, wrapping at the end of the memory
        QByteArray data;
        for (int i = 0; i < qMin(readCount, payload); ++i) {
            const int at = (address + i) % Size;
            data.append(at == corrupt ? char(~bytes[at]) : bytes[at]);
        }
        return data;
    }
    case 0xD8: // sector erase
        if (writeEnabled) {
            const int start = address / SectorSize * SectorSize;
            bytes.replace(start, SectorSize, QByteArray(SectorSize, char(0xFF)));
            writeEnabled = false;
            busyUntil = clock.elapsed() + eraseMs;
        }
        return {};
    case 0x02: // page program
        if (writeEnabled) {
            const int page = address / PageSize * PageSize;
            for (int i = 4; i < body.size(); ++i) {
                const int at = page + (address - page + i - 4) % PageSize;
                bytes[at] = char(bytes[at] & body[i]);
            }
            writeEnabled = false;
            busyUntil = clock.elapsed() + programMs;
        }
        return {};
    default:
        return {};
    }
}

QByteArray SimSerialFlash::contents(int offset, int size) const
{
    QMutexLocker lock(&mutex);
    return bytes.mid(offset, size);
}

void SimSerialFlash::setContents(int offset, const QByteArray &data)
{
    QMutexLocker lock(&mutex);
    for (int i = 0; i < data.size() && offset + i < Size; ++i)
        bytes[offset + i] = data[i];
}

void SimSerialFlash::setTimes(int erase, int program)
{
    QMutexLocker lock(&mutex);
    eraseMs = erase;
    programMs = program;
}

void SimSerialFlash::setStuckBusy(bool on)
{
    QMutexLocker lock(&mutex);
    stuck = on;
}

void SimSerialFlash::corruptReadAt(int address)
{
    QMutexLocker lock(&mutex);
    corrupt = address;
}

// --- Statistics ---

void SimStatistics::attach(SimCommandPort &port)
{
    {
        QMutexLocker lock(&mutex);
        since.start();
    }
    // Code 12 resets the counters; the controller sends nothing back for it.
    port.setHandler(CmdReportReset, [this](const SimCommand &) {
        QMutexLocker lock(&mutex);
        since.restart();
        ++resetCount;
        return std::nullopt;
    });
    port.setHandler(CmdReport, [this](const SimCommand &) {
        QByteArray reply;
        appendWord(reply, CmdReport);
        const TReport r = record();
        for (quint16 w : r.w)
            appendWord(reply, w);
        return std::optional<QByteArray>(reply);
    });
}

TReport SimStatistics::record() const
{
    QMutexLocker lock(&mutex);
    return recordLocked();
}

int SimStatistics::resets() const
{
    QMutexLocker lock(&mutex);
    return resetCount;
}

TReport SimStatistics::recordLocked() const
{
    const quint64 t = quint64(since.elapsed()); // ms
    TReport r {};
    const auto put32 = [&r](int offset, quint64 v) {
        r.w[offset / 2] = quint16(v >> 16);
        r.w[offset / 2 + 1] = quint16(v);
    };
    put32(0, t / 1000); // running time, s
    put32(4, 20000 + t % 1000); // processor load
    put32(8, 0x00002000); // link delay 0.125 s
    put32(12, 1 + t / 10000); // connections
    put32(16, t / 20); // control packets sent, bytes, repeats
    put32(20, t / 20 * 32);
    put32(24, t / 1000);
    put32(28, t / 25); // control packets received, bytes
    put32(32, t / 25 * 40);
    put32(36, t / 20); // audio packets sent, bytes
    put32(40, t / 20 * 24);
    put32(44, t / 20); // audio packets received, bytes
    put32(48, t / 20 * 24);
    put32(52, t / 5000); // Bus+ errors, repeated requests
    put32(56, t / 2000);
    put32(60, 4000); // jitter buffer delay, 10 us units
    put32(64, t / 10000); // faulty packets
    r.w[34] = 512; // AGC, 8.8 fixed point
    r.w[35] = 32; // unacknowledged-packet window size, then its fill
    r.w[36] = quint16(t / 100 % 33);
    r.w[37] = 100; // modem transmit and receive buffers
    r.w[38] = 200;
    r.w[39] = 0x14; // output level and input gain, 0.5 dB steps
    r.w[40] = 0x0A;
    return r;
}

// --- Trace ---

void SimTrace::attach(SimCommandPort &port)
{
    port.setHandler(CmdTraceMode, [this](const SimCommand &c) {
        QMutexLocker lock(&mutex);
        mask = simwire::wordAt(c.packet, 2);
        running.start();
        captured = 0;
        pending.clear();
        return std::optional<QByteArray>(c.acknowledge());
    });
    port.setHandler(CmdTrace, [this](const SimCommand &) {
        QMutexLocker lock(&mutex);
        captureLocked();
        QByteArray reply;
        appendWord(reply, wrongEcho ? wrongEcho : CmdTrace);
        if (wrongEcho || pending.isEmpty()) {
            appendWord(reply, 0);
            return std::optional<QByteArray>(reply);
        }
        const Line line = pending.takeFirst();
        appendWord(reply, line.channel);
        reply += line.bytes;
        answered.append(line);
        return std::optional<QByteArray>(reply);
    });
}

void SimTrace::captureLocked()
{
    QList<quint16> channels;
    for (quint16 ch = 0; ch < 4; ++ch)
        if (mask & (1u << ch))
            channels.append(ch);
    if (channels.isEmpty() || !running.isValid())
        return;
    const qint64 due = running.elapsed() / LinePeriodMs;
    for (; captured < due; ++captured) {
        if (pending.size() >= MaxPending)
            continue;
        const quint32 n = serial++;
        QByteArray bytes;
        bytes.append(char(n >> 8));
        bytes.append(char(n));
        for (quint32 i = 0; i < n % 14; ++i)
            bytes.append(char((n * 37 + i * 11) & 0xFF));
        pending.append({channels[int(captured % channels.size())], bytes});
    }
}

quint16 SimTrace::mode() const
{
    QMutexLocker lock(&mutex);
    return mask;
}

QList<SimTrace::Line> SimTrace::sent() const
{
    QMutexLocker lock(&mutex);
    return answered;
}

void SimTrace::inject(const Line &line)
{
    QMutexLocker lock(&mutex);
    pending.prepend(line);
}

void SimTrace::setWrongEcho(quint16 echo)
{
    QMutexLocker lock(&mutex);
    wrongEcho = echo;
}
