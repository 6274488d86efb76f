#include "sim/simcontroller.h"

#include "device/usbtransport.h"

#include <QThread>
#include <QtEndian>

namespace {

quint16 wordAt(const QByteArray &bytes, int offset)
{
    if (offset + 2 > bytes.size())
        return 0;
    return qFromBigEndian<quint16>(bytes.constData() + offset);
}

void appendWord(QByteArray &bytes, quint16 value)
{
    bytes.append(char(value >> 8));
    bytes.append(char(value & 0xFF));
}

// The 8-byte reply header: four big-endian words.
QByteArray header(quint16 w0, quint16 w1, quint16 w2, quint16 w3)
{
    QByteArray h;
    appendWord(h, w0);
    appendWord(h, w1);
    appendWord(h, w2);
    appendWord(h, w3);
    return h;
}

} // namespace

SimController::SimController(QObject *parent)
    : QObject(parent)
    , configMemory(MemorySize, char(0xFF))
{
    endpoints.insert(2, {0x01, 0x81, 0x82});
    endpoints.insert(1, {0x06});
    handlers.insert(0, [this](const QByteArray &p) { return answerHandshake(p); });
    handlers.insert(1, [this](const QByteArray &p) { return answerIdentify(p); });
    handlers.insert(3, [this](const QByteArray &p) { return answerMemory(p); });
    // Parameter commands: the controller takes the bytes after the code and acknowledges.
    for (quint8 code : {4, 5, 6, 7, 8, 9, 10, 11, 15})
        handlers.insert(code, [this, code](const QByteArray &p) {
            params.insert(code, p.mid(2));
            return acknowledge(p);
        });
    // Code 12 precedes a statistics report; the controller sends nothing back for it.
    handlers.insert(12, [](const QByteArray &) { return QByteArray(); });
}

SimController::~SimController() = default;

// --- Set-up by tests ---

void SimController::setIdentity(quint16 v, quint16 p)
{
    QMutexLocker lock(&mutex);
    vendor = v;
    product = p;
}

quint16 SimController::vendorId() const
{
    QMutexLocker lock(&mutex);
    return vendor;
}

quint16 SimController::productId() const
{
    QMutexLocker lock(&mutex);
    return product;
}

void SimController::setProductString(const QByteArray &text)
{
    QMutexLocker lock(&mutex);
    productText = text;
}

QByteArray SimController::productString() const
{
    QMutexLocker lock(&mutex);
    return productText;
}

void SimController::setPayloadSize(quint16 n)
{
    QMutexLocker lock(&mutex);
    payload = n;
}

quint16 SimController::payloadSize() const
{
    QMutexLocker lock(&mutex);
    return payload;
}

void SimController::setModel(quint16 model)
{
    QMutexLocker lock(&mutex);
    ident.model = model;
}

void SimController::setVersion(quint16 version)
{
    QMutexLocker lock(&mutex);
    ident.version = version;
}

void SimController::setCpuSerial(const std::array<quint16, 4> &serial)
{
    QMutexLocker lock(&mutex);
    std::copy(serial.begin(), serial.end(), ident.cpuSerial);
}

void SimController::setCpuId(quint16 id)
{
    QMutexLocker lock(&mutex);
    ident.cpuId = id;
}

TDev SimController::identification() const
{
    QMutexLocker lock(&mutex);
    return ident;
}

QByteArray SimController::memory(int offset, int size) const
{
    QMutexLocker lock(&mutex);
    return configMemory.mid(offset, size);
}

void SimController::setMemory(int offset, const QByteArray &bytes)
{
    QMutexLocker lock(&mutex);
    for (int i = 0; i < bytes.size() && offset + i < MemorySize; ++i)
        configMemory[offset + i] = bytes[i];
}

quint8 SimController::codecRegister(quint8 reg) const
{
    QMutexLocker lock(&mutex);
    return codec[reg];
}

quint8 SimController::amplifier() const
{
    QMutexLocker lock(&mutex);
    return amp;
}

QByteArray SimController::parameter(quint8 code) const
{
    QMutexLocker lock(&mutex);
    return params.value(code);
}

quint16 SimController::traceMode() const
{
    QMutexLocker lock(&mutex);
    return wordAt(params.value(15), 0);
}

QByteArray SimController::bootStream() const
{
    QMutexLocker lock(&mutex);
    return boot;
}

void SimController::plug()
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

void SimController::unplug()
{
    {
        QMutexLocker lock(&mutex);
        if (!plugged)
            return;
        vanishLocked();
    }
    Q_EMIT attachmentChanged(false);
}

void SimController::vanishLocked()
{
    plugged = false;
    ++session;
    readQueue.clear();
    readable.wakeAll();
}

bool SimController::isPlugged() const
{
    QMutexLocker lock(&mutex);
    return plugged;
}

int SimController::activeConfiguration() const
{
    QMutexLocker lock(&mutex);
    return configuration;
}

void SimController::failStep(Step step, int error)
{
    QMutexLocker lock(&mutex);
    if (error)
        stepErrors.insert(step, error);
    else
        stepErrors.remove(step);
}

