#pragma once
// An operation fed by the worker's signals of the jobs it follows, kept until it has ended: the
// progress window that shows it may go before (cancelled, closed), and the operation still ends
// with what the job really did, so that its record is made exactly once.

#include "device/operations/operation.h"
#include "device/tthread.h"

#include <QList>
#include <QObject>

#include <memory>

class OperationRun : public QObject, private OperationSink
{
    Q_OBJECT

public:
    // Starts without an operation; the owner makes it with make() and shows it through `shown`.
    OperationRun(TThread *thread, OperationSink *shown, QObject *owner);
    ~OperationRun() override;

    // Makes the operation, reporting through this run; the run owns it.
    template<typename Op, typename... Args> Op &make(Args &&...args)
    {
        auto made =
            std::make_unique<Op>(static_cast<OperationSink &>(*this), std::forward<Args>(args)...);
        Op &op = *made;
        operation = std::move(made);
        return op;
    }
    Operation *current() const { return operation.get(); }
    TThread *worker() const { return thread; }

    // From now on the run takes the signals of job `id` too; it lives until every followed job
    // has ended (the worker may still be finishing a cancelled job of the same kind, whose
    // results belong to no open window, so only the followed jobs' signals count).
    void follow(quint32 id);
    // The signal of a followed job, while it runs, goes to f.
    template<typename... Args, typename F> void take(void (TThread::*signal)(Args...), F f)
    {
        connect(thread, signal, this, [this, f](Args... args) {
            if (inOwnJob)
                f(args...);
        });
    }
    // Whether a worker signal arriving now belongs to a followed job.
    bool inFollowedJob() const { return inOwnJob; }

    // The window that showed the operation goes: nothing is shown any more, `leaving` runs (it
    // lets go of whatever the window owned), and the run stays with the worker until the
    // operation has ended. An operation whose jobs all ended without its end (a flow the window
    // would have gone on with) ends as failed.
    void release(const std::function<void()> &leaving);
    bool isReleased() const { return !shown; }

private:
    void stage(const QString &text, int total) override;
    void progress(quint32 count) override;
    void finished(const OperationResult &result) override;
    void jobEnded(quint32 id);
    void leaveWhenDone();

    TThread *thread;
    OperationSink *shown; // the window, until it goes
    std::unique_ptr<Operation> operation;
    QList<quint32> pending; // followed jobs not yet ended
    QList<quint32> followed; // every followed job
    bool inOwnJob = false; // between a followed job's jobStarted and jobFinished
};
