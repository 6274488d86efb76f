// The configuration jobs: each runs its exchange over the context's link and reports through
// the worker's outlets.

#include "device/configexchange.h"
#include "device/jobcontext.h"

#include <climits>
#include <cstring>

namespace configuration {

void readJob(const JobContext &c)
{
    auto record = std::make_unique<TK440>();
    std::memset(record->b, 0, TK440::Size);
    auto *dev = reinterpret_cast<TDev *>(record->b + TK440::IdentOffset);
    const ReadProgress progress {
        [&c, dev] { c.out.identified(dev); },
        [&c](quint32 count) { c.out.received(count); },
    };
    // Without a connection the read reports its failure.
    const bool ok = c.ready() && read(c.link, *record, progress);
    // The record outlives this job: the identification signal already points into it.
    c.out.readEnded(std::move(record), ok);
}

void writeJob(const JobContext &c)
{
    const char *image = c.job.data.get();
    const int count = int(std::min<quint32>(c.job.size, INT_MAX));
    c.out.writeEnded(c.ready() && image && write(c.link, image, count, c.out.write));
}

} // namespace configuration
