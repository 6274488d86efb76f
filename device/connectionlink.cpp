#include "device/connectionlink.h"

ConnectionLink::ConnectionLink(DeviceConnection &connection, Owner o)
    : conn(connection)
    , owner(std::move(o))
{ }

int ConnectionLink::write(quint8 endpoint, const char *data, int size)
{
    return conn.write(endpoint, data, size);
}

int ConnectionLink::read(quint8 endpoint, char *data, int size)
{
    return conn.read(endpoint, data, size);
}

int ConnectionLink::readFor(quint8 endpoint, char *data, int size, int timeoutMs)
{
    return conn.read(endpoint, data, size, timeoutMs);
}

void ConnectionLink::pause(int ms)
{
    if (owner.pause)
        owner.pause(ms);
}

void ConnectionLink::log(const QString &line)
{
    if (owner.log)
        owner.log(line);
}
