#pragma once
// A simulated K-330S controller: the USB side (SimUsbDevice: identity, presence, sessions,
// configurations, faults, transfer record) with the controller's parts behind its endpoints:
// the command port on 0x01/0x81 with configuration memory and identification, the live
// commands' codec, amplifier and parameters, the serial flash (command 2, target 4), the
// statistics counters (codes 12, 13), the protocol trace (codes 15, 16), and the boot-mode
// stream on 0x06, stored as the new flash contents, and the monitor stream on 0x82 (command
// 14). Data put there by queueRead() is read before anything the parts make.
//
// All members are thread-safe.

#include "sim/simcommandport.h"
#include "sim/simmonitor.h"
#include "sim/simparts.h"
#include "sim/simusbdevice.h"

#include <array>

class SimController : public SimUsbDevice
{
    Q_OBJECT

public:
    static constexpr int MemorySize = SimConfigMemory::MemorySize; // configuration memory
    static constexpr quint16 ModelRA = 0x0300;
    static constexpr quint16 ModelRB = 0x0301;
    static constexpr quint16 TargetConfig = SimConfigMemory::TargetConfig;
    static constexpr quint16 TargetCodec = SimLiveCommands::TargetCodec;
    static constexpr quint16 TargetAmp = SimLiveCommands::TargetAmp;

    explicit SimController(QObject *parent = nullptr);
    ~SimController() override;

    // The parts.
    SimCommandPort &commandPort() { return port; }
    SimConfigMemory &configMemory() { return config; }
    SimLiveCommands &liveCommands() { return live; }
    SimSerialFlash &serialFlash() { return flash; }
    SimStatistics &statistics() { return stats; }
    SimTrace &traceCapture() { return trace; }
    SimMonitorStream &monitorStream() { return monitor; }

    // Handshake and identification.
    void setPayloadSize(quint16 n) { port.setPayloadSize(n); } // N; 512 by default
    quint16 payloadSize() const { return port.payloadSize(); }
    void setModel(quint16 model);
    void setVersion(quint16 version);
    void setCpuSerial(const std::array<quint16, 4> &serial);
    void setCpuId(quint16 id);
    TDev identification() const { return config.identification(); }

    // Memories the commands address.
    QByteArray memory(int offset = 0, int size = MemorySize) const
    {
        return config.memory(offset, size);
    }
    void setMemory(int offset, const QByteArray &bytes) { config.setMemory(offset, bytes); }
    quint8 codecRegister(quint8 reg) const { return live.codecRegister(reg); }
    quint8 amplifier() const { return live.amplifier(); }
    // Bytes after the code of the last parameter command with this code (4 to 11, 15);
    // empty while none has arrived.
    QByteArray parameter(quint8 code) const { return live.parameter(code); }
    // Value of the last trace-mode command (parameter command 15), 0 before the first.
    quint16 traceMode() const;
    QByteArray bootStream() const { return boot.received(); } // bytes received on 0x06
    // Serial flash contents (the boot-mode stream is stored there too).
    QByteArray flashContents(int offset = 0, int size = SimSerialFlash::Size) const
    {
        return flash.contents(offset, size);
    }

private:
    SimCommandPort port;
    SimConfigMemory config;
    SimLiveCommands live;
    SimSerialFlash flash;
    SimBootStream boot;
    SimStatistics stats;
    SimTrace trace;
    SimMonitorStream monitor;
};