void SimController::setEndpoints(int config, const QList<quint8> &eps)
{
    QMutexLocker lock(&mutex);
    endpoints.insert(config, eps);
}

void SimController::failTransfer(int k, const Fault &fault)
{
    QMutexLocker lock(&mutex);
    faultsAt.insert(bulkCount + k, fault);
}

void SimController::failNext(quint8 endpoint, const Fault &fault)
{
    QMutexLocker lock(&mutex);
    faultsNext.insert(endpoint, fault);
}

void SimController::clearFaults()
{
    QMutexLocker lock(&mutex);
    faultsAt.clear();
    faultsNext.clear();
    stepErrors.clear();
}

void SimController::setTimeoutWait(int ms)
{
    QMutexLocker lock(&mutex);
    timeoutWait = ms;
}

void SimController::setHandler(quint16 command, Handler handler)
{
    QMutexLocker lock(&mutex);
    handlers.insert(command, std::move(handler));
}

void SimController::queueRead(quint8 endpoint, const QByteArray &bytes)
{
    QMutexLocker lock(&mutex);
    readQueue[endpoint].append(bytes);
    readable.wakeAll();
}

QList<SimController::Transfer> SimController::transfers() const
{
    QMutexLocker lock(&mutex);
    return log;
}

QList<QByteArray> SimController::moved(quint8 endpoint) const
{
    QMutexLocker lock(&mutex);
    QList<QByteArray> result;
    for (const Transfer &t : log) {
        if (t.endpoint == endpoint && t.result > 0)
            result.append(t.data);
    }
    return result;
}

int SimController::transferCount() const
{
    QMutexLocker lock(&mutex);
    return bulkCount;
}

void SimController::clearTransfers()
{
    QMutexLocker lock(&mutex);
    log.clear();
}

// --- Host side ---

bool SimController::hostMatches(quint16 v, quint16 p) const
{
    QMutexLocker lock(&mutex);
    return plugged && vendor == v && product == p;
}

int SimController::hostOpen(quint32 *opened)
{
    QMutexLocker lock(&mutex);
    if (!plugged)
        return -6;
    if (const int e = stepErrors.value(StepOpen))
        return e;
    *opened = session;
    return 0;
}

bool SimController::hostSessionAlive(quint32 s) const
{
    QMutexLocker lock(&mutex);
    return plugged && s == session;
}

int SimController::hostProductString(quint32 s, QByteArray *out, int maxLength)
{
    QMutexLocker lock(&mutex);
    int r = 0;
    QByteArray text;
    if (!plugged || s != session) {
        r = -6;
    } else if (const int e = stepErrors.value(StepProductString)) {
        r = e;
    } else {
        text = productText.left(maxLength - 1);
        r = int(text.size());
        if (r > 0)
            *out = text;
    }
    record(0x00, maxLength, 1000, r, text);
    return r;
}

int SimController::hostSetConfiguration(quint32 s, int config)
{
    QMutexLocker lock(&mutex);
    if (!plugged || s != session)
        return -6;
    if (const int e = stepErrors.value(StepSetConfiguration))
        return e;
    // Real libusb reports the kernel's refusal of an unknown configuration as NOT_FOUND.
    if (!endpoints.contains(config))
        return usb::ErrNotFound;
    configuration = config;
    return 0;
}

int SimController::hostClaim(quint32 s, int interface)
{
    QMutexLocker lock(&mutex);
    if (!plugged || s != session)
        return -6;
    if (const int e = stepErrors.value(StepClaim))
        return e;
    return interface == 0 ? 0 : -2;
}

int SimController::hostRelease(quint32 s, int)
{
    QMutexLocker lock(&mutex);
    return plugged && s == session ? 0 : -6;
}

bool SimController::hostHasEndpoint(quint8 endpoint) const
{
    QMutexLocker lock(&mutex);
    return endpoints.value(configuration).contains(endpoint);
}

SimController::Pending SimController::takeFault(quint8 endpoint)
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
    return p;
}

int SimController::waitTimeout(int timeoutMs)
{
    const int ms = timeoutWait >= 0 ? timeoutWait : timeoutMs;
    mutex.unlock();
    QThread::msleep(ulong(ms));
    mutex.lock();
    return -110;
}

void SimController::record(quint8 endpoint, int requested, int timeoutMs, int result,
                           const QByteArray &data)
{
    log.append({endpoint, requested, timeoutMs, result, data});
}

int SimController::hostBulkOut(quint32 s, quint8 endpoint, const char *data, int size,
                               int timeoutMs)
{
    QMutexLocker lock(&mutex);
    Pending p = takeFault(endpoint);
    if (p.has && p.fault.kind == Fault::Delay) {
        lock.unlock();
        QThread::msleep(ulong(p.fault.value));
        lock.relock();
        p.has = false;
    }
    int r = 0;
    bool vanished = false;
    if (!plugged || s != session) {
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
        if (endpoint == 0x01)
            execute(taken);
        else if (endpoint == 0x06)
            boot.append(taken);
    }
    lock.unlock();
    if (vanished)
        Q_EMIT attachmentChanged(false);
    return r;
}

