#include "device/tthread.h"

#include "device/jobtable.h"

#include <QMetaMethod>
#include <QtEndian>

#include <cstring>

TThread::TThread(QObject *parent, const UsbTransport::Factory &transport)
    : QThread(parent)
    , sleeper([](int ms) { QThread::msleep(ulong(ms)); })
    , outlets(makeOutlets())
    , records([this] { Q_EMIT monitorPosted(QPrivateSignal()); })
    , plugWatch(std::make_unique<UsbHotplug>())
    , connection({
          [this](const QString &line) { Q_EMIT mes(line); },
          [this](bool connected) {
              setPort(connected ? connection.portPath() : QString());
              Q_EMIT conn(connected);
          },
          // Closing ends the monitor stream: no channel is on, no frame is half gathered.
          [this] { records.monitor.reset(); },
          [this] { return describeController(); },
      })
{
    qRegisterMetaType<TDev>("TDev");
    qRegisterMetaType<TDev *>("TDev*");
    qRegisterMetaType<TK440 *>("TK440*");
    qRegisterMetaType<TMon *>("TMon*");
    qRegisterMetaType<TReport *>("TReport*");
    qRegisterMetaType<QList<AttachedController>>("QList<AttachedController>");
    connect(
        this, &TThread::monitorPosted, this,
        [this] {
            records.monitor.announced();
            Q_EMIT monitorRdy(records.monitor.records().address());
        },
        Qt::QueuedConnection);
    makeTransport = transport ? transport : UsbTransport::Factory(makeLibusbTransport);
    setTransport(makeTransport());
}

TThread::~TThread()
{
    stop();
    wait();
    qDeleteAll(jobs);
    QMutexLocker lock(&connMutex);
    // The transport goes first: it may still be reporting into plugWatch from its own thread.
    connection.release();
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
    // Only while a channel is on, and one read at a time: a read still waiting in the queue
    // continues the chain, and a second one would start a parallel chain that never merges.
    if (records.monitor.claimRead())
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
            if (stopFlag && records.monitor.mask() != 0) {
                // Channels the closed windows could not switch off any more (their jobs are
                // dropped with the queue) are switched off now, so that the controller does
                // not stream on after the terminal has gone.
                lock.unlock();
                switchOffMonitor();
                lock.relock();
            }
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

// --- The jobs ---

// The connection as the exchanges see it, with the worker's pauses, log and mode.
ConnectionLink TThread::workerLink()
{
    return ConnectionLink(connection,
                          {[this](int ms) { sleepMs(ms); },
                           [this](const QString &line) { Q_EMIT mes(line); },
                           [this] {
                               return currentMode();
                           }});
}

void TThread::dispatch(TJob &job)
{
    // A type without a handler does nothing; without a connection each handler does what its
    // job does then (the read and write report their error signals, the load runs in boot
    // mode, the others nothing).
    if (const JobHandler run = jobHandler(job.type)) {
        ConnectionLink link = workerLink();
        run({job, connection, link, outlets, records});
    }
}

JobOutlets TThread::makeOutlets()
{
    return {
        .identified =
            [this](TDev *dev) {
                noteIdentity(*dev);
                Q_EMIT readDev(dev);
            },
        .received = [this](quint32 count) { Q_EMIT readCnt(count); },
        .readEnded =
            [this](std::unique_ptr<TK440> record, bool ok) {
                if (!ok)
                    Q_EMIT readErr();
                else
                    Q_EMIT readImg(QByteArray(record->data(), TK440::Size));
                // The record lives until the GUI thread has taken it, after every signal that
                // points into it and was already posted (readDev) has been delivered: a
                // receiver connected then takes it; when the read window has gone meanwhile,
                // it is freed there. Queued calls never delivered (this object goes first)
                // free it with their shared owner.
                auto owner = std::make_shared<std::unique_ptr<TK440>>(std::move(record));
                QMetaObject::invokeMethod(
                    this,
                    [this, owner, ok] {
                        if (ok && isSignalConnected(QMetaMethod::fromSignal(&TThread::readCfg)))
                            Q_EMIT readCfg(owner->release());
                        else
                            owner->reset();
                    },
                    Qt::QueuedConnection);
            },
        .write = {[this] { Q_EMIT writeStt(); }, [this] { Q_EMIT writeChk(); },
                  [this](quint32 count) { Q_EMIT writeCnt(count); },
                  [this](int differing) { Q_EMIT writeDif(differing); },
                  [this](const TDev &dev) {
                      noteIdentity(dev);
                      Q_EMIT writeDev(dev);
                  }},
        .writeEnded =
            [this](bool ok) {
                if (ok)
                    Q_EMIT writeStp();
                else
                    Q_EMIT writeErr();
            },
        .load = {[this](quint16 model) { Q_EMIT loadStt(model); }, [this] { Q_EMIT loadChk(); },
                 [this](quint32 count) { Q_EMIT loadCnt(count); },
                 [this](int differing) { Q_EMIT loadDif(differing); },
                 [this](const TDev &dev) {
                     noteIdentity(dev);
                     Q_EMIT loadDev(dev);
                 }},
        .loadEnded =
            [this](bool ok) {
                if (ok)
                    Q_EMIT loadStp();
                else
                    Q_EMIT loadErr();
            },
        .reportReady = [this](TReport *record) { Q_EMIT reportRdy(record); },
        .traceReady = [this](quint16 *buffer) { Q_EMIT traceRdy(buffer); },
        .queue = [this](quint16 type) { reqJob(type, {}, 0); },
    };
}

void TThread::switchOffMonitor()
{
    QMutexLocker lock(&connMutex);
    if (hasDevice()) {
        ConnectionLink link = workerLink();
        records.monitor.switchOffAll(link);
    }
    records.monitor.reset();
}
