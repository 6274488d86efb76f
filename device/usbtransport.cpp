#include "device/usbtransport.h"

QString usb::endpointName(quint8 ep)
{
    switch (ep) {
    case Ep0:
        return QStringLiteral("Ep0");
    case Ep1Out:
        return QStringLiteral("Ep1out");
    case Ep1In:
        return QStringLiteral("Ep1in");
    case Ep2In:
        return QStringLiteral("Ep2in");
    case Ep6Out:
        return QStringLiteral("Ep6out");
    default:
        return QStringLiteral("Ep%1").arg(ep, 2, 16, QLatin1Char('0'));
    }
}

UsbTransport::~UsbTransport() = default;
