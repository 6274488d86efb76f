#pragma once
// Packets, acknowledgement check and log texts of the live commands that pages send in their
// test mode: codec register, amplifier and the numbered parameter commands. Pure functions: no
// worker, no transport.

#include <QByteArray>
#include <QString>

#include <optional>

namespace live {

constexpr quint16 CmdMemory = 3;
constexpr quint16 TargetCodec = 0x18;
constexpr quint16 TargetAmp = 0x49;

// Parameter command code of a job type (jobs 7..14 carry codes 4..11, job 19 code 15);
// -1 for any other job.
int parameterCode(int jobType);

// One live command, decoded from its job.
struct Command
{
    enum Kind { Codec, Amp, Parameter };
    Kind kind = Parameter;
    quint8 code = 0; // codec register or parameter code
    quint8 value = 0; // codec register value or amplifier value
    QByteArray bytes; // parameter bytes, wire order
};
// The command a job carries; none for a job of another type or without its arguments.
std::optional<Command> fromJob(int jobType, const QByteArray &bytes);

// The packets as they go to endpoint 0x01.
QByteArray codecPacket(quint8 reg, quint8 value); // 10 bytes
QByteArray ampPacket(quint8 value); // 9 bytes
QByteArray parameterPacket(quint8 code, const QByteArray &bytes); // 2 + size bytes
QByteArray packet(const Command &command);

// Any acknowledgement, even an empty one, will do: its content is ignored, only a failed read
// (a negative result) counts.
constexpr bool isAcknowledged(int received)
{
    return received >= 0;
}

// "c=0x..; 0x..; " — the code and the bytes after it, lower-case hexadecimal.
QString parameterText(quint8 code, const QByteArray &bytes);
// What mode 10 logs after a successful command.
QString codecSentText(quint8 reg, quint8 value); // "Переданы параметры=>12[0x3f]; "
QString ampSentText(quint8 value); // "Переданы параметры=>0x0"
QString parameterSentText(quint8 code, const QByteArray &bytes);
QString sentText(const Command &command);
// Log texts of a failed send and a failed acknowledgement, before the error number.
QString sendErrorText(const Command &command);
QString ackErrorText(const Command &command);

} // namespace live
