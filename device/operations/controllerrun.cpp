#include "device/operations/controllerrun.h"

#include "device/connection.h"
#include "device/connectionlink.h"
#include "device/operations/operation.h"

#include <QThread>

const OperationResult &runOnController(std::unique_ptr<UsbTransport> transport,
                                       Operation &operation, int mode,
                                       const std::function<void(const QString &line)> &log,
                                       const BeforeOperation &before)
{
    const auto say = [&log](const QString &line) {
        if (log)
            log(line);
    };
    DeviceConnection connection({say, [](bool) {
                                 }});
    connection.setTransport(std::move(transport));
    connection.open(usb::ConfigNormal);
    connection.handshake();
    ConnectionLink link(connection,
                        {[](int ms) { QThread::msleep(ulong(ms)); }, log,
                         [mode] {
                             return mode;
                         }});
    if (before)
        before(connection, link);
    const OperationResult &result = operation.run(connection, link);
    connection.release();
    return result;
}
