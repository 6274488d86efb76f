#pragma once
// Progress window shared by the read, write and firmware-load windows: the "ReadClass" form, the
// self-closing timer and the rules by which the window asks the main window to close it. The
// job's signals feed an operation (device/operations/), which decides and words everything; the
// window shows what it reports. The operation lives in an OperationRun, which outlives a window
// closed before the job's end, so that the operation still ends (and is recorded) with the job.

#include "config/widgets/subwindow.h"
#include "device/operations/operation.h"
#include "device/tthread.h"
#include "device/windows/operationrun.h"
#include "ui_read.h"

#include <QPointer>

class QTimer;

// Its reqClose has keep true only after the job finished without an error or a refusal.
class ProgressWindow : public SubWindow, protected OperationSink
{
    Q_OBJECT

public:
    ~ProgressWindow() override;
    // Until the job has ended or the window let it go ("Отменить"); a job let go is the
    // worker's own from then on.
    bool busy() const override { return !ended && run && !run->isReleased(); }

public Q_SLOTS:
    void Quit();
    void Progress(quint32 num);

protected:
    // How long the window stays open after its operation ended, by the outcome.
    struct CloseTimes
    {
        int done;
        int failed;
        int corrupt;
    };

    // Builds the form: progress 0 of progressMax, button "Отменить", label asking for the device.
    ProgressWindow(TThread *thread, int progressMax, CloseTimes closeTimes, QWidget *parent);

    // Makes the window's operation, which reports to this window until the window goes and
    // then lives on until the job has ended (OperationRun).
    template<typename Op, typename... Args> Op &drive(Args &&...args)
    {
        return run->make<Op>(std::forward<Args>(args)...);
    }
    // From now on the window takes the signals of job `id` too (see OperationRun::follow).
    void follow(quint32 id) { run->follow(id); }
    // The worker's signal of a followed job goes to f, also after the window has gone: f works
    // on the operation only, never on the window.
    template<typename... Args, typename F> void take(void (TThread::*signal)(Args...), F f)
    {
        run->take(signal, std::move(f));
    }
    // The worker's signals of a write with read-back (configuration, firmware) that go to its
    // operation the same way.
    struct ReadBackSignals
    {
        void (TThread::*check)();
        void (TThread::*stop)();
        void (TThread::*error)();
        void (TThread::*count)(quint32);
        void (TThread::*device)(TDev);
        void (TThread::*checked)(int);
    };
    void takeReadBack(ReadBackOperation &op, const ReadBackSignals &s);
    TThread *worker() const { return thread; }
    OperationRun &job() { return *run; }
    // The label's text, replaced.
    void showText(const QString &text);
    // Records the operation as the journal says, with the port of the connected controller.
    void record(Operation &op, const OperationJournal &journal, RecordContext context);
    // When the window goes (closed, cancelled) before its operation has ended, the operation
    // goes on without it: the log shows `line` (none where empty) and `letGo` takes back
    // whatever the window lent the operation.
    void whenLeaving(const QString &line, std::function<void()> letGo = {});
    void closeEvent(QCloseEvent *event) override;

    // What the operation reports.
    void stage(const QString &text, int total) override;
    void progress(quint32 count) override;
    // The job has ended: the label shows the final message, the button becomes "Закрыть" and
    // the window closes itself after the outcome's time unless the user closes it first. After a
    // failure, whatever the job delivers afterwards is ignored.
    void finished(const OperationResult &result) override;

private:
    Ui::ReadClass ui;
    TThread *thread;
    QTimer *timer;
    bool stopped = false; // after an error or a refusal
    CloseTimes closeTimes;
    QPointer<OperationRun> run; // a child of this window until the window goes
    QString leavingLine;
    std::function<void()> letGo;

    // The window parts from its operation; the log says so where `say`.
    void leave(bool say);
    bool ended = false; // the operation reported its end
};
