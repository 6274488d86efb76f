#include "sim/simusbdevice.h"

#include "device/usbtransport.h"

#include <QThread>

#include <chrono>
#include <cstring>

EndpointHandler::~EndpointHandler() = default;

void EndpointHandler::written(quint8, const QByteArray &, InBuffers &) { }

std::optional<QByteArray> EndpointHandler::read(quint8, int)
{
    return std::nullopt;
}

int EndpointHandler::msUntilReady(quint8)
{
    return -1;
}

SimUsbDevice::SimUsbDevice(QObject *parent)
    : QObject(parent)
{
    endpoints.insert(2, {0x01, 0x81, 0x82});
    endpoints.insert(1, {0x06});
}

SimUsbDevice::~SimUsbDevice() = default;

// --- Host side ---

bool SimUsbDevice::hostMatches(quint16 v, quint16 p) const
{
    QMutexLocker lock(&mutex);
    return plugged && vendor == v && product == p;
}

int SimUsbDevice::hostOpen(quint32 *opened)
{
    QMutexLocker lock(&mutex);
    if (!plugged)
        return -6;
    if (const int e = leaveAtStepLocked(StepOpen)) {
        lock.unlock();
        Q_EMIT attachmentChanged(false);
        return e;
    }
    if (const int e = stepErrors.value(StepOpen))
        return e;
    *opened = session;
    return 0;
}

int SimUsbDevice::stepResult(quint32 s, Step step) const
{
    return aliveLocked(s) ? stepErrors.value(step) : -6;
}

bool SimUsbDevice::hostSessionAlive(quint32 s) const
{
    QMutexLocker lock(&mutex);
    return aliveLocked(s);
}

int SimUsbDevice::hostProductString(quint32 s, QByteArray *out, int maxLength)
{
    QMutexLocker lock(&mutex);
    QByteArray text;
    const bool alive = aliveLocked(s);
    int r = alive ? leaveAtStepLocked(StepProductString) : 0;
    if (r != 0) {
        record(0x00, maxLength, 1000, r, text);
        lock.unlock();
        Q_EMIT attachmentChanged(false);
        return r;
    }
    r = stepResult(s, StepProductString);
    if (r == 0) {
        text = productText.left(maxLength - 1);
        r = int(text.size());
        if (r > 0)
            *out = text;
    }
    record(0x00, maxLength, 1000, r, text);
    return r;
}

int SimUsbDevice::hostSetConfiguration(quint32 s, int config)
{
    QMutexLocker lock(&mutex);
    if (const int e = aliveLocked(s) ? leaveAtStepLocked(StepSetConfiguration) : 0) {
        lock.unlock();
        Q_EMIT attachmentChanged(false);
        return e;
    }
    if (const int e = stepResult(s, StepSetConfiguration))
        return e;
    // Real libusb reports the kernel's refusal of an unknown configuration as NOT_FOUND.
    if (!endpoints.contains(config))
        return usb::ErrNotFound;
    configuration = config;
    return 0;
}

int SimUsbDevice::hostClaim(quint32 s, int interface)
{
    QMutexLocker lock(&mutex);
    if (const int e = aliveLocked(s) ? leaveAtStepLocked(StepClaim) : 0) {
        lock.unlock();
        Q_EMIT attachmentChanged(false);
        return e;
    }
    if (const int e = stepResult(s, StepClaim))
        return e;
    return interface == 0 ? 0 : -2;
}

int SimUsbDevice::hostRelease(quint32 s, int)
{
    QMutexLocker lock(&mutex);
    return aliveLocked(s) ? 0 : -6;
}

bool SimUsbDevice::hostHasEndpoint(quint8 endpoint) const
{
    QMutexLocker lock(&mutex);
    return endpoints.value(configuration).contains(endpoint);
}

SimUsbDevice::Pending SimUsbDevice::takeFault(quint8 endpoint, QMutexLocker<QMutex> &lock)
{
    ++bulkCount;
    Pending p;
    if (faultsAt.contains(bulkCount)) {
        p.has = true;
        p.fault = faultsAt.take(bulkCount);
    } else if (faultsNext.contains(endpoint)) {
        p.has = true;
        p.fault = faultsNext.take(endpoint);
    }
    if (p.has && p.fault.kind == Fault::Delay) {
        // Waits unlocked, then the transfer goes on normally.
        lock.unlock();
        QThread::msleep(ulong(p.fault.value));
        lock.relock();
        p.has = false;
    }
    return p;
}

int SimUsbDevice::waitTimeout(int timeoutMs)
{
    const int ms = timeoutWait >= 0 ? timeoutWait : timeoutMs;
    mutex.unlock();
    QThread::msleep(ulong(ms));
    mutex.lock();
    return -110;
}

