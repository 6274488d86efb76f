#pragma once
// A worker thread with test jobs that use the connection the way the exchanges do.

#include "device/tthread.h"
#include "sim/simtransport.h"

#include <QMutex>

#include <atomic>

class ProbeThread : public TThread
{
public:
    // The worker calls this class's dispatch(): it must have ended before this part goes.
    ~ProbeThread() override
    {
        stop();
        wait();
    }

    // Writes the job's bytes to endpoint 0x01 and reads the reply; a removal error takes the
    // lost-device path.
    static constexpr quint16 JobExchange = 200;
    // Does the same exchange, then waits while `hold` is set.
    static constexpr quint16 JobHeld = 201;

    std::atomic<bool> hold {false};
    std::atomic<bool> holding {false};
    std::atomic<int> lastResult {0};
    std::atomic<int> listingsInJob {-1};
    SimTransport *sim = nullptr; // for listings(); set by the test

    QMutex logMutex; // guards executed
    QList<QByteArray> executed; // data of every exchange job, in execution order

    int linkBufferSize() const { return transferSize(); }
    QString linkProduct() const { return productName(); }

    QList<QByteArray> snapshot()
    {
        QMutexLocker lock(&logMutex);
        return executed;
    }

protected:
    void dispatch(TJob &job) override
    {
        if (job.type != JobExchange && job.type != JobHeld) {
            TThread::dispatch(job);
            return;
        }
        {
            QMutexLocker lock(&logMutex);
            executed.append(QByteArray(job.data.get(), int(job.size)));
        }
        if (!hasDevice()) {
            lastResult = 1;
            return;
        }
        int n = usbWrite(usb::Ep1Out, job.data.get(), int(job.size));
        QByteArray reply(transferSize(), '\0');
        if (n >= 0)
            n = usbRead(usb::Ep1In, reply.data(), int(reply.size()));
        lastResult = n;
        if (usb::isRemovalError(n))
            lostDevice();
        if (job.type == JobHeld) {
            holding = true;
            while (hold)
                QThread::msleep(1);
            if (sim)
                listingsInJob = sim->listings();
        }
    }
};
