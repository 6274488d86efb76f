// The statistics report and trace jobs: each fills its record under its lock and announces it
// through the worker's outlets.

#include "device/acquisitionexchange.h"
#include "device/jobcontext.h"

#include <algorithm>
#include <iterator>

namespace acquisition {

void reportJob(const JobContext &c)
{
    if (!c.ready())
        return;
    ReportRecord &shared = c.records.report;
    report(c.link, c.job.type == JobReportReset, [&](const TReport &received) {
        ReportLock lock(shared);
        *lock = received;
        c.out.reportReady(shared.address());
    });
}

void traceJob(const JobContext &c)
{
    if (!c.ready())
        return;
    // Received apart from the record, so that the trace window never waits for a transfer.
    TTrace reply {};
    int &wrongEchoes = c.records.wrongEchoes;
    switch (trace(c.link, reply.w)) {
    case TraceOutcome::Delivered: {
        wrongEchoes = 0;
        TraceLock lock(c.records.trace);
        *lock = reply;
        c.out.traceReady(lock->w);
        return;
    }
    case TraceOutcome::WrongEcho:
        // Asked again at once; a controller that never echoes right would keep the chain
        // spinning, so it ends after a bounded number of wrong echoes in a row.
        if (++wrongEchoes < MaxWrongEchoes) {
            c.out.queue(JobTrace);
            return;
        }
        c.link.log(traceStoppedText(wrongEchoes));
        break;
    case TraceOutcome::Failed:
        break;
    }
    wrongEchoes = 0;
}

} // namespace acquisition
