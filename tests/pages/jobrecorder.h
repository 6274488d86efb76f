#pragma once
// A worker thread that records the jobs the pages queue instead of talking to a controller.

#include "device/tthread.h"

#include <QByteArray>
#include <QList>
#include <QMutex>

#include <chrono>

class JobRecorder : public TThread
{
public:
    // The worker calls this class's dispatch(): it must have ended before this part goes.
    ~JobRecorder() override
    {
        stop();
        wait();
    }

    struct Job
    {
        int type;
        QByteArray bytes;
        std::chrono::steady_clock::time_point at;
    };

    QList<Job> jobs()
    {
        QMutexLocker lock(&guard);
        return recorded;
    }
    int count() { return int(jobs().size()); }
    void clear()
    {
        QMutexLocker lock(&guard);
        recorded.clear();
    }

protected:
    void dispatch(TJob &job) override
    {
        Job j {job.type, job.data ? QByteArray(job.data.get(), qsizetype(job.size)) : QByteArray(),
               std::chrono::steady_clock::now()};
        QMutexLocker lock(&guard);
        recorded.append(j);
    }

private:
    QMutex guard; // guards recorded
    QList<Job> recorded;
};
