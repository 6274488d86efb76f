// The fault matrix's rows of the statistics report (with and without the counters' reset first)
// and the trace read.

#include "faultmatrix.h"

namespace matrix {
namespace {

QByteArray reportBytes(TThread &t)
{
    ReportLock lock(t.reportRecord());
    return QByteArray(reinterpret_cast<const char *>(lock->w), sizeof lock->w);
}

// A statistics report after a good one: at most one record announced; without one, the last
// good record stays.
class ReportDriver : public Driver
{
public:
    explicit ReportDriver(bool plain)
        : plain(plain)
    { }
    void prepare(Run &run) override
    {
        run.thread.reqReport(true);
        QVERIFY(run.settle());
        before = reportBytes(run.thread);
        reports = watch(run, &TThread::reportRdy);
    }
    void request(Run &run) override { run.thread.reqReport(plain); }
    void observe(Run &run) override
    {
        QVERIFY2(run.settle(), NotSettled);
        QVERIFY(reports->size() <= 1);
        run.succeeded = reports->size() == 1;
        if (!*run.succeeded)
            QCOMPARE(reportBytes(run.thread), before);
    }

private:
    bool plain;
    QByteArray before;
    std::unique_ptr<QueuedSpy> reports;
};

// A trace read: at most one trace announced.
class TraceDriver : public Driver
{
public:
    void prepare(Run &run) override { traces = watch(run, &TThread::traceRdy); }
    void request(Run &run) override { run.thread.reqTrace(); }
    void observe(Run &run) override
    {
        QVERIFY2(run.settle(), NotSettled);
        QVERIFY(traces->size() <= 1);
        run.succeeded = traces->size() == 1;
    }

private:
    std::unique_ptr<QueuedSpy> traces;
};

// clang-format off
QList<Row> acquisitionRows()
{
    const MakeDriver reset = make<ReportDriver>(false);
    const MakeDriver report = make<ReportDriver>(true);
    const MakeDriver trace = make<TraceDriver>();
    // outcomes:    error gone-5 gone-6 short empty echo time-out
    return {
        {"statistics: reset", reset, out(command(12)),
                        {G, L, L, _, _, _, G},
                        "Ошибка передачи команды: 12 ошибка=%1"},
        {"statistics: request", report, out(command(13)),
                        {F, L, L, _, _, _, F},
                        "Ошибка передачи команды: 13 ошибка=%1"},
        {"statistics: reply", report, in(command(13)),
                        {F, F, F, F2, F, A, F},
                        "Ошибка передачи команды: 13 ошибка=%1", "Ошибка приема команды: 13 ошибка=%1"},
        {"trace: request", trace, out(command(16)),
                        {F, L, L, _, _, _, F},
                        "Ошибка передачи команды: 16 ошибка=%1"},
        // A reply shorter than its header still echoes 16 and is handed on without a line.
        {"trace: reply", trace, in(command(16)),
                        {F, F, F, A, F, R, F},
                        "Ошибка приема команды: 16 ошибка=%1", "Ошибка ID команды: 16 ошибка=%1"},
    };
}
// clang-format on

const Register registered(40, acquisitionRows);

} // namespace
} // namespace matrix
