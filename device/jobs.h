#pragma once
// The worker's queue entries: a job type and a private copy of the request's arguments.

#include <QtGlobal>

#include <memory>

// Job types of the request operations. The bytes each carries are decoded by the exchange
// that runs it (see configexchange.h, liveexchange.h).
enum JobType : quint16 {
    JobCheck = 0, // wakes the worker for a hot-plug check; runs nothing itself
    JobRead = 2,
    JobWrite = 3,
    JobLoad = 4,
    JobCodec = 5,
    JobAmp = 6,
    JobParam4 = 7,
    JobParam5 = 8,
    JobParam6 = 9,
    JobParam7 = 10,
    JobParam8 = 11,
    JobParam9 = 12,
    JobParam10 = 13,
    JobParam11 = 14,
    JobReport = 15,
    JobReportReset = 16,
    JobMonitor = 17,
    JobMonitorRead = 18,
    JobTraceMode = 19,
    JobTrace = 20,
};

// One queued request: its type, a size or count, and a private copy of its arguments.
struct TJob
{
    quint32 id = 0; // identity of the request, as its request operation returned it
    quint16 type = 0;
    quint32 size = 0;
    std::unique_ptr<char[]> data;
};
