#include "device/handshake.h"

namespace handshake {

QByteArray request()
{
    return QByteArray("\x00\x00\x40\x00", 4);
}

int payloadSize(const QByteArray &reply)
{
    if (reply.size() < ReplySize)
        return 0;
    return (quint8(reply[2]) << 8) | quint8(reply[3]);
}

bool isAnnouncedProduct(const QString &product)
{
    return product == QLatin1String("VELK K-330S");
}

} // namespace handshake
