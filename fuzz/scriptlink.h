#pragma once
// A connection whose controller answers from a script of bytes: what the fuzz targets, their
// corpus generator and the exchanges' tests share. The script is a sequence of transfer records,
// one per read, each a 16-bit big-endian header and its bytes:
//   header below 0x8000: the controller sends that many bytes (fewer when the script ends
//     first); more than the host asked for is an overflow (-75), as on the bus;
//   header 0x8000 | e: the read fails with error number -e (e taken modulo 256).
// Once the script is used up every read times out (-110). Writes succeed unless a test scripted
// their results (writeResults). Targets may take single control bytes from the same script
// between records (takeByte). ScriptWriter builds scripts; RecordingLink records one from the
// simulated controller.

#include "device/devicelink.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <memory>

class SimController;
class UsbTransport;

namespace fuzzing {

constexpr quint16 ErrorFlag = 0x8000;

class ScriptLink : public DeviceLink
{
public:
    // The fuzz targets' form: reads the caller's bytes, keeps only counts.
    ScriptLink(const uint8_t *data, size_t size, int mode = 1);
    // The tests' form: holds its own copy of the script and keeps a record of what the exchange
    // did (written, endpoints, lines).
    explicit ScriptLink(const QByteArray &script, int mode = 1);

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
    using DeviceLink::write;

    bool exhausted() const { return pos >= end; }
    // The next script byte, 0 once the script is used up.
    quint8 takeByte();
    void setMode(int mode) { operatingMode = mode; }

    int reads = 0;
    int writes = 0;
    int closes = 0;
    int losses = 0;
    qint64 pausedMs = 0;
    // Results of the next writes (bytes moved or an error number); the packet's size once used
    // up.
    QList<int> writeResults;

    // The lines logged; the tests' form also keeps every line, every packet written and the
    // endpoint of every transfer in order.
    int logLines = 0;
    QList<QByteArray> written;
    QByteArray endpoints;
    QStringList lines;

protected:
    // What every transfer does to the counts and the record, whoever answers it.
    void noteWrite(quint8 endpoint, const char *data, int size);
    void noteRead(quint8 endpoint);

private:
    QByteArray owned; // the tests' form: the script pos and end point into
    const uint8_t *pos;
    const uint8_t *end;
    int transfer = 0;
    int operatingMode;
    bool recording = false;
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

// A connection to a simulated controller that writes every read's result into a script: the
// seeds of the fuzz targets are the replies the simulated controller gives to the real
// exchanges.
class RecordingLink : public ScriptLink
{
public:
    RecordingLink(const QString &model, quint16 payload, ScriptWriter &script);
    ~RecordingLink() override;

    SimController &controller() { return *sim; }
    // Opens the controller and runs the handshake, recording its reply.
    bool open();

    int write(quint8 endpoint, const char *data, int size) override;
    int read(quint8 endpoint, char *data, int size) override;
    int readFor(quint8 endpoint, char *data, int size, int timeoutMs) override;
    using DeviceLink::write;

private:
    std::shared_ptr<SimController> sim;
    std::unique_ptr<UsbTransport> transport;
    ScriptWriter &out;
};

} // namespace fuzzing
