#pragma once
// Worker thread: serves the queue of device jobs one at a time and reports through signals.
//
// TThread queues requests, runs the loop that takes them in order, holds the connection lock
// around each job and turns the jobs' outcomes into its signals. It knows no exchange: the job
// table (jobtable.cpp) names a handler for each job type, and each handler lives beside its
// exchange (configjobs.cpp beside configexchange.cpp, and so on) with a narrow JobContext
// (jobcontext.h): the job, the connection and the link over it, the worker's outlets and the
// records it fills. An exchange itself is two units under device/:
//   <name>protocol.h  packet building and reply checks as pure functions, tested on their own;
//   <name>exchange.h  the sequence of transfers, log lines and progress over a DeviceLink
//                     (device/devicelink.h), with no worker and no transport in sight.
// To add one: write its two units, decode the job's bytes in its protocol unit, write its
// handler in <name>jobs.cpp (declared in its exchange header) and add one row to the table; a
// new kind of outcome gets an outlet in JobOutlets and its signal here. Records that windows
// read while the worker fills them are SharedRecords (device/sharedrecord.h) taken through
// their lock types; the monitor stream is a MonitorStream (device/monitorstream.h).
//
// A worker serves one connection; several workers, each with its own transport, run side by
// side in one process and share nothing.

#include "config/records.h"
#include "config/tk440.h"
#include "device/connection.h"
#include "device/connectionlink.h"
#include "device/controllerroster.h"
#include "device/jobcontext.h"
#include "device/jobs.h"
#include "device/monitorstream.h"
#include "device/sharedrecord.h"
#include "device/usbhotplug.h"
#include "device/usbtransport.h"

