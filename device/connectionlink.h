#pragma once
// The open connection as an exchange sees it: transfers through a DeviceConnection, with its
// owner's pauses, program log and operating mode. The worker thread and k330ctl both run their
// exchanges over it, so the bytes on the wire are the same whoever asks.

#include "device/connection.h"
#include "device/devicelink.h"

#include <functional>

class ConnectionLink : public DeviceLink
{
public:
    // What the connection's owner provides; each may be empty (no pause, no log, mode 0).
    struct Owner
    {
        std::function<void(int ms)> pause;
        std::function<void(const QString &line)> log;
        std::function<int()> mode;
    };

    ConnectionLink(DeviceConnection &connection, Owner owner);

    int write(quint8 endpoint, const char *data, int size) override;
    int read(quint8 endpoint, char *data, int size) override;
    int readFor(quint8 endpoint, char *data, int size, int timeoutMs) override;
    int transferSize() const override { return conn.transferSize(); }
    void pause(int ms) override;
    void log(const QString &line) override;
    int mode() const override { return owner.mode ? owner.mode() : 0; }
    void close() override { conn.close(); }
    void lost() override { conn.lost(); }
    using DeviceLink::write;

private:
    DeviceConnection &conn;
    Owner owner;
};
