#pragma once
// Worker thread: serves the queue of device jobs one at a time and reports through signals.

#include "config/tk440.h"
#include "device/records.h"

#include <QList>
#include <QMutex>
#include <QSemaphore>
#include <QThread>

#include <functional>
#include <memory>

// One queued request: its type, a size or count, and a private copy of its arguments.
struct TJob
{
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

    explicit TThread(QObject *parent = nullptr);
    ~TThread() override;

    // Request operations: callable from any thread, they queue a job and return at once.
    void reqRead();
    void reqWrite(const char *image, int count);
    void reqLoad(const char *data, uint size);
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
    void checkDevice();

    // Queues a job of any type as given (types without a handler are freed unused).
    void reqJob(quint16 type, QByteArray data, quint32 size);

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

protected:
    void run() override;

    // Executes one job; the argument copy is freed by the caller afterwards.
    virtual void dispatch(TJob &job);
    void sleepMs(int ms);

private:
    void enqueue(std::unique_ptr<TJob> job);

    QMutex mutex; // the job mutex: guards jobs, stopFlag, mode and active
    QList<TJob *> jobs;
    bool stopFlag = false;
    int mode = 0;
    // True from the request that starts the worker until run() decides, under the mutex,
    // that the queue is empty and ends.
    bool active = false;

    SleepFunction sleeper;

    TMon mon {};
    TReport report {};
    quint16 trace[TraceBufferSize / 2] {};
};

Q_DECLARE_METATYPE(TDev *)
Q_DECLARE_METATYPE(TK440 *)
Q_DECLARE_METATYPE(TMon *)
Q_DECLARE_METATYPE(TReport *)
