// The live-command job: one command decoded from its job's bytes, sent when connected.

#include "device/jobcontext.h"
#include "device/liveexchange.h"

namespace live {

void commandJob(const JobContext &c)
{
    if (const auto command = fromJob(c.job.type, c.bytes()); command && c.ready())
        send(c.link, *command);
}

} // namespace live
