#include "device/windows/progresswindow.h"

#include "device/tthread.h"

#include <QTimer>

ProgressWindow::ProgressWindow(TThread *thread, int progressMax, CloseTimes closeTimes,
                               QWidget *parent)
    : SubWindow(parent)
    , thread(thread)
    , timer(new QTimer(this))
    , closeTimes(closeTimes)
{
    ui.setupUi(this);
    connect(ui.bClose, &QPushButton::clicked, this, &ProgressWindow::Quit);
    connect(timer, &QTimer::timeout, this, &ProgressWindow::Quit);
    ui.progressBar->setRange(0, progressMax);
    ui.progressBar->setValue(0);
    ui.bClose->setText(tr("Отменить"));
    ui.label->setText(tr("Запрос идентификатора устройства"));
    connect(thread, &TThread::jobStarted, this,
            [this](quint32 id) { inOwnJob = jobIds.contains(id); });
    connect(thread, &TThread::jobFinished, this, [this](quint32 id) {
        if (jobIds.contains(id))
            inOwnJob = false;
    });
}

void ProgressWindow::follow(quint32 id)
{
    jobIds.append(id);
}

void ProgressWindow::showText(const QString &text)
{
    ui.label->setText(text);
}

void ProgressWindow::showCompleted(ReadBackOperation &op)
{
    op.completed();
    if (op.result().outcome == OperationOutcome::Differs)
        showText(op.doneText());
}

void ProgressWindow::record(Operation &op, const OperationJournal &journal, RecordContext context)
{
    if (!journal.record)
        return;
    context.fileName = journal.fileName;
    op.recordTo(context, [thread = thread, hook = journal.record](OperationRecord r) {
        r.portPath = thread->portPath();
        hook(r);
    });
}

ProgressWindow::~ProgressWindow()
{
    timer->stop();
    disconnect(timer, nullptr, this, nullptr);
    delete timer;
    disconnect(thread, nullptr, this, nullptr);
}

void ProgressWindow::stage(const QString &text, int)
{
    // The bar's range is the operation's count from the start.
    ui.label->setText(text);
}

void ProgressWindow::progress(quint32 count)
{
    ui.progressBar->setValue(int(count));
}

void ProgressWindow::finished(const OperationResult &result)
{
    ended = true;
    int closeAfterMs = closeTimes.failed;
    switch (result.outcome) {
    case OperationOutcome::Done:
    case OperationOutcome::Differs:
        closeAfterMs = closeTimes.done;
        break;
    case OperationOutcome::Corrupt:
        closeAfterMs = closeTimes.corrupt;
        stopped = true;
        break;
    default:
        stopped = true;
        break;
    }
    if (!result.message.isEmpty())
        ui.label->setText(result.message);
    ui.bClose->setText(tr("Закрыть"));
    timer->start(closeAfterMs);
}

void ProgressWindow::Progress(quint32 num)
{
    if (operation)
        operation->count(num);
}

void ProgressWindow::Quit()
{
    timer->stop();
    if (ui.bClose->text() == tr("Отменить")) {
        // The job goes on in the worker; nothing it still delivers reaches this window, which
        // the main window may already have parted from its target image.
        cancelled = true;
        requestClose(false);
    } else
        requestClose(!stopped);
}
