// The firmware-load job: over the open connection, or in boot mode when no controller is open.

#include "device/flashexchange.h"
#include "device/jobcontext.h"

#include <climits>

namespace flash {

void loadJob(const JobContext &c)
{
    const char *data = c.job.data.get();
    const int size = data ? int(std::min<quint32>(c.job.size, INT_MAX)) : 0;
    if (c.ready()) {
        c.out.loadEnded(load(c.link, data, size, c.out.load));
        return;
    }
    // Opened but not handshaken: neither mode applies.
    if (c.connection.isOpen()) {
        c.out.loadEnded(false);
        return;
    }
    // Boot mode: the controller opened in configuration 1 takes the file on its stream
    // endpoint. It is closed again however the stream ends, so that the next hot-plug check
    // opens it for normal operation.
    if (c.connection.openBoot() != DeviceConnection::BootOpening::Ready) {
        c.out.loadEnded(false);
        return;
    }
    const bool ok = stream(c.link, data, size, c.out.load);
    c.connection.drop();
    c.out.loadEnded(ok);
}

} // namespace flash