#include <QList>
#include <QMutex>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class TThread : public QThread
{
    Q_OBJECT

public:
    // TThread::JobRead and the other job types.
    using enum JobType;

    // Sleep used by the worker for protocol pauses; tests may replace it to run faster.
    using SleepFunction = std::function<void(int ms)>;

    // transport makes the USB link; without one the worker uses the libusb backend.
    explicit TThread(QObject *parent = nullptr, const UsbTransport::Factory &transport = {});
    ~TThread() override;

    // Request operations: callable from any thread, they queue a job and return at once. The
    // long exchanges return the job's identity, which jobStarted/jobFinished carry.
    quint32 reqRead();
    quint32 reqWrite(const char *image, int count);
    quint32 reqLoad(const char *data, uint size);
    void reqCodec(quint8 reg, quint8 value);
    void reqAmp(quint8 value);
    void reqParam4(const quint16 *words, int size) { reqCommand(JobParam4, words, size); }
    void reqParam5(quint8 a, quint8 b);
    void reqParam6(quint8 a, quint8 b);
    void reqParam7(const quint16 *words, int size) { reqCommand(JobParam7, words, size); }
    void reqParam8(const quint16 *words, int size) { reqCommand(JobParam8, words, size); }
    void reqParam9(const quint16 *words, int size) { reqCommand(JobParam9, words, size); }
    void reqParam10(const quint16 *words, int size) { reqCommand(JobParam10, words, size); }
    void reqParam11(const quint16 *words, int size) { reqCommand(JobParam11, words, size); }
    // Words are host order; the copy is stored big-endian. size is a byte count.
    void reqCommand(int job, const quint16 *words, int size);
    void reqReport(bool plain);
    void reqMonitor(quint8 channel, bool on);
    void reqMonitorRead();
    void reqTraceMode(quint16 value);
    void reqTrace();

    void setMode(int mode);
    void stop();
    // Hot-plug check: opens a newly attached controller or closes a removed one. Callable from
    // any thread; it only asks the worker, which runs it after the job in progress.
    void checkDevice();

    // Points the connection at the controller at this port path (empty: the first listed),
    // after the job in progress: the present connection closes (announced gone) and the chosen
    // controller opens. Callable from any thread; it only asks the worker.
    void choosePort(const QString &path);

    // Replaces the USB transport made by the constructor. Call it before the first
    // checkDevice, while no job runs.
    void setTransport(std::unique_ptr<UsbTransport> transport);
    UsbTransport *transport() const { return connection.transport(); }
    // Emits deviceChanged() in the GUI thread when a controller arrives or leaves; the main
    // window connects it to checkDevice.
    UsbHotplug *hotplug() const { return plugWatch.get(); }
    // The connection is open (announced or not).
    bool isConnected();
    // Port path of the controller last announced connected; empty while none is.
    QString portPath()
    {
        QMutexLocker lock(&portMutex);
        return port;
    }

    // Queues a job of any type as given (types without a handler are freed unused); returns
    // its identity.
    quint32 reqJob(quint16 type, QByteArray data, quint32 size);

    void setSleepFunction(SleepFunction sleep);
    int currentMode();
    int queuedJobs();

    // Records the acquisition signals point into. A window reads them only while it holds a
    // MonitorReadLock, ReportLock or TraceLock; the worker writes under MonitorWriteLock,
    // ReportLock or TraceLock.
    MonitorRecords &monitorRecords() { return records.monitor.records(); }
    ReportRecord &reportRecord() { return records.report; }
    TraceRecord &traceRecord() { return records.trace; }
    // A view's take of its channel's oldest unread frame: copies the block and marks it read,
    // or, when frames wait behind the block (the view fell behind), the oldest of them, and
    // announces the next. The unit is held for the copy only: the worker waits for every unit
    // before it stores the next frame, so drawing under it would hold up the stream. False
    // when no new frame waits.
    bool takeMonitorBlock(int channel, TMonBlock *out)
    {
        return records.monitor.take(channel, out);
    }
    // Monitor channels switched on (bit k: channel k), as the last monitor job left them.
    quint16 monitorMask() const { return records.monitor.mask(); }
    // Monitor frames stored for their views, and those among them dropped from a full queue
    // before a view took them (the view fell behind the stream); frames waiting in the queues
    // behind the blocks.
    quint64 monitorFrames() const { return records.monitor.frames(); }
    quint64 monitorOverwritten() const { return records.monitor.dropped(); }
    int monitorQueued() const { return records.monitor.queuedFrames(); }

Q_SIGNALS:
    void readErr();
    void readDev(TDev *dev);
    void readCfg(TK440 *cfg);
    void readCnt(quint32 count);
    void writeStt();
    void writeChk();
    void writeStp();
    void writeErr();
    void writeCnt(quint32 count);
    // The controller a write or load identified, before its model is checked; the bytes that
    // differ on read-back, once verified.
    void writeDev(TDev dev);
    void writeDif(int differing);
    void loadStt(quint16 type);
    void loadChk();
    void loadStp();
    void loadErr();
    void loadCnt(quint32 count);
    void loadDev(TDev dev);
    void loadDif(int differing);
    // A copy of the configuration a read delivered intact (the controller's form), emitted
    // before readCfg; taking it takes nothing from readCfg's receiver.
    void readImg(QByteArray record);
    void reportRdy(TReport *rep);
    void monitorRdy(TMon *mon);
    void traceRdy(quint16 *data);
    void mes(QString s);
    void conn(bool connected);
    // The controllers attached, as the last hot-plug check listed them, with the serials
    // identified so far, and the port path of the one the connection is pointed at. Emitted
    // when any of that changes.
    void controllersListed(QList<AttachedController> controllers, QString chosen);
    // Bracket every signal a job emits, in delivery order: a window tells its own job's
    // signals from those of an earlier job of the same kind that it never asked for.
    void jobStarted(quint32 id);
    void jobFinished(quint32 id);
    // Internal: a monitor announcement posted by the stream, queued into this object's thread,
    // where it becomes monitorRdy. (A connection made here rather than a functor posted from
    // the worker, so that the hand-over happens where ThreadSanitizer can follow it.)
    void monitorPosted(QPrivateSignal);

protected:
    void run() override;

    // Executes one job, with the connection lock held; the argument copy is freed by the
    // caller afterwards.
    virtual void dispatch(TJob &job);
    void sleepMs(int ms);

    // The connection, for jobs (connection lock held).
    // Open and handshaken: the exchanges may run.
    bool hasDevice() const { return connection.isReady(); }
    int transferSize() const { return connection.transferSize(); }
    QString productName() const { return connection.product(); }
    // Synchronous bulk transfers through the transport: bytes moved or a negative error number.
    int usbWrite(quint8 ep, const char *data, int size, int timeoutMs = usb::TimeoutMs);
    int usbRead(quint8 ep, char *data, int size, int timeoutMs = usb::TimeoutMs);
    // The controller has gone: closes and always says so.
    void lostDevice();

private:
    // The connection as the exchanges see it (connection lock held).
    ConnectionLink workerLink();
    // The outlets through which the jobs' outcomes become signals.
    JobOutlets makeOutlets();

    quint32 enqueue(std::unique_ptr<TJob> job);
    void setPort(const QString &path)
    {
        QMutexLocker lock(&portMutex);
        port = path;
    }
    // At shut-down: switches off at the controller every monitor channel still on.
    void switchOffMonitor();

    // The hot-plug check that checkDevice asked for, if any (worker thread).
    void serviceCheck();
    void startWatching();
    // The check's steps (connection lock held): lists the bus, applies a choice asked for,
    // falls back to the first controller listed when the chosen one left.
    QStringList listedPorts();
    bool applyChoice();
    void fallBack();
    void announceControllers();
    // The connected controller was identified: its serial joins the list.
    void noteIdentity(const TDev &id);
    // With several controllers attached, identifies each listed one not tried yet, so that the
    // choice and the log name them by serial.
    void identifyListed();
    std::optional<TDev> identifyAt(const QString &path);
    // What the connect and disconnect lines add to name the controller.
    QString describeController();

    QMutex mutex; // the job mutex: guards jobs, stopFlag, mode, active and lastJobId
    QList<TJob *> jobs;
    quint32 lastJobId = 0;
    bool stopFlag = false;
    int mode = 0;
    // True from the request that starts the worker until run() decides, under the mutex,
    // that the queue is empty and ends.
    bool active = false;

    SleepFunction sleeper;
    const JobOutlets outlets;

    // The records and the monitor stream. The stream's worker side is guarded by connMutex; it
    // is declared before the connection, whose closing resets it, so that it outlives it.
    JobRecords records;

    // Declared before the connection, whose transport may still report into it until the
    // connection is gone.
    std::unique_ptr<UsbHotplug> plugWatch;
    // The connection lock: guards connection and watching. The worker holds it around each
    // job and each hot-plug check.
    QMutex connMutex;
    DeviceConnection connection;
    bool watching = false; // hot-plug reporting started
    QMutex portMutex; // guards port, roster, requestedPort and choicePending
    QString port; // the announced controller's port path
    ControllerRoster roster; // the controllers listed by the last check
    QString requestedPort; // asked for by choosePort, not yet applied while choicePending
    bool choicePending = false;
    // Makes a transport of its own for a controller the connection does not hold (to identify
    // it); empty where the transport was set from outside.
    UsbTransport::Factory makeTransport;
    // Checks asked for by checkDevice and not yet run; the worker runs one after each job.
    std::atomic<int> checksPending {0};
};

Q_DECLARE_METATYPE(TDev)
Q_DECLARE_METATYPE(TDev *)
Q_DECLARE_METATYPE(TK440 *)
Q_DECLARE_METATYPE(TMon *)
Q_DECLARE_METATYPE(TReport *)
