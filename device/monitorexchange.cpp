#include "device/monitorexchange.h"

#include "device/usbtransport.h"

namespace monitor {

Stream::SwitchOutcome Stream::switchChannel(DeviceLink &link, const Switch &s)
{
    const quint16 bit = s.channel < 16 ? quint16(1u << s.channel) : 0;
    int n = link.write(usb::Ep1Out, switchPacket(s));
    if (n >= 0) {
        QByteArray ack;
        n = link.readReply(ack);
    }
    if (n < 1) {
        // A switch-off that the controller did not take still ends the channel here: its
        // window has gone or stopped, and a set bit would keep the stream running for nobody.
        if (!s.on)
            channels &= quint16(~bit);
        return SwitchOutcome::Unchanged;
    }
    if (!s.on) {
        channels &= quint16(~bit);
        return SwitchOutcome::Changed;
    }
    const bool first = channels == 0;
    channels |= bit;
    return first && channels ? SwitchOutcome::Started : SwitchOutcome::Changed;
}

Stream::ReadOutcome Stream::read(DeviceLink &link, const Deliver &deliver)
{
    if (channels == 0) {
        // The last channel went off while this read was queued: the chain ends here.
        fill = 0;
        return ReadOutcome::Ended;
    }
    const int n = link.readFor(usb::Ep2In, frame + fill, FrameSize - fill,
                               fill == 0 ? FreshTimeoutMs : PartTimeoutMs);
    if (usb::isRemovalError(n)) {
        if (link.mode() == 10)
            link.log(linktext::withNumber(LinkText::tr("Ошибка монитора= "), n));
        link.lost();
        return ReadOutcome::Lost;
    }
    if (n > 0) {
        fill = quint16(qMin(FrameSize, fill + n));
        if (fill == FrameSize) {
            const int c = frameChannel(frame);
            if (c < Channels && (channels & (1u << c)))
                deliver(c, frame);
            else
                ++lost.foreign;
            fill = 0;
        }
    } else if (fill > 0 && (n == usb::ErrTimeout || n == usb::ErrOverflow)) {
        // The rest of a frame did not come within its time-out, or a whole new frame came
        // where the rest was expected: the part gathered belongs to a frame that will not be
        // completed, and keeping it would join every later frame out of step.
        ++lost.broken;
        fill = 0;
    }
    return channels ? ReadOutcome::Continue : ReadOutcome::Ended;
}

void Stream::reset()
{
    channels = 0;
    fill = 0;
}

} // namespace monitor
