#pragma once
// Progress window shared by the read, write and firmware-load windows: the "ReadClass" form, the
// self-closing timer and the rules by which the window asks the main window to close it.

#include "config/widgets/subwindow.h"
#include "device/tthread.h"
#include "ui_read.h"

class QTimer;

// Its reqClose has keep true only after the job finished without an error or a refusal.
class ProgressWindow : public SubWindow
{
    Q_OBJECT

public:
    ~ProgressWindow() override;

public Q_SLOTS:
    void Quit();
    void Progress(quint32 num);

protected:
    // Builds the form: progress 0 of progressMax, button "Отменить", label asking for the device.
    ProgressWindow(TThread *thread, int progressMax, QWidget *parent);

    // From now on the window takes the signals of job `id` only: the worker may still be
    // finishing a cancelled job of the same kind, whose results belong to no open window.
    void follow(quint32 id);
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

    // The job has ended: the button becomes "Закрыть" and the window closes itself after
    // closeAfterMs unless the user closes it first.
    void finish(int closeAfterMs);
    void finish(const QString &text, int closeAfterMs);
    // As finish(text, ms), and whatever the job delivers afterwards is ignored.
    void stop(const QString &text, int closeAfterMs);
    // Controller name in the configuration windows' labels: "К-330RA" or "К-330RB", empty for
    // any other model code.
    static QString configModelText(quint16 model);

    Ui::ReadClass ui;
    TThread *thread;
    QTimer *timer;
    bool stopped = false; // after an error or a refusal

private:
    quint32 jobId = 0; // the job this window queued; 0 before it has one
    bool inOwnJob = false; // between the followed job's jobStarted and jobFinished
    bool cancelled = false; // "Отменить" was pressed: the job's results are no longer wanted
};
