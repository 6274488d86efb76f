#include "device/acquisitionexchange.h"

#include "device/usbtransport.h"

#include <algorithm>

namespace acquisition {

namespace {
// Sends a 2-byte command; false after a failure, which is logged or closes the connection.
bool sendCommand(DeviceLink &link, quint16 code)
{
    const int n = link.write(usb::Ep1Out, commandPacket(code));
    if (n >= 0)
        return true;
    if (usb::isRemovalError(n))
        link.lost();
    else
        link.log(sendErrorText(code, n));
    return false;
}
} // namespace

bool report(DeviceLink &link, bool reset, const std::function<void(const TReport &)> &store)
{
    if (reset) {
        const int n = link.write(usb::Ep1Out, commandPacket(CmdReportReset));
        if (usb::isRemovalError(n)) {
            link.lost();
            return false;
        }
        if (n < 0)
            link.log(sendErrorText(CmdReportReset, n));
    }
    if (!sendCommand(link, CmdReport))
        return false;
    QByteArray reply;
    const int n = link.readReply(reply);
    if (n < 1) {
        link.log(sendErrorText(CmdReport, n));
        return false;
    }
    // A short reply would leave foreign bytes in the counters: it counts as a failed
    // reception and the last good record stays.
    TReport record;
    if (!decodeReport(reply, record)) {
        link.log(receiveErrorText(CmdReport, n));
        return false;
    }
    store(record);
    return true;
}

TraceOutcome trace(DeviceLink &link, quint16 *buffer)
{
    if (!sendCommand(link, CmdTrace))
        return TraceOutcome::Failed;
    const int size = std::min(link.transferSize(), TraceBufferSize);
    const int n = link.read(usb::Ep1In, reinterpret_cast<char *>(buffer), size);
    if (n < 1) {
        link.log(receiveErrorText(CmdTrace, n));
        return TraceOutcome::Failed;
    }
    if (!acceptTrace(buffer, n)) {
        link.log(echoErrorText(CmdTrace, buffer[0]));
        return TraceOutcome::WrongEcho;
    }
    return TraceOutcome::Delivered;
}

} // namespace acquisition
