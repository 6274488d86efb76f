#include "device/devicelink.h"

#include "device/usbtransport.h"

#include <QCoreApplication>

DeviceLink::~DeviceLink() = default;

int DeviceLink::readReply(QByteArray &reply)
{
    // A fresh buffer: a stale reply of an earlier exchange can never pass for this one.
    reply = QByteArray(qMax(0, transferSize()), '\0');
    const int n = read(usb::Ep1In, reply.data(), int(reply.size()));
    reply.truncate(qMax(0, n));
    return n;
}

QString linktext::withNumber(const QString &text, int n)
{
    return text + QString::number(n);
}
