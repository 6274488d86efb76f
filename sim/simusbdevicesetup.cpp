#include "sim/simusbdevice.h"

#include "device/usbtransport.h"

#include <QThread>

#include <chrono>
#include <cstring>

// --- Set-up by tests ---

void SimUsbDevice::setIdentity(quint16 v, quint16 p)
{
    QMutexLocker lock(&mutex);
    vendor = v;
    product = p;
}

void SimUsbDevice::setProductString(const QByteArray &text)
{
    QMutexLocker lock(&mutex);
    productText = text;
}

void SimUsbDevice::setEndpointHandler(quint8 endpoint, EndpointHandler *handler)
{
    QMutexLocker lock(&mutex);
    if (handler)
        handlers.insert(endpoint, handler);
    else
        handlers.remove(endpoint);
}

void SimUsbDevice::queueRead(quint8 endpoint, const QByteArray &bytes)
{
    QMutexLocker lock(&mutex);
    buffers.append(endpoint, bytes);
    readable.notify_all();
}

void SimUsbDevice::plug()
{
    {
        QMutexLocker lock(&mutex);
        if (plugged)
            return;
        plugged = true;
        ++session;
        configuration = 1;
    }
    Q_EMIT attachmentChanged(true);
}

void SimUsbDevice::unplug()
{
    {
        QMutexLocker lock(&mutex);
        if (!plugged)
            return;
        vanishLocked();
    }
    Q_EMIT attachmentChanged(false);
}

void SimUsbDevice::vanishLocked()
{
    plugged = false;
    ++session;
    buffers.clearAll();
    readable.notify_all();
}

void SimUsbDevice::failStep(Step step, int error)
{
    QMutexLocker lock(&mutex);
    if (error)
        stepErrors.insert(step, error);
    else
        stepErrors.remove(step);
}

void SimUsbDevice::vanishAtStep(Step step, int error)
{
    QMutexLocker lock(&mutex);
    stepDepartures.insert(step, error);
}

int SimUsbDevice::leaveAtStepLocked(Step step)
{
    if (!plugged || !stepDepartures.contains(step))
        return 0;
    vanishLocked();
    return stepDepartures.take(step);
}

void SimUsbDevice::setEndpoints(int config, const QList<quint8> &eps)
{
    QMutexLocker lock(&mutex);
    endpoints.insert(config, eps);
}

void SimUsbDevice::failTransfer(int k, const Fault &fault)
{
    QMutexLocker lock(&mutex);
    faultsAt.insert(bulkCount + k, fault);
}

void SimUsbDevice::failNext(quint8 endpoint, const Fault &fault)
{
    QMutexLocker lock(&mutex);
    faultsNext.insert(endpoint, fault);
}

void SimUsbDevice::clearFaults()
{
    QMutexLocker lock(&mutex);
    faultsAt.clear();
    faultsNext.clear();
    stepErrors.clear();
    stepDepartures.clear();
}

void SimUsbDevice::setTimeoutWait(int ms)
{
    QMutexLocker lock(&mutex);
    timeoutWait = ms;
}

QList<QByteArray> SimUsbDevice::moved(quint8 endpoint) const
{
    QMutexLocker lock(&mutex);
    QList<QByteArray> result;
    for (const Transfer &t : log) {
        if (t.endpoint == endpoint && t.result > 0)
            result.append(t.data);
    }
    return result;
}

void SimUsbDevice::clearTransfers()
{
    QMutexLocker lock(&mutex);
    log.clear();
}
