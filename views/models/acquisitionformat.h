#pragma once
// What the statistics and trace windows show, as widget-free functions: the fields of a
// statistics record as texts and bar values, and one trace line per trace buffer.

#include "config/records.h"

#include <QList>
#include <QString>
#include <QTime>

#include <utility>

namespace reportformat {

// The 32-bit field at a byte offset below 68: two host-order words, the high half first.
quint32 field32(const TReport &r, int offset);
// The 16-bit word at a byte offset from 68.
quint16 field16(const TReport &r, int offset);

// Conversions of single fields.
QString agcDb(quint16 word); // 20 log10(v / 256), 0 taken as 1, 3 decimals
QString linkDelay(quint32 value); // unsigned 16.16 fixed point, 4 decimals
QString jitterLoad(quint32 value); // units of 10 us as milliseconds, 2 decimals
QString outputLevel(quint16 word); // -(low 7 bits) x 0.5 dB, 1 decimal
QString inputGain(quint16 word); // (low 7 bits) x 0.5 dB, 1 decimal

// Every value label of the window: its object name and text, in the order they are filled.
QList<std::pair<QString, QString>> texts(const TReport &r);

// The bars; the window-load bar's maximum is set before its value.
struct Bars
{
    int dsp; // low 16 bits of the processor load, range 0 to 65535
    int winMax;
    int winValue;
    int txLoad; // range 0 to 435
    int rxLoad;
};
Bars bars(const TReport &r);

} // namespace reportformat

namespace traceformat {

// Channel codes of a trace buffer.
constexpr bool isChannel(quint16 code)
{
    return code <= 3;
}

// Captured bytes a delivered trace buffer holds after its two header words: its byte count
// (word 0) less the header, never more than the buffer holds; 0 or less when there are none.
int capturedBytes(const quint16 *buffer);

// "hh:mm:ss.zzz-> Link RxD=>0x0A; 0xFF; " for channel codes 0 to 3; for any other code
// "hh:mm:ss.zzz-> ошибка канала=7 ; n=8" with the number of captured bytes.
QString line(const QTime &time, quint16 channel, const uchar *bytes, int count);

} // namespace traceformat
