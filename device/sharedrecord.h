#pragma once
// Records that the worker fills and windows read, each behind a counting semaphore of `Units`
// that only the lock types below take: a reader holds one unit while it reads, the worker
// holds every unit while it writes, so it waits for all readers and no reader sees a
// half-written record.

#include "config/records.h"

#include <condition_variable>
#include <mutex>

template<typename Record, int Units> class SharedRecord
{
public:
    SharedRecord() = default;
    SharedRecord(const SharedRecord &) = delete;
    SharedRecord &operator=(const SharedRecord &) = delete;

    // Holds `Taken` units for as long as it lives.
    template<int Taken> class Lock
    {
    public:
        explicit Lock(SharedRecord &shared)
            : s(shared)
        {
            s.take(Taken);
        }
        ~Lock() { s.give(Taken); }
        Lock(const Lock &) = delete;
        Lock &operator=(const Lock &) = delete;
        Record *operator->() const { return &s.record; }
        Record &operator*() const { return s.record; }

    private:
        SharedRecord &s;
    };
    // A window reading the record (and marking it consumed): one unit.
    using ReadLock = Lock<1>;
    // The worker writing the record: every unit, so it waits for all readers.
    using WriteLock = Lock<Units>;

    // Where the record lives, for the signal that announces it; read it only under a lock.
    Record *address() { return &record; }
    // Units no lock holds now (all of them when nobody reads or writes).
    int freeUnits()
    {
        std::lock_guard lock(mutex);
        return available;
    }

private:
    // A counting semaphore of standard parts rather than QSemaphore, whose synchronisation
    // happens inside the uninstrumented Qt library where ThreadSanitizer cannot see it.
    void take(int n)
    {
        std::unique_lock lock(mutex);
        released.wait(lock, [&] { return available >= n; });
        available -= n;
    }
    void give(int n)
    {
        {
            std::lock_guard lock(mutex);
            available += n;
        }
        released.notify_all();
    }

    std::mutex mutex; // guards available
    std::condition_variable released; // units were given back
    int available = Units; // units not taken by a lock; they guard record
    Record record {};
};

// The five monitor blocks: a view takes one unit while it reads, the worker all five.
using MonitorRecords = SharedRecord<TMon, 5>;
using MonitorReadLock = MonitorRecords::ReadLock;
using MonitorWriteLock = MonitorRecords::WriteLock;

// The statistics record: one unit, taken by whichever side uses it.
using ReportRecord = SharedRecord<TReport, 1>;
using ReportLock = ReportRecord::WriteLock;

// The last trace reply: word 0 its byte count, word 1 its channel, then the bytes captured.
struct TTrace
{
    quint16 w[TraceBufferSize / 2];
};
// One unit, taken by whichever side uses it: the worker while it stores a reply, the trace
// window while it copies one out.
using TraceRecord = SharedRecord<TTrace, 1>;
using TraceLock = TraceRecord::WriteLock;
