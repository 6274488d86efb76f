#pragma once
// A connection whose controller answers from a script of bytes: what the fuzz targets and their
// corpus generator share. The script is a sequence of transfer records, one per read, each a
// 16-bit big-endian header and its bytes:
//   header below 0x8000: the controller sends that many bytes (fewer when the script ends
//     first); more than the host asked for is an overflow (-75), as on the bus;
//   header 0x8000 | e: the read fails with error number -e (e taken modulo 256).
// Once the script is used up every read times out (-110). Writes always succeed. Targets may
// take single control bytes from the same script between records (takeByte).

#include "device/devicelink.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace fuzzing {

constexpr quint16 ErrorFlag = 0x8000;

class ScriptLink : public DeviceLink
{
public:
    ScriptLink(const uint8_t *data, size_t size, int mode = 1);

    // The handshake as the connection runs it: the first record is the 4-byte reply, N its
    // word 1. False (no link) for a failed or short reply or N = 0.
    bool handshake();
    void setTransferSize(int bytes) { transfer = bytes; }

    int write(quint8 endpoint, const char *data, int size) override;
    int read(quint8 endpoint, char *data, int size) override;
    int transferSize() const override { return transfer; }
    void pause(int ms) override;
    void log(const QString &line) override;
    int mode() const override { return operatingMode; }
    void close() override { ++closes; }
    void lost() override { ++losses; }

    bool exhausted() const { return pos >= end; }
    // The next script byte, 0 once the script is used up.
    quint8 takeByte();
    void setMode(int mode) { operatingMode = mode; }

    int reads = 0;
    int writes = 0;
    int closes = 0;
    int losses = 0;
    qint64 pausedMs = 0;
    int logLines = 0;

private:
    const uint8_t *pos;
    const uint8_t *end;
    int transfer = 0;
    int operatingMode;
};

// Builds scripts: what the corpus generator records and the tests write by hand.
class ScriptWriter
{
public:
    ScriptWriter &byte(quint8 b);
    // The record of one read's result: its bytes or its error number.
    ScriptWriter &reply(const QByteArray &bytes);
    ScriptWriter &result(int n, const char *data);
    ScriptWriter &error(int n);
    const QByteArray &bytes() const { return out; }

private:
    QByteArray out;
};

} // namespace fuzzing