void SimUsbDevice::setRecording(bool on)
{
    QMutexLocker lock(&mutex);
    recording = on;
}

void SimUsbDevice::record(quint8 endpoint, int requested, int timeoutMs, int result,
                          const QByteArray &data)
{
    if (!recording)
        return;
    log.append({endpoint, requested, timeoutMs, result, data});
}

int SimUsbDevice::hostBulkOut(quint32 s, quint8 endpoint, const char *data, int size, int timeoutMs)
{
    QMutexLocker lock(&mutex);
    const Pending p = takeFault(endpoint, lock);
    int r = 0;
    bool vanished = false;
    if (!aliveLocked(s)) {
        r = -6;
    } else if (!endpoints.value(configuration).contains(endpoint)) {
        r = -2;
    } else if (p.has && p.fault.kind == Fault::Error) {
        r = p.fault.value;
    } else if (p.has && p.fault.kind == Fault::Timeout) {
        r = waitTimeout(timeoutMs);
    } else if (p.has && p.fault.kind == Fault::Vanish) {
        vanishLocked();
        vanished = true;
        r = p.fault.value;
    } else if (p.has && p.fault.kind == Fault::Empty) {
        r = 0;
    } else {
        r = (p.has && p.fault.kind == Fault::Short) ? qBound(0, p.fault.value, size) : size;
    }
    const QByteArray taken = r > 0 ? QByteArray(data, r) : QByteArray();
    record(endpoint, size, timeoutMs, r, taken);
    if (r > 0) {
        if (EndpointHandler *h = handlers.value(endpoint)) {
            h->written(endpoint, taken, buffers);
            readable.notify_all();
        }
    }
    lock.unlock();
    if (vanished)
        Q_EMIT attachmentChanged(false);
    return r;
}

int SimUsbDevice::awaitData(quint32 s, quint8 endpoint, int size, int timeoutMs, QByteArray *out)
{
    // Wait for data up to the time-out, as a real bulk read does.
    const auto deadline = std::chrono::steady_clock::now()
        + std::chrono::milliseconds(timeoutWait >= 0 ? timeoutWait : timeoutMs);
    for (;;) {
        if (!aliveLocked(s))
            return -6;
        if (auto bytes = buffers.take(endpoint)) {
            *out = *bytes;
            return 0;
        }
        auto wake = deadline;
        if (EndpointHandler *h = handlers.value(endpoint)) {
            if (auto bytes = h->read(endpoint, size)) {
                *out = *bytes;
                return 0;
            }
            if (const int ms = h->msUntilReady(endpoint); ms >= 0)
                wake = std::min(deadline,
                                std::chrono::steady_clock::now() + std::chrono::milliseconds(ms));
        }
        if (std::chrono::steady_clock::now() >= deadline)
            return -110;
        readable.wait_until(mutex, wake);
    }
}

int SimUsbDevice::hostBulkIn(quint32 s, quint8 endpoint, char *data, int size, int timeoutMs)
{
    QMutexLocker lock(&mutex);
    const Pending p = takeFault(endpoint, lock);
    int r = 0;
    bool vanished = false;
    QByteArray out;
    if (!aliveLocked(s)) {
        r = -6;
    } else if (!endpoints.value(configuration).contains(endpoint)) {
        r = -2;
    } else if (p.has && p.fault.kind == Fault::Error) {
        buffers.clear(endpoint);
        r = p.fault.value;
    } else if (p.has && p.fault.kind == Fault::Timeout) {
        buffers.clear(endpoint);
        r = waitTimeout(timeoutMs);
    } else if (p.has && p.fault.kind == Fault::Vanish) {
        vanishLocked();
        vanished = true;
        r = p.fault.value;
    } else if (p.has && p.fault.kind == Fault::Replace) {
        buffers.clear(endpoint);
        out = p.fault.data;
    } else {
        r = awaitData(s, endpoint, size, timeoutMs, &out);
        if (r == 0 && p.has && p.fault.kind == Fault::Short)
            out.truncate(qMax(0, p.fault.value));
        if (r == 0 && p.has && p.fault.kind == Fault::Empty)
            out.clear();
        if (r == 0 && p.has && p.fault.kind == Fault::Patch) {
            for (qsizetype i = 0; i < p.fault.data.size(); ++i) {
                const qsizetype at = p.fault.value + i;
                if (at >= 0 && at < out.size())
                    out[at] = p.fault.data[i];
            }
        }
    }
    if (r == 0) {
        if (out.size() > size) {
            r = -75; // the device sent more than the host asked for
            out.clear();
        } else {
            r = int(out.size());
            std::memcpy(data, out.constData(), size_t(out.size()));
        }
    }
    record(endpoint, size, timeoutMs, r, out);
    lock.unlock();
    if (vanished)
        Q_EMIT attachmentChanged(false);
    return r;
}
