#pragma once
// What a job handler works with: its job, the connection and the link over it, the worker's
// outlets (its signals and its queue) and the records it fills. A handler lives beside its
// exchange (configjobs.cpp beside configexchange.cpp, and so on) and never sees the worker;
// the table in jobtable.cpp names the handler of each job type. Handlers run one at a time in
// the worker's thread, with its connection lock held.

#include "config/records.h"
#include "config/tk440.h"
#include "device/configexchange.h"
#include "device/connection.h"
#include "device/devicelink.h"
#include "device/flashexchange.h"
#include "device/jobs.h"
#include "device/monitorstream.h"
#include "device/sharedrecord.h"

#include <QByteArray>

#include <functional>
#include <memory>

// Where the outcomes of the jobs go; the worker turns each into the signal named beside it.
struct JobOutlets
{
    std::function<void(TDev *dev)> identified; // readDev: the identification is in the record
    std::function<void(quint32 count)> received; // readCnt
    // The record at the end of a read, read (readCfg) or not (readErr).
    std::function<void(std::unique_ptr<TK440> record, bool ok)> readEnded;
    configuration::WriteProgress write; // writeStt, writeChk, writeCnt
    std::function<void(bool ok)> writeEnded; // writeStp or writeErr
    flash::LoadProgress load; // loadStt, loadChk, loadCnt
    std::function<void(bool ok)> loadEnded; // loadStp or loadErr
    // Called with the record's unit held: the record cannot change before the signal is queued.
    std::function<void(TReport *record)> reportReady; // reportRdy
    std::function<void(quint16 *buffer)> traceReady; // traceRdy
    // Queues a follow-up job of this type without arguments (the next job of a chain).
    std::function<void(quint16 type)> queue;
};

// The records a worker fills for its windows, and what its chains of jobs keep between jobs.
struct JobRecords
{
    explicit JobRecords(MonitorStream::Post announceMonitor)
        : monitor(std::move(announceMonitor))
    { }

    ReportRecord report;
    TraceRecord trace;
    int wrongEchoes = 0; // trace replies with a wrong echo in a row (worker thread)
    MonitorStream monitor;
};

struct JobContext
{
    const TJob &job;
    DeviceConnection &connection;
    DeviceLink &link; // over the connection, with the worker's pauses, log and mode
    const JobOutlets &out;
    JobRecords &records;

    // Open and handshaken: the exchanges may run.
    bool ready() const { return connection.isReady(); }
    // The job's argument bytes; none when it carries none.
    QByteArray bytes() const
    {
        return job.data ? QByteArray(job.data.get(), qsizetype(job.size)) : QByteArray();
    }
};

using JobHandler = void (*)(const JobContext &context);
