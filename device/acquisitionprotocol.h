#pragma once
// Packets and reply checks of the statistics report (codes 12 and 13) and the trace read
// (code 16). Pure functions: no worker, no transport.

#include "config/records.h"

#include <QByteArray>
#include <QString>

namespace acquisition {

constexpr quint16 CmdReportReset = 12;
constexpr quint16 CmdReport = 13;
constexpr quint16 CmdTrace = 16;
// The report reply: a 2-byte header and the 84-byte record.
constexpr int ReportReplySize = 2 + int(sizeof(TReport));
// Consecutive trace replies with a wrong echo after which the worker stops asking.
constexpr int MaxWrongEchoes = 8;

// The 2-byte command packet 00 <code>.
QByteArray commandPacket(quint16 code);

// Converts reply bytes 2 to 85 (42 big-endian words) into the record; false, leaving the
// record untouched, when the reply is shorter than 86 bytes.
bool decodeReport(const QByteArray &reply, TReport &record);

// Trace reply in the worker's 1024-byte trace buffer: `received` bytes arrived. Converts the
// two header words to host order; when word 0 echoes code 16 replaces it with the byte count
// and returns true, otherwise returns false and leaves the wrong echo in word 0.
bool acceptTrace(quint16 *buffer, int received);

// Log texts that end in a number.
QString sendErrorText(quint16 code, int n); // "Ошибка передачи команды: 13 ошибка=-1"
QString receiveErrorText(quint16 code, int n); // "Ошибка приема команды: 16 ошибка=-7"
QString echoErrorText(quint16 code, int echo); // "Ошибка ID команды: 16 ошибка=15"
QString traceStoppedText(int echoes);

} // namespace acquisition
