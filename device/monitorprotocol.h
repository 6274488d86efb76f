#pragma once
// The monitor stream's packets and frames (code 14, endpoint 0x82) and the sample formats of
// the monitor blocks the views draw. Pure functions: no worker, no transport.

#include "config/records.h"

#include <QByteArray>

#include <optional>

namespace monitor {

constexpr quint16 CmdSwitch = 14;
constexpr int Channels = 5; // monitor channels 0 to 4, one block each
constexpr int FrameSize = 1024; // one frame on endpoint 0x82
constexpr int FrameHeader = 4; // byte 1 the channel; bytes 4 on the samples
constexpr quint16 BlockBytes = FrameSize - FrameHeader; // `len` of a freshly stored block
constexpr int FreshTimeoutMs = 1000; // a read that starts a frame
constexpr int PartTimeoutMs = 100; // a read that completes a partly received frame

// The switch request a job carries: channel and on/off.
struct Switch
{
    quint8 channel = 0;
    bool on = false;
};
// Job 17's bytes: the channel, then 1 for on; none when they are missing.
std::optional<Switch> switchFromJob(const QByteArray &bytes);
// 00 0E, 0x80 (on) or 0x00 (off), the channel.
QByteArray switchPacket(const Switch &s);

// Channel of a complete frame (byte 1).
inline int frameChannel(const char *frame)
{
    return quint8(frame[1]);
}
// Stores frame bytes 4 to 1023 in the block as host-order words and sets `len` to 1020.
void storeFrame(const char *frame, TMonBlock &block);

// Data bytes of a block a view may read: `len`, but never more than the block holds.
inline int blockBytes(const TMonBlock &block)
{
    return qMin<int>(block.len, BlockBytes);
}
// Oscilloscope sample i (channels 1 to 4): words 2i (high half) and 2i+1 as a signed 32-bit value.
inline qint32 sample(const TMonBlock &block, int i)
{
    return qint32((quint32(block.data[2 * i]) << 16) | block.data[2 * i + 1]);
}
// Constellation point i (channel 0): I = word 2i, Q = word 2i+1, signed.
struct Point
{
    qint16 i;
    qint16 q;
};
inline Point point(const TMonBlock &block, int i)
{
    return {qint16(block.data[2 * i]), qint16(block.data[2 * i + 1])};
}

} // namespace monitor
