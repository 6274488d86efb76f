#pragma once
// Worker thread: serves the queue of device jobs one at a time and reports through signals.

#include "config/tk440.h"
#include "device/records.h"
#include "device/usbhotplug.h"
#include "device/usbtransport.h"

#include <QList>
#include <QMutex>
#include <QSemaphore>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>

// One queued request: its type, a size or count, and a private copy of its arguments.
struct TJob
{
    quint32 id = 0; // identity of the request, as its request operation returned it
    quint16 type = 0;
    quint32 size = 0;
    std::unique_ptr<char[]> data;
};

class TThread : public QThread
{
    Q_OBJECT

public:
    // Job types of the request operations.
    enum JobType : quint16 {
        JobRead = 2,
        JobWrite = 3,
        JobLoad = 4,
        JobCodec = 5,
        JobAmp = 6,
        JobParam4 = 7,
        JobParam5 = 8,
        JobParam6 = 9,
        JobParam7 = 10,
        JobParam8 = 11,
        JobParam9 = 12,
        JobParam10 = 13,
        JobParam11 = 14,
        JobReport = 15,
        JobReportReset = 16,
        JobMonitor = 17,
        JobMonitorRead = 18,
        JobTraceMode = 19,
        JobTrace = 20,
    };

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
    UsbTransport *transport() const { return link.get(); }
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

    // Storage the acquisition signals point into; guarded by the semaphores below.
    TMon *monitorRecords() { return &mon; }
    TReport *reportRecord() { return &report; }

    QSemaphore semReport {1}; // one unit: the statistics record
    QSemaphore semMon {5}; // five units: the monitor records (the worker takes all five)

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

    // Executes one job; the argument copy is freed by the caller afterwards.
    virtual void dispatch(TJob &job);
    void sleepMs(int ms);

    // Connection to the controller (device/connection.cpp). Called by jobs, with the
    // connection lock held.
    void openDevice(quint8 configuration);
    void initLink();
    // Closes the connection; one that was announced is announced gone (lostDevice).
    void closeDevice();
    // The controller has gone: closes and always says so.
    void lostDevice();
    // The controller is open: the "dev" of the exchanges.
    bool hasDevice() const { return link && link->isOpen(); }
    // Synchronous bulk transfers through the transport: bytes moved or a negative error number.
    int usbWrite(quint8 ep, const char *data, int size, int timeoutMs = usb::TimeoutMs);
    int usbRead(quint8 ep, char *data, int size, int timeoutMs = usb::TimeoutMs);

    // Configuration exchanges (device/configexchange.cpp), with the connection lock held.
    // Identification: fills out, or reports and closes the connection (hasDevice() false).
    void identify(TDev *out);
    void readConfig(); // job 2
    void writeConfig(const TJob &job); // job 3

    // Live commands (device/livecommands.cpp), with the connection lock held: jobs 5 to 14
    // and 19. Without a connection they do nothing.
    void liveCommand(const TJob &job);
    // Writes the packet and reads the acknowledgement; logs the failure texts followed by the
    // error number and returns false when either transfer fails.
    bool sendLive(const QByteArray &packet, const QString &sendError, const QString &ackError);

    // Connection state, guarded by connMutex.
    QString product; // product string of the device, kept when a later read fails
    std::unique_ptr<char[]> buf; // transfer buffer of bufSize bytes, made by the handshake
    int bufSize = 0; // N + 8
    quint16 monMask = 0; // monitor channels switched on
    quint16 monFill = 0; // bytes gathered in the monitor frame

private:
    quint32 enqueue(std::unique_ptr<TJob> job);

    QMutex mutex; // the job mutex: guards jobs, stopFlag, mode, active and lastJobId
    QList<TJob *> jobs;
    quint32 lastJobId = 0;
    bool stopFlag = false;
    int mode = 0;
    // True from the request that starts the worker until run() decides, under the mutex,
    // that the queue is empty and ends.
    bool active = false;

    SleepFunction sleeper;

    // Closes the connection without a word (shut-down, removal found by the check).
    void dropDevice();
    // The hot-plug check proper; connMutex held.
    void runCheck();
    // Runs one hot-plug check that checkDevice asked for, if any (worker thread).
    void serviceCheck();
    void startWatching();

    // The connection lock: guards link, product, buf, bufSize, monMask, monFill and
    // lastOpenError. The worker holds it around each job and each hot-plug check.
    QMutex connMutex;
    // Checks asked for by checkDevice and not yet run; the worker runs one after each job.
    std::atomic<int> checksPending {0};
    bool watching = false; // hot-plug reporting started (connMutex)
    int lastOpenError = 0; // open failure already logged, until the device leaves or opens
    bool announced = false; // conn(true) was the last connection state sent (connMutex)
    std::unique_ptr<UsbTransport> link; // the transport
    std::unique_ptr<UsbHotplug> plugWatch;

    TMon mon {};
    TReport report {};
    quint16 trace[TraceBufferSize / 2] {};
};

Q_DECLARE_METATYPE(TDev *)
Q_DECLARE_METATYPE(TK440 *)
Q_DECLARE_METATYPE(TMon *)
Q_DECLARE_METATYPE(TReport *)
