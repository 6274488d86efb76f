#pragma once
// Progress window shared by the read, write and firmware-load windows: the "ReadClass" form, the
// self-closing timer and the rules by which the window asks the main window to close it. The
// window feeds its job's signals into an operation (device/operations/), which decides and
// words everything; the window shows what it reports.

#include "config/widgets/subwindow.h"
#include "device/operations/operation.h"
#include "device/tthread.h"
#include "ui_read.h"

class QTimer;

// Its reqClose has keep true only after the job finished without an error or a refusal.
class ProgressWindow : public SubWindow, protected OperationSink
{
    Q_OBJECT

public:
    ~ProgressWindow() override;
    // Until the job has ended (or the window let it go with "Отменить").
    bool busy() const override { return !ended && !cancelled; }

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

    // The operation the window's events go to (a member of the derived window).
    void drive(Operation &op) { operation = &op; }
    // From now on the window takes the signals of job `id` only (and of the jobs it followed
    // before): the worker may still be finishing a cancelled job of the same kind, whose
    // results belong to no open window.
    void follow(quint32 id);
    TThread *worker() const { return thread; }
    // The label's text, replaced.
    void showText(const QString &text);
    // After a completed write or load: its end, whose label says it completed whether or not
    // bytes differ on read-back (the log has their count).
    void showCompleted(ReadBackOperation &op);
    // Records the operation as the journal says, with the port of the connected controller.
    void record(Operation &op, const OperationJournal &journal, RecordContext context);
    // A worker signal arriving now comes from the followed job, and the window still takes
    // results (it was not cancelled).
    bool takesResults() const { return inOwnJob && !cancelled; }
    // Connects a worker signal to a slot of this window that runs only while takesResults().
    template<typename Window, typename... Args>
    void take(void (TThread::*signal)(Args...), void (Window::*slot)(Args...))
    {
        auto *self = static_cast<Window *>(this);
        connect(thread, signal, this, [this, self, slot](Args... args) {
            if (takesResults())
                (self->*slot)(args...);
        });
    }

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
    Operation *operation = nullptr;
    CloseTimes closeTimes;
    QList<quint32> jobIds; // the jobs this window queued
    bool inOwnJob = false; // between the followed job's jobStarted and jobFinished
    bool ended = false; // the operation reported its end
    bool cancelled = false; // "Отменить" was pressed: the job's results are no longer wanted
};
