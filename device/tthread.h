#pragma once
// Worker thread: serves the queue of device jobs one at a time and reports through signals.
//
// TThread itself only queues requests, runs jobs and turns their outcome into signals. What a
// job says to the controller lives in an exchange unit under device/, in two parts:
//   <name>protocol.h  packet building and reply checks as pure functions, tested on their own;
//   <name>exchange.h  the sequence of transfers, log lines and progress over a DeviceLink
//                     (device/devicelink.h), with no TThread and no transport in sight.
// Present: configuration read/write (configprotocol, configexchange), live commands
// (liveprotocol, liveexchange), the statistics report and trace read (acquisitionprotocol,
// acquisitionexchange); the connection and handshake are DeviceConnection
// (connection.h, handshake.h). To add an exchange (monitor, statistics, trace, flash): write
// its two files, decode the job's bytes into typed arguments in its protocol file, and add one
// case to dispatch() that runs it over workerLink() and emits the signals from its progress
// callbacks. Records that windows read while the worker fills them are SharedRecords
// (device/sharedrecord.h) taken through their lock types.

#include "config/records.h"
#include "config/tk440.h"
#include "device/connection.h"
#include "device/connectionlink.h"
#include "device/jobs.h"
#include "device/monitorexchange.h"
#include "device/sharedrecord.h"
#include "device/usbhotplug.h"
#include "device/usbtransport.h"

#include <QList>
#include <QMutex>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>

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

    // Replaces the USB transport made by the constructor. Call it before the first
    // checkDevice, while no job runs.
    void setTransport(std::unique_ptr<UsbTransport> transport);
    UsbTransport *transport() const { return connection.transport(); }
    // Emits deviceChanged() in the GUI thread when a controller arrives or leaves; the main
    // window connects it to checkDevice.
    UsbHotplug *hotplug() const { return plugWatch.get(); }
    // The connection is open (announced or not).
    bool isConnected();

    // Queues a job of any type as given (types without a handler are freed unused); returns
    // its identity.
    quint32 reqJob(quint16 type, QByteArray data, quint32 size);

    void setSleepFunction(SleepFunction sleep);
    int currentMode();
    int queuedJobs();

    // Records the acquisition signals point into. A window reads them only while it holds a
    // MonitorReadLock or ReportLock; the worker writes under MonitorWriteLock or ReportLock.
    MonitorRecords &monitorRecords() { return mon; }
    // A view's take of its channel's newest frame: copies the block and marks it read (len 0).
    // The unit is held for the copy only: the worker waits for every unit before it stores the
    // next frame, so drawing under it would hold up the stream. False when no new frame waits.
    bool takeMonitorBlock(int channel, TMonBlock *out);
    ReportRecord &reportRecord() { return report; }
    // Monitor channels switched on (bit k: channel k), as the last monitor job left them.
    quint16 monitorMask() const { return monMask.load(); }
    // Monitor frames stored in a block, and those among them that replaced a block its view
    // had not yet consumed (the view fell behind the stream).
    quint64 monitorFrames() const { return monFrames.load(); }
    quint64 monitorOverwritten() const { return monOverwritten.load(); }

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
    void loadStt(quint16 type);
    void loadChk();
    void loadStp();
    void loadErr();
    void loadCnt(quint32 count);
    void reportRdy(TReport *rep);
    void monitorRdy(TMon *mon);
    void traceRdy(quint16 *data);
    void mes(QString s);
    void conn(bool connected);
    // Bracket every signal a job emits, in delivery order: a window tells its own job's
    // signals from those of an earlier job of the same kind that it never asked for.
    void jobStarted(quint32 id);
    void jobFinished(quint32 id);

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

    quint32 enqueue(std::unique_ptr<TJob> job);

    // Jobs (device/tthreadjobs.cpp): each runs its exchange over workerLink().
    void readConfig(); // JobRead
    void writeConfig(const TJob &job); // JobWrite
    void loadFirmware(const TJob &job); // JobLoad
    void statisticsReport(bool reset); // JobReport, JobReportReset
    void traceRead(); // JobTrace
    void monitorSwitch(const TJob &job); // JobMonitor
    void monitorRead(); // JobMonitorRead
    // At shut-down: switches off at the controller every monitor channel still on.
    void switchOffMonitor();

    // The hot-plug check that checkDevice asked for, if any (worker thread).
    void serviceCheck();
    void startWatching();

    QMutex mutex; // the job mutex: guards jobs, stopFlag, mode, active and lastJobId
    QList<TJob *> jobs;
    quint32 lastJobId = 0;
    bool stopFlag = false;
    int mode = 0;
    // True from the request that starts the worker until run() decides, under the mutex,
    // that the queue is empty and ends.
    bool active = false;

    SleepFunction sleeper;

    // The monitor stream's frame and channel mask. Guarded by connMutex (declared before the
    // connection, whose closing resets it, so that it outlives the connection).
    monitor::Stream monStream;
    std::atomic<quint16> monMask {0}; // copy of monStream's mask for any thread
    std::atomic<bool> monReadQueued {false}; // a monitor read waits in the queue
    std::atomic<bool> monNotifyPending {false}; // a monitorRdy waits to be emitted
    std::atomic<quint64> monFrames {0};
    std::atomic<quint64> monOverwritten {0};

    // Declared before the connection, whose transport may still report into it until the
    // connection is gone.
    std::unique_ptr<UsbHotplug> plugWatch;
    // The connection lock: guards connection and watching. The worker holds it around each
    // job and each hot-plug check.
    QMutex connMutex;
    DeviceConnection connection;
    bool watching = false; // hot-plug reporting started
    // Checks asked for by checkDevice and not yet run; the worker runs one after each job.
    std::atomic<int> checksPending {0};

    MonitorRecords mon;
    ReportRecord report;
    quint16 trace[TraceBufferSize / 2] {};
    int wrongEchoes = 0; // trace replies with a wrong echo in a row (worker thread)
};

Q_DECLARE_METATYPE(TDev *)
Q_DECLARE_METATYPE(TK440 *)
Q_DECLARE_METATYPE(TMon *)
Q_DECLARE_METATYPE(TReport *)
