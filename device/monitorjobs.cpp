// The monitor jobs: the channel switch and the chain of stream reads over the worker's
// MonitorStream, which stores the frames and announces them.

#include "device/jobcontext.h"
#include "device/monitorexchange.h"

namespace monitor {

void switchJob(const JobContext &c)
{
    const auto request = switchFromJob(c.bytes());
    if (!request || !c.ready())
        return;
    MonitorStream &stream = c.records.monitor;
    if (stream.switchChannel(c.link, *request) == Stream::SwitchOutcome::Started
        && stream.claimRead())
        c.out.queue(JobMonitorRead);
}

void readJob(const JobContext &c)
{
    MonitorStream &stream = c.records.monitor;
    stream.readStarted();
    if (!c.ready()) {
        stream.reset();
        return;
    }
    if (stream.read(c.link) == Stream::ReadOutcome::Continue && stream.claimRead())
        c.out.queue(JobMonitorRead);
}

} // namespace monitor