int SimController::hostBulkIn(quint32 s, quint8 endpoint, char *data, int size, int timeoutMs)
{
    QMutexLocker lock(&mutex);
    Pending p = takeFault(endpoint);
    if (p.has && p.fault.kind == Fault::Delay) {
        lock.unlock();
        QThread::msleep(ulong(p.fault.value));
        lock.relock();
        p.has = false;
    }
    int r = 0;
    bool vanished = false;
    QByteArray out;
    auto alive = [&] {
        return plugged && s == session;
    };
    if (!alive()) {
        r = -6;
    } else if (!endpoints.value(configuration).contains(endpoint)) {
        r = -2;
    } else if (p.has && p.fault.kind == Fault::Error) {
        readQueue[endpoint].clear();
        r = p.fault.value;
    } else if (p.has && p.fault.kind == Fault::Timeout) {
        readQueue[endpoint].clear();
        r = waitTimeout(timeoutMs);
    } else if (p.has && p.fault.kind == Fault::Vanish) {
        vanishLocked();
        vanished = true;
        r = p.fault.value;
    } else if (p.has && p.fault.kind == Fault::Replace) {
        readQueue[endpoint].clear();
        out = p.fault.data;
    } else {
        // Wait for data up to the time-out, as a real bulk read does.
        QList<QByteArray> &queue = readQueue[endpoint];
        if (queue.isEmpty()) {
            const int ms = timeoutWait >= 0 ? timeoutWait : timeoutMs;
            readable.wait(&mutex, QDeadlineTimer(ms));
        }
        if (!alive())
            r = -6;
        else if (readQueue[endpoint].isEmpty())
            r = -110;
        else
            out = readQueue[endpoint].takeFirst();
        if (r == 0 && p.has && p.fault.kind == Fault::Short)
            out.truncate(qMax(0, p.fault.value));
        if (r == 0 && p.has && p.fault.kind == Fault::Empty)
            out.clear();
    }
    if (r == 0) {
        if (out.size() > size) {
            r = -75; // the device sent more than the host asked for
            out.clear();
        } else {
            r = int(out.size());
            memcpy(data, out.constData(), size_t(out.size()));
        }
    }
    record(endpoint, size, timeoutMs, r, out);
    lock.unlock();
    if (vanished)
        Q_EMIT attachmentChanged(false);
    return r;
}

// --- Protocol ---

void SimController::execute(const QByteArray &packet)
{
    // A new command supersedes an answer the host has not read.
    readQueue[0x81].clear();
    if (packet.size() < 2)
        return;
    const quint16 command = wordAt(packet, 0);
    const auto it = handlers.constFind(command);
    const QByteArray reply = it != handlers.constEnd() ? (*it)(packet) : acknowledge(packet);
    if (!reply.isEmpty()) {
        readQueue[0x81].append(reply);
        readable.wakeAll();
    }
}

QByteArray SimController::acknowledge(const QByteArray &packet)
{
    return header(wordAt(packet, 0), wordAt(packet, 2), wordAt(packet, 4), wordAt(packet, 6));
}

QByteArray SimController::answerHandshake(const QByteArray &) const
{
    QByteArray reply;
    appendWord(reply, 0);
    appendWord(reply, payload);
    return reply;
}

QByteArray SimController::answerIdentify(const QByteArray &) const
{
    QByteArray reply = header(1, sizeof(TDev), 0, 0);
    appendWord(reply, ident.model);
    appendWord(reply, ident.version);
    for (quint16 w : ident.cpuSerial)
        appendWord(reply, w);
    appendWord(reply, ident.cpuId);
    return reply;
}

QByteArray SimController::answerMemory(const QByteArray &packet)
{
    if (packet.size() < 8)
        return acknowledge(packet);
    const quint16 readCount = wordAt(packet, 2);
    const quint16 writeCount = wordAt(packet, 4);
    const quint16 target = wordAt(packet, 6);
    const QByteArray body = packet.mid(8, writeCount);
    QByteArray reply = acknowledge(packet);
    switch (target) {
    case TargetConfig: {
        if (body.size() < 2)
            break;
        const int offset = wordAt(body, 0);
        const QByteArray bytes = body.mid(2);
        for (int i = 0; i < bytes.size() && offset + i < MemorySize; ++i)
            configMemory[offset + i] = bytes[i];
        // A read returns at most one payload of data; past the end the memory reads as 0xFF.
        const int count = qMin<int>(readCount, payload);
        for (int i = 0; i < count; ++i)
            reply.append(offset + i < MemorySize ? configMemory[offset + i] : char(0xFF));
        break;
    }
    case TargetCodec:
        if (body.size() >= 2)
            codec[quint8(body[0])] = quint8(body[1]);
        break;
    case TargetAmp:
        if (!body.isEmpty())
            amp = quint8(body[0]);
        break;
    default:
        break;
    }
    return reply;
}
