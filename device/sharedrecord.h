#pragma once
// Records that the worker fills and windows read, each behind a counting semaphore that only
// the lock types below take: a reader holds one unit while it reads, the worker holds every
// unit while it writes, so it waits for all readers and no reader sees a half-written record.

#include "device/records.h"

#include <QSemaphore>

template<typename Record, int Units> class SharedRecord
{
public:
    static constexpr int units = Units;

    SharedRecord() = default;
    SharedRecord(const SharedRecord &) = delete;
    SharedRecord &operator=(const SharedRecord &) = delete;

    // One unit for as long as it lives: a window reading the record (and marking it consumed).
    class ReadLock
    {
    public:
        explicit ReadLock(SharedRecord &shared)
            : s(shared)
        {
            s.free.acquire(1);
        }
        ~ReadLock() { s.free.release(1); }
        ReadLock(const ReadLock &) = delete;
        ReadLock &operator=(const ReadLock &) = delete;
        Record *operator->() const { return &s.record; }
        Record &operator*() const { return s.record; }

    private:
        SharedRecord &s;
    };

    // Every unit for as long as it lives: the worker writing the record. Waits for the readers.
    class WriteLock
    {
    public:
        explicit WriteLock(SharedRecord &shared)
            : s(shared)
        {
            s.free.acquire(Units);
        }
        ~WriteLock() { s.free.release(Units); }
        WriteLock(const WriteLock &) = delete;
        WriteLock &operator=(const WriteLock &) = delete;
        Record *operator->() const { return &s.record; }
        Record &operator*() const { return s.record; }

    private:
        SharedRecord &s;
    };

    // Where the record lives, for the signal that announces it; read it only under a lock.
    Record *address() { return &record; }

private:
    QSemaphore free {Units}; // units not taken by a lock; guards record
    Record record {};
};

// The five monitor blocks: a view takes one unit while it reads, the worker all five.
using MonitorRecords = SharedRecord<TMon, 5>;
using MonitorReadLock = MonitorRecords::ReadLock;
using MonitorWriteLock = MonitorRecords::WriteLock;

// The statistics record: one unit, taken by whichever side uses it.
using ReportRecord = SharedRecord<TReport, 1>;
using ReportLock = ReportRecord::WriteLock;
