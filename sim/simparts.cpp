#include "sim/simparts.h"

#include "sim/simcommandport.h"

namespace {

using simwire::appendWord;

constexpr quint16 CmdIdentify = 1;
constexpr quint16 CmdReportRequest = 12;

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
    // Parameter commands: the controller takes the bytes after the code and acknowledges.
    for (quint8 code : {4, 5, 6, 7, 8, 9, 10, 11, 15})
        port.setHandler(code, [this, code](const SimCommand &c) {
            QMutexLocker lock(&mutex);
            params.insert(code, c.packet.mid(2));
            return std::optional<QByteArray>(c.acknowledge());
        });
    // Code 12 precedes a statistics report; the controller sends nothing back for it.
    port.setHandler(CmdReportRequest, [](const SimCommand &) { return std::nullopt; });
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
