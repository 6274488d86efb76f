#include "device/liveexchange.h"

#include "config/modes.h"
#include "device/usbtransport.h"

namespace live {

bool send(DeviceLink &link, const Command &command)
{
    const QByteArray bytes = packet(command);
    // The controller announced how much one transfer may carry; a packet that does not fit
    // the transfer buffer is not sent.
    if (bytes.size() > link.transferSize()) {
        link.log(sendErrorText(command) + QString::number(usb::ErrOverflow));
        return false;
    }
    int n = link.write(usb::Ep1Out, bytes);
    if (n < 0) {
        link.log(sendErrorText(command) + QString::number(n));
        return false;
    }
    QByteArray reply;
    n = link.readReply(reply);
    if (!isAcknowledged(n)) {
        link.log(ackErrorText(command) + QString::number(n));
        return false;
    }
    if (modeAllows(link.mode(), ModeFeature::LiveCommandLog))
        link.log(sentText(command));
    return true;
}

} // namespace live
