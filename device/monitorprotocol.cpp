#include "device/monitorprotocol.h"

#include <QtEndian>

namespace monitor {

std::optional<Switch> switchFromJob(const QByteArray &bytes)
{
    if (bytes.size() < 2)
        return std::nullopt;
    return Switch {quint8(bytes[0]), bytes[1] != 0};
}

QByteArray switchPacket(const Switch &s)
{
    const char bytes[4] = {0, char(CmdSwitch), char(s.on ? 0x80 : 0x00), char(s.channel)};
    return QByteArray(bytes, 4);
}

void storeFrame(const char *frame, TMonBlock &block)
{
    const auto *wire = reinterpret_cast<const uchar *>(frame + FrameHeader);
    for (int i = 0; i < BlockBytes / 2; ++i)
        block.data[i] = qFromBigEndian<quint16>(wire + 2 * i);
    block.len = BlockBytes;
}

} // namespace monitor
