#include "device/tthread.h"

#include <QtEndian>

#include <cstring>

TThread::TThread(QObject *parent, const UsbTransport::Factory &transport)
    : QThread(parent)
    , sleeper([](int ms) { QThread::msleep(ulong(ms)); })
    , plugWatch(std::make_unique<UsbHotplug>())
{
    qRegisterMetaType<TDev *>("TDev*");
    qRegisterMetaType<TK440 *>("TK440*");
    qRegisterMetaType<TMon *>("TMon*");
    qRegisterMetaType<TReport *>("TReport*");
    setTransport(transport ? transport() : makeLibusbTransport());
}

TThread::~TThread()
{
    stop();
    wait();
    qDeleteAll(jobs);
    QMutexLocker lock(&connMutex);
    dropDevice();
    // The transport goes first: it may still be reporting into plugWatch from its own thread.
    link.reset();
}

quint32 TThread::enqueue(std::unique_ptr<TJob> job)
{
    QMutexLocker lock(&mutex);
    // 0 is never an identity, so that a window without a job matches none.
    if (++lastJobId == 0)
        ++lastJobId;
    const quint32 id = job->id = lastJobId;
    jobs.append(job.release());
    if (!active) {
        active = true;
        // A worker that has just found the queue empty may still be returning from run();
        // it no longer touches the queue, so joining it here is immediate.
        if (isRunning())
            wait();
        start(QThread::InheritPriority);
    }
    return id;
}

quint32 TThread::reqJob(quint16 type, QByteArray data, quint32 size)
{
    auto job = std::make_unique<TJob>();
    job->type = type;
    job->size = size;
    if (!data.isEmpty()) {
        job->data = std::make_unique<char[]>(size_t(data.size()));
        std::memcpy(job->data.get(), data.constData(), size_t(data.size()));
    }
    return enqueue(std::move(job));
}

quint32 TThread::reqRead()
{
    return reqJob(JobRead, {}, 0);
}

quint32 TThread::reqWrite(const char *image, int count)
{
    return reqJob(JobWrite, QByteArray(image, TK440::Size), quint32(count));
}

quint32 TThread::reqLoad(const char *data, uint size)
{
    return reqJob(JobLoad, QByteArray(data, qsizetype(size)), size);
}

void TThread::reqCodec(quint8 reg, quint8 value)
{
    const char bytes[2] = {char(reg), char(value)};
    reqJob(JobCodec, QByteArray(bytes, 2), 2);
}

void TThread::reqAmp(quint8 value)
{
    reqJob(JobAmp, QByteArray(1, char(value)), 1);
}

void TThread::reqParam5(quint8 a, quint8 b)
{
    const char bytes[2] = {char(a), char(b)};
    reqJob(JobParam5, QByteArray(bytes, 2), 2);
}

void TThread::reqParam6(quint8 a, quint8 b)
{
    const char bytes[2] = {char(a), char(b)};
    reqJob(JobParam6, QByteArray(bytes, 2), 2);
}

void TThread::reqCommand(int job, const quint16 *words, int size)
{
    // Byte pairs are swapped to wire order; an odd last byte is taken as it stands.
    QByteArray copy(size, '\0');
    if (size > 0 && words)
        std::memcpy(copy.data(), words, size_t(size));
    for (int i = 0; i + 1 < size; i += 2)
        qToBigEndian<quint16>(words[i / 2], copy.data() + i);
    reqJob(quint16(job), copy, quint32(size));
}

void TThread::reqReport(bool plain)
{
    reqJob(plain ? JobReport : JobReportReset, {}, 0);
}

void TThread::reqMonitor(quint8 channel, bool on)
{
    const char bytes[2] = {char(channel), char(on ? 1 : 0)};
    reqJob(JobMonitor, QByteArray(bytes, 2), 2);
}

void TThread::reqMonitorRead()
{
    reqJob(JobMonitorRead, {}, 0);
}

void TThread::reqTraceMode(quint16 value)
{
    const char bytes[2] = {char(value >> 8), char(value & 0xFF)};
    reqJob(JobTraceMode, QByteArray(bytes, 2), 2);
}

void TThread::reqTrace()
{
    reqJob(JobTrace, {}, 0);
}

void TThread::setMode(int m)
{
    QMutexLocker lock(&mutex);
    mode = m;
}

int TThread::currentMode()
{
    QMutexLocker lock(&mutex);
    return mode;
}

int TThread::queuedJobs()
{
    QMutexLocker lock(&mutex);
    return int(jobs.size());
}

void TThread::stop()
{
    QMutexLocker lock(&mutex);
    stopFlag = true;
}

void TThread::setSleepFunction(SleepFunction sleep)
{
    sleeper = std::move(sleep);
}

void TThread::sleepMs(int ms)
{
    sleeper(ms);
}

void TThread::run()
{
    for (;;) {
        std::unique_ptr<TJob> job;
        {
            QMutexLocker lock(&mutex);
            if (stopFlag || jobs.isEmpty()) {
                active = false;
                return;
            }
            job.reset(jobs.takeFirst());
        }
        Q_EMIT jobStarted(job->id);
        {
            QMutexLocker lock(&connMutex);
            dispatch(*job);
        }
        Q_EMIT jobFinished(job->id);
        job.reset();
        // A hot-plug check that arrived during the job runs now, before the next one.
        serviceCheck();
    }
}

void TThread::dispatch(TJob &job)
{
    // Without a connection only the read, write and load jobs report, through their
    // error signals; every other job does nothing. (The exchanges over an open connection
    // are added job by job; until then these three report their error signals too.)
    switch (job.type) {
    case JobRead:
        readConfig();
        break;
    case JobWrite:
        writeConfig(job);
        break;
    case JobLoad:
        Q_EMIT loadErr();
        break;
    case JobCodec:
    case JobAmp:
    case JobParam4:
    case JobParam5:
    case JobParam6:
    case JobParam7:
    case JobParam8:
    case JobParam9:
    case JobParam10:
    case JobParam11:
    case JobTraceMode:
        liveCommand(job);
        break;
    default:
        break;
    }
}
