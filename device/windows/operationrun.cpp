#include "device/windows/operationrun.h"

OperationRun::OperationRun(TThread *thread, OperationSink *shown, QObject *owner)
    : QObject(owner)
    , thread(thread)
    , shown(shown)
{
    connect(thread, &TThread::jobStarted, this,
            [this](quint32 id) { inOwnJob = followed.contains(id); });
    connect(thread, &TThread::jobFinished, this, &OperationRun::jobEnded);
}

OperationRun::~OperationRun() = default;

void OperationRun::follow(quint32 id)
{
    followed.append(id);
    pending.append(id);
}

void OperationRun::jobEnded(quint32 id)
{
    if (!followed.contains(id))
        return;
    inOwnJob = false;
    pending.removeAll(id);
    leaveWhenDone();
}

void OperationRun::release(const std::function<void()> &leaving)
{
    if (!shown)
        return;
    shown = nullptr;
    if (leaving)
        leaving();
    setParent(thread);
    leaveWhenDone();
}

void OperationRun::leaveWhenDone()
{
    if (shown || !operation)
        return;
    // A window that queued nothing leaves nothing to record.
    if (pending.isEmpty() && !followed.isEmpty() && !operation->isFinished())
        operation->failed();
    if (operation->isFinished() || pending.isEmpty())
        deleteLater();
}

void OperationRun::stage(const QString &text, int total)
{
    if (shown)
        shown->stage(text, total);
}

void OperationRun::progress(quint32 count)
{
    if (shown)
        shown->progress(count);
}

void OperationRun::finished(const OperationResult &result)
{
    if (shown)
        shown->finished(result);
    else
        deleteLater();
}
