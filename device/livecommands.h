#pragma once
// Packets and log texts of the live commands that pages send in their test mode: codec
// register, amplifier and the numbered parameter commands.

#include <QByteArray>
#include <QString>

namespace live {

constexpr quint16 CmdMemory = 3;
constexpr quint16 TargetCodec = 0x18;
constexpr quint16 TargetAmp = 0x49;

// Parameter command code of a job type (jobs 7..14 carry codes 4..11, job 19 code 15);
// -1 for any other job.
int parameterCode(int jobType);

// The packets as they go to endpoint 0x01.
QByteArray codecPacket(quint8 reg, quint8 value); // 10 bytes
QByteArray ampPacket(quint8 value); // 9 bytes
QByteArray parameterPacket(quint8 code, const QByteArray &bytes); // 2 + size bytes

// "c=0x..; 0x..; " — the code and the bytes after it, lower-case hexadecimal.
QString parameterText(quint8 code, const QByteArray &bytes);
// What mode 10 logs after a successful command.
QString codecSentText(quint8 reg, quint8 value); // "Переданы параметры=>12[0x3f]; "
QString ampSentText(quint8 value); // "Переданы параметры=>0x0"
QString parameterSentText(quint8 code, const QByteArray &bytes);

} // namespace live
