// The jobs: each runs its exchange over the worker's link and turns the outcome into signals.

#include "device/acquisitionexchange.h"
#include "device/configexchange.h"
#include "device/connectionlink.h"
#include "device/flashexchange.h"
#include "device/liveexchange.h"
#include "device/tthread.h"

#include <QMetaMethod>

#include <cstring>

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
    // Without a connection the read and write jobs report their error signals and the load
    // runs in boot mode; every other job does nothing.
    switch (job.type) {
    case JobRead:
        readConfig();
        return;
    case JobWrite:
        writeConfig(job);
        return;
    case JobLoad:
        loadFirmware(job);
        return;
    case JobReport:
    case JobReportReset:
        statisticsReport(job.type == JobReportReset);
        return;
    case JobTrace:
        traceRead();
        return;
    case JobMonitor:
        monitorSwitch(job);
        return;
    case JobMonitorRead:
        monitorRead();
        return;
    default:
        break;
    }
    const QByteArray bytes =
        job.data ? QByteArray(job.data.get(), qsizetype(job.size)) : QByteArray();
    if (const auto command = live::fromJob(job.type, bytes); command && hasDevice()) {
        ConnectionLink link = workerLink();
        live::send(link, *command);
    }
}

void TThread::readConfig()
{
    // The record lives until the GUI thread has taken it, after every signal that points into
    // it and was already posted (readDev) has been delivered. Queued calls that are never
    // delivered (the thread object goes first) still free it with their shared owner.
    auto owner = std::make_shared<std::unique_ptr<TK440>>(std::make_unique<TK440>());
    TK440 *record = owner->get();
    std::memset(record->b, 0, TK440::Size);
    auto *dev = reinterpret_cast<TDev *>(record->b + TK440::IdentOffset);

    ConnectionLink link = workerLink();
    const configuration::ReadProgress progress {
        [this, dev] { Q_EMIT readDev(dev); },
        [this](quint32 count) { Q_EMIT readCnt(count); },
    };
    if (!hasDevice() || !configuration::read(link, *record, progress)) {
        Q_EMIT readErr();
        QMetaObject::invokeMethod(
            this, [owner] { owner->reset(); }, Qt::QueuedConnection);
        return;
    }

    // Handed over in the GUI thread: a receiver connected at that moment takes the record; when
    // the read window has gone meanwhile, nobody would free it, so it is freed here.
    QMetaObject::invokeMethod(
        this,
        [this, owner] {
            if (isSignalConnected(QMetaMethod::fromSignal(&TThread::readCfg)))
                Q_EMIT readCfg(owner->release());
            else
                owner->reset();
        },
        Qt::QueuedConnection);
}

void TThread::writeConfig(const TJob &job)
{
    ConnectionLink link = workerLink();
    const configuration::WriteProgress progress {
        [this] { Q_EMIT writeStt(); },
        [this] { Q_EMIT writeChk(); },
        [this](quint32 count) { Q_EMIT writeCnt(count); },
    };
    if (hasDevice() && job.data
        && configuration::write(link, job.data.get(), int(std::min<quint32>(job.size, INT_MAX)),
                                progress))
        Q_EMIT writeStp();
    else
        Q_EMIT writeErr();
}

void TThread::loadFirmware(const TJob &job)
{
    ConnectionLink link = workerLink();
    const flash::LoadProgress progress {
        [this](quint16 model) { Q_EMIT loadStt(model); },
        [this] { Q_EMIT loadChk(); },
        [this](quint32 count) { Q_EMIT loadCnt(count); },
    };
    const char *data = job.data.get();
    const int size = data ? int(std::min<quint32>(job.size, INT_MAX)) : 0;
    if (hasDevice()) {
        if (flash::load(link, data, size, progress))
            Q_EMIT loadStp();
        else
            Q_EMIT loadErr();
        return;
    }
    if (connection.isOpen()) {
        // Opened but not handshaken: neither mode applies.
        Q_EMIT loadErr();
        return;
    }
    // Boot mode: the controller opened in configuration 1 takes the file on its stream
    // endpoint. It is closed again however the stream ends, so that the next hot-plug check
    // opens it for normal operation.
    if (connection.openBoot() != DeviceConnection::BootOpening::Ready) {
        Q_EMIT loadErr();
        return;
    }
    const bool ok = flash::stream(link, data, size, progress);
    connection.drop();
    if (ok)
        Q_EMIT loadStp();
    else
        Q_EMIT loadErr();
}

void TThread::statisticsReport(bool reset)
{
    if (!hasDevice())
        return;
    ConnectionLink link = workerLink();
    acquisition::report(link, reset, [this](const TReport &record) {
        ReportLock lock(report);
        *lock = record;
        // Emitted with the unit held: the record cannot change before the signal is queued.
        Q_EMIT reportRdy(report.address());
    });
}

void TThread::traceRead()
{
    if (!hasDevice())
        return;
    ConnectionLink link = workerLink();
    switch (acquisition::trace(link, trace)) {
    case acquisition::TraceOutcome::Delivered:
        wrongEchoes = 0;
        Q_EMIT traceRdy(trace);
        return;
    case acquisition::TraceOutcome::WrongEcho:
        // Asked again at once; a controller that never echoes right would keep the chain
        // spinning, so it ends after a bounded number of wrong echoes in a row.
        if (++wrongEchoes < acquisition::MaxWrongEchoes) {
            reqTrace();
            return;
        }
        Q_EMIT mes(acquisition::traceStoppedText(wrongEchoes));
        break;
    case acquisition::TraceOutcome::Failed:
        break;
    }
    wrongEchoes = 0;
}

void TThread::monitorSwitch(const TJob &job)
{
    const auto request = monitor::switchFromJob(
        job.data ? QByteArray(job.data.get(), qsizetype(job.size)) : QByteArray());
    if (!request || !hasDevice())
        return;
    ConnectionLink link = workerLink();
    const auto outcome = monStream.switchChannel(link, *request);
    monMask = monStream.mask();
    if (outcome == monitor::Stream::SwitchOutcome::Started)
        reqMonitorRead();
}

void TThread::monitorRead()
{
    monReadQueued = false;
    if (!hasDevice()) {
        monStream.reset();
        monMask = 0;
        return;
    }
    ConnectionLink link = workerLink();
    const auto outcome = monStream.read(link, [this](int channel, const char *frame) {
        {
            MonitorWriteLock lock(mon);
            TMonBlock &block = lock->ch[channel];
            if (block.len != 0)
                ++monOverwritten;
            monitor::storeFrame(frame, block);
        }
        ++monFrames;
        // One announcement waits in the GUI thread at a time: the views read every block
        // that has a frame when it arrives. A signal per frame would pile up in the GUI's
        // queue faster than the views draw whenever the stream outruns them, delaying every
        // other event (timers, input) without bound; frames overwritten meanwhile are counted.
        if (!monNotifyPending.exchange(true))
            QMetaObject::invokeMethod(
                this,
                [this] {
                    monNotifyPending = false;
                    Q_EMIT monitorRdy(mon.address());
                },
                Qt::QueuedConnection);
    });
    monMask = monStream.mask();
    if (outcome == monitor::Stream::ReadOutcome::Continue)
        reqMonitorRead();
}

void TThread::switchOffMonitor()
{
    QMutexLocker lock(&connMutex);
    if (hasDevice()) {
        ConnectionLink link = workerLink();
        for (quint8 c = 0; c < monitor::Channels; ++c) {
            if (monStream.mask() & (1u << c))
                monStream.switchChannel(link, {c, false});
        }
    }
    monStream.reset();
    monMask = 0;
}
